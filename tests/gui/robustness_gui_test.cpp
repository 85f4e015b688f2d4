// The real program under hostile command lines, and killed in the middle of a backup or a
// restore: every run ends by itself with its exit code or waits for the user with a clear
// message, and a killed run changes none of the user's data and is followed by one that
// completes.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>

#include "../common/registry_snapshot.h"
#include "driver.h"
#include "gui_support.h"
#include "ui/ids.h"

namespace lark::gui {
namespace {

constexpr DWORD kRunMs = 120000;  // a whole backup or restore of a store of a thousand files

void SetText(const std::string& key, const char* name, const std::string& value,
             DWORD type = REG_SZ) {
  HKEY k;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                    nullptr);
  ::RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
  ::RegCloseKey(k);
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file directly in a folder, with its bytes.
std::map<std::string, std::string> Files(const std::string& folder) {
  std::map<std::string, std::string> out;
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return out;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      out[data.cFileName] = ReadAll(folder + "\\" + data.cFileName);
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return out;
}

// How many files directly in a folder have this size: a cheap look at a copy in progress.
int FilesOfSize(const std::string& folder, DWORD size) {
  int n = 0;
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((folder + "\\*.dbx").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do n += data.nFileSizeLow == size;
  while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return n;
}


const char* const kUserData[] = {"Identities", "Software\\Microsoft\\Internet Account Manager",
                                 "Software\\Microsoft\\WAB"};

std::map<std::string, test::RegEntry> UserRegistry() {
  std::map<std::string, test::RegEntry> out;
  for (const char* b : kUserData) test::SnapshotRegistry(b, &out);
  return out;
}

bool WaitFor(const std::function<bool()>& ready, DWORD ms) {
  for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < ms; ::Sleep(20))
    if (ready()) return true;
  return ready();
}

// The program started without waiting for it to become idle (an unattended run never does
// until it ends), and ended by this test if it is still running when the test is done.
class Started {
 public:
  explicit Started(const std::string& args) {
    std::string line = "\"" + ExePath() + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                         &pi)) {
      ::CloseHandle(pi.hThread);
      process_ = pi.hProcess;
    }
  }
  ~Started() {
    if (!process_) return;
    Kill();
    ::CloseHandle(process_);
  }
  bool ok() const { return process_ != nullptr; }
  bool Running() const { return ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
  // Ends it the hard way, as a crash, a power cut or the task manager would.
  bool Kill() {
    ::TerminateProcess(process_, 9);
    return ::WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0;
  }

 private:
  HANDLE process_ = nullptr;
};

class RobustnessGui : public ::testing::Test {
 protected:
  std::string root, store, backup;
  int storeFiles = 0;

  void SetUp() override {
    for (const char* b : kUserData) DeleteTree(HKEY_CURRENT_USER, b);
    DeleteTree(HKEY_CURRENT_USER, "Software\\TarnKeep");
    root = ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    store = root + "\\store";
    backup = root + "\\bk";
  }
  void TearDown() override {
    for (const char* b : kUserData) DeleteTree(HKEY_CURRENT_USER, b);
  }
  // One identity with `files` message stores of 40 bytes each, an account and an address
  // book; the backup folder is set and the overwrite option on.
  void Profile(int files) {
    ::CreateDirectoryA(store.c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
      char text[41];
      std::snprintf(text, sizeof(text), "message store number %019d", i);
      WriteAll(store + "\\Folder " + std::to_string(i) + ".dbx", text);
    }
    storeFiles = files;
    SetText("Identities", "Default User ID", "{A}");
    SetText("Identities\\{A}", "Username", "Main");
    SetText("Identities\\{A}\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root", store,
            REG_EXPAND_SZ);
    SetText("Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001", "Account Name",
            "mail");
    SetText("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", root + "\\me.wab");
    WriteAll(root + "\\me.wab", "address book");
    SeedSettings(backup, 1);
  }
  DWORD Unattended(const std::string& args) {
    auto program = Program::Start(args);
    EXPECT_NE(program, nullptr);
    DWORD code = 99;
    if (!program) return code;
    EXPECT_TRUE(program->WaitForExit(kRunMs, &code)) << args.substr(0, 200);
    return code;
  }
};

// Command lines a scheduled task or a shortcut may carry. An unattended run always ends by
// itself with its code; only a run with a user there shows a message.
TEST_F(RobustnessGui, HostileCommandLines) {
  Profile(3);
  const std::string blanks = root + "\\Mail  Backup";
  const std::string padded = root + "\\padded";
  struct Case {
    const char* what;
    std::string args;
    DWORD exitCode;  // 0 with `folder` backed up into; 2 with the setting kept
    std::string folder;
  } cases[] = {
      {"/b: with nothing after it", "/a /b:", 2, ""},
      {"a quoted folder with blanks", "/a /h /b:\"" + blanks + "\"", 0, blanks},
      {"the whole switch quoted, upper case", "/A /H \"/B:" + blanks + "\"", 0, blanks},
      {"a drive that does not exist", "/a /h /b:Q:\\Mail Backup", 2, ""},
      {"a folder longer than Windows allows", "/a /h /b:" + root + "\\" + std::string(3000, 'f'), 2,
       ""},
      {"a very long line, switches inside other words",
       std::string(20000, 'x') + " /ALLOW /hidden /B:" + padded, 0, padded},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SeedSettings(backup, 1);
    EXPECT_EQ(Unattended(c.args), c.exitCode);
    if (c.exitCode == 0) {
      EXPECT_EQ(ReadText("Software\\TarnKeep", "TarnKeep"), c.folder);
      EXPECT_EQ(ReadAll(c.folder + "\\Main\\Folder 2.dbx"), ReadAll(store + "\\Folder 2.dbx"));
      EXPECT_NE(ReadAll(c.folder + "\\AllIdentities.reg"), "<missing>");
    } else {
      EXPECT_EQ(ReadText("Software\\TarnKeep", "TarnKeep"), backup);
    }
  }

  // With a user there, "/b:" with nothing after it is explained and the window stays.
  SeedSettings(backup, 1);
  auto program = Program::Start("/b:");
  ASSERT_NE(program, nullptr);
  std::optional<Dialog> d = WaitForDialog(*program);
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->text,
            "The backup folder \"\" given on the command line could not be created or "
            "opened. Nothing was backed up.");
  PressButton(d->hwnd, "OK");
  EXPECT_NE(program->MainWindow(), nullptr);
  EXPECT_TRUE(program->Running());
  EXPECT_EQ(ReadText("Software\\TarnKeep", "TarnKeep"), backup);
}

// Killed while it exports the registry, or while it copies the stores: the profile is as it
// was, and the next run makes a whole backup over what the killed one left.
TEST_F(RobustnessGui, KilledBackupChangesNothingAndTheNextRunCompletes) {
  Profile(600);
  const auto registryBefore = UserRegistry();
  const auto storeBefore = Files(store);
  struct Case {
    const char* when;
    std::function<bool()> ready;
  } cases[] = {
      {"during the exports",
       [&] {
         return ::GetFileAttributesA((backup + "\\IAM.reg").c_str()) != INVALID_FILE_ATTRIBUTES;
       }},
      {"during the copies", [&] { return FilesOfSize(backup + "\\Main", 40) >= 200; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.when);
    ScratchFolder("KilledBackupChangesNothingAndTheNextRunCompletes\\bk");
    Started program("/a /h");
    ASSERT_TRUE(program.ok());
    ASSERT_TRUE(WaitFor(c.ready, kRunMs));
    ASSERT_TRUE(program.Running()) << "ended before it could be killed";
    ASSERT_TRUE(program.Kill());
    EXPECT_LT(FilesOfSize(backup + "\\Main", 40), storeFiles);
    ::Sleep(500);  // registry editors it started end on their own
    EXPECT_EQ(UserRegistry(), registryBefore);
    EXPECT_EQ(Files(store), storeBefore);

    EXPECT_EQ(Unattended("/a /h"), 0u);
    EXPECT_EQ(Files(backup + "\\Main").size(),
              static_cast<std::size_t>(storeFiles) + 1);  // + me.wab
    for (const auto& [name, bytes] : storeBefore)
      ASSERT_EQ(ReadAll(backup + "\\Main\\" + name), bytes) << name;
    EXPECT_NE(ReadAll(backup + "\\AllIdentities.reg"), "<missing>");
    EXPECT_EQ(Files(backup), (std::map<std::string, std::string>{
                                 {"AddressBook.reg", ReadAll(backup + "\\AddressBook.reg")},
                                 {"AllIdentities.reg", ReadAll(backup + "\\AllIdentities.reg")},
                                 {"IAM.reg", ReadAll(backup + "\\IAM.reg")},
                                 {"me.wab", "address book"}}))
        << "a scratch file of the killed run was left behind";
    EXPECT_EQ(UserRegistry(), registryBefore);
  }
}

// Killed in the middle of putting the stores back: the backup is untouched, and a second
// restore puts everything back.
TEST_F(RobustnessGui, KilledRestoreLeavesTheBackupAndTheNextRestoreCompletes) {
  Profile(600);
  ASSERT_EQ(Unattended("/a /h"), 0u);
  const auto saved = Files(backup + "\\Main");
  for (const auto& entry : Files(store)) WriteAll(store + "\\" + entry.first, "damaged");

  auto restore = [&](bool killMidway) {
    auto program = Program::Start();
    ASSERT_NE(program, nullptr);
    HWND main = program->MainWindow();
    ASSERT_NE(main, nullptr);
    Click(Control(main, ids::kCmdRestore));
    std::optional<Dialog> open = WaitForDialog(*program, kRunMs);  // the address book's
    ASSERT_TRUE(open.has_value());
    ASSERT_TRUE(PressButton(open->hwnd, "Cancel"));
    if (killMidway) {
      ASSERT_TRUE(WaitFor([&] { return FilesOfSize(store, 40) >= 200; }, kRunMs));
      ASSERT_TRUE(program->Running());
      ::TerminateProcess(program->process(), 9);  // as a crash or the task manager would
      ASSERT_TRUE(program->WaitForExit(10000));
      EXPECT_LT(FilesOfSize(store, 40), storeFiles);
      return;
    }
    HWND sb = Control(main, ids::kSb1);
    EXPECT_TRUE(WaitFor([&] { return StatusText(sb, 1) == "Restore Complete"; }, kRunMs))
        << StatusText(sb, 1);
    EXPECT_TRUE(NoDialogFor(*program, 300));
  };
  restore(true);
  EXPECT_EQ(Files(backup + "\\Main"), saved);
  restore(false);
  EXPECT_EQ(Files(backup + "\\Main"), saved);
  for (const auto& [name, bytes] : saved) {
    if (name == "me.wab") continue;
    ASSERT_EQ(ReadAll(store + "\\" + name), bytes) << name;
  }
}

}  // namespace
}  // namespace lark::gui
