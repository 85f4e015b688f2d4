// The complete restore as a user runs it: the real program under Wine, its real registry
// editor imports, the file-open dialog and the shell's own questions, driven from outside.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <fstream>
#include <iterator>
#include <map>

#include "../common/registry_snapshot.h"
#include "driver.h"
#include "gui_support.h"
#include "ui/ids.h"

namespace lark::gui {
namespace {

constexpr const char* kBranches[] = {"Identities", "Software\\Microsoft\\Internet Account Manager",
                                     "Software\\Microsoft\\WAB", "Software\\TarnKeep"};
constexpr const char* kNtVersion = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kMailKey = "\\Software\\Microsoft\\Outlook Express\\5.0";
constexpr DWORD kRunMs = 60000;  // a backup or restore with three registry-editor runs

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes, DWORD attributes = 0) {
  std::string folder = path.substr(0, path.find_last_of('\\') + 1);
  std::string from = folder;  // make every missing folder along the way
  for (std::size_t i = 3; i < from.size(); ++i)
    if (from[i] == '\\') ::CreateDirectoryA(from.substr(0, i).c_str(), nullptr);
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  if (attributes) ::SetFileAttributesA(path.c_str(), attributes);
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path) {
  std::string from = path + std::string(2, '\0');
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  ::SHFileOperationA(&op);
}

void SetValue(HKEY root, const std::string& key, const char* name, DWORD type,
              const std::string& bytes) {
  HKEY k;
  ::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
  ::RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
  ::RegCloseKey(k);
}

// Text with its terminating NUL, as the mail client writes it.
void SetText(const std::string& key, const char* name, const std::string& text,
             DWORD type = REG_SZ) {
  SetValue(HKEY_CURRENT_USER, key, name, type, text + '\0');
}

using Value = test::RegEntry;

// The clipboard belongs to the user: the program must leave whatever is on it.
void PutOnClipboard(const std::string& text) {
  static HWND owner = ::CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      nullptr, nullptr);
  ASSERT_TRUE(::OpenClipboard(owner));
  ::EmptyClipboard();
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  lstrcpyA(static_cast<char*>(::GlobalLock(mem)), text.c_str());
  ::GlobalUnlock(mem);
  ::SetClipboardData(CF_TEXT, mem);
  ::CloseClipboard();
}

std::string ClipboardText() {
  if (!::OpenClipboard(nullptr)) return "<not opened>";
  std::string text;
  if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(::GlobalLock(h));
    ::GlobalUnlock(h);
  }
  ::CloseClipboard();
  return text;
}

std::string ProductName() {
  char buffer[256] = "";
  DWORD size = sizeof(buffer) - 1;
  HKEY k;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNtVersion, 0, KEY_READ, &k) != ERROR_SUCCESS) return "";
  ::RegQueryValueExA(k, "ProductName", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  ::RegCloseKey(k);
  return buffer;
}

void SetProductName(const std::string& name) {
  SetValue(HKEY_LOCAL_MACHINE, kNtVersion, "ProductName", REG_SZ, name + '\0');
}

class RestoreGui : public ::testing::Test {
 protected:
  std::string root;
  std::string backup;
  std::string savedProduct;
  std::unique_ptr<Program> program;
  HWND main = nullptr;
  HWND sb = nullptr;

  void SetUp() override {
    savedProduct = ProductName();
    for (const char* b : kBranches) DeleteTree(HKEY_CURRENT_USER, b);
    root = ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    backup = root + "\\Bk";
  }
  void TearDown() override {
    program.reset();
    for (const char* b : kBranches) DeleteTree(HKEY_CURRENT_USER, b);
    if (!savedProduct.empty()) SetProductName(savedProduct);
  }

  void Identity(const char* id, const char* name, const std::string& store,
                DWORD type = REG_EXPAND_SZ) {
    SetText(std::string("Identities\\") + id, "Username", name);
    SetText(std::string("Identities\\") + id + kMailKey, "Store Root", store, type);
  }
  void AddressBook(const std::string& path) {
    SetText("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", path);
  }
  // Starts the program; the reminders start-up shows without a backup folder, before its
  // window appears, are answered with OK.
  void StartProgram() {
    program = Program::Start();
    ASSERT_NE(program, nullptr) << "could not start " << ExePath();
    for (int i = 0; i < 5 && !main; ++i) {
      main = program->MainWindow(2000);
      if (main) break;
      if (std::optional<Dialog> d = WaitForDialog(*program, 1000)) {
        PressButton(d->hwnd, "OK");
        WaitForGone(d->hwnd);
      }
    }
    ASSERT_NE(main, nullptr);
    sb = Control(main, ids::kSb1);
  }
  bool WaitForPanel1(const std::string& text, DWORD timeoutMs = kRunMs) {
    DWORD start = ::GetTickCount();
    while (StatusText(sb, 1) != text) {
      if (::GetTickCount() - start > timeoutMs || !program->Running()) return false;
      ::Sleep(100);
    }
    return true;
  }
  // The file-open dialog of the restore: checks how it is set up and (unless "") the folder
  // it starts in, then chooses the file or (with an empty path) cancels.
  void AnswerFileDialog(const std::string& choose, const std::string& expectedFolder) {
    std::optional<Dialog> d = WaitForDialog(*program, kRunMs);
    ASSERT_TRUE(d.has_value()) << "no file dialog";
    ASSERT_EQ(d->title, "Open");
    HWND name = ::GetDlgItem(d->hwnd, 0x47C);  // the file name box
    EXPECT_EQ(Text(name), "AddressBook.WAB");
    HWND type = ::GetDlgItem(d->hwnd, 0x470);  // the file type list
    EXPECT_EQ(Text(type), "Address Book (*.WAB) ");
    HWND folder = ::GetDlgItem(d->hwnd, 0x471);  // "Look in"
    if (!expectedFolder.empty()) {
      EXPECT_EQ(Text(folder), expectedFolder);
    }
    if (choose.empty()) {
      ASSERT_TRUE(PressButton(d->hwnd, "Cancel"));
    } else {
      ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(choose.c_str()));
      ::PostMessageA(d->hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(::GetDlgItem(d->hwnd, IDOK)));
    }
    ASSERT_TRUE(WaitForGone(d->hwnd));
  }
};

TEST_F(RestoreGui, BackupDamageRestoreBringsTheProfileBackExactly) {
  SetProductName("Microsoft Windows XP");
  const std::string profile = root + "\\profile";
  const std::string storeA = profile + "\\StoreA";
  const std::string storeB = profile + "\\work\\deep\\StoreB";
  ::SetEnvironmentVariableA("LARKGUIPROFILE", profile.c_str());  // the program inherits it
  SetText("Identities", "Default User ID", "{A}");
  Identity("{A}", "Main Identity", "%LARKGUIPROFILE%\\StoreA");
  Identity("{B}", "Work", storeB, REG_SZ);
  SetText(std::string("Identities\\{A}") + kMailKey + "\\Signatures\\00000000", "text",
          "-- Ann \"A\"\\Work\\");
  const std::string acct = "Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001";
  SetText(acct, "Account Name", "Home mail");
  SetText(acct, "POP3 Server", "\\\\server\\share\\mail\\");
  SetText(acct, "Expand", "%USERPROFILE%\\Mail", REG_EXPAND_SZ);
  SetValue(HKEY_CURRENT_USER, acct, "Port", REG_DWORD, std::string("\x6e\0\0\0", 4));
  SetValue(HKEY_CURRENT_USER, acct, "Password", REG_BINARY, std::string("\x01\x00\xff\x5c\x22", 5));
  SetValue(HKEY_CURRENT_USER, acct, "Multi", REG_MULTI_SZ, std::string("one\0two\\\0\0", 10));
  const std::string wab = profile + "\\Book\\me.wab";
  AddressBook(wab);
  SetText("Software\\Microsoft\\WAB\\WAB4", "FirstRun", "no");

  std::string inbox(200000, '\0');
  for (std::size_t i = 0; i < inbox.size(); ++i) inbox[i] = static_cast<char>(i * 7919 >> 3);
  WriteAll(storeA + "\\Inbox.dbx", inbox);
  WriteAll(storeA + "\\Folders.dbx", "folders");
  WriteAll(storeA + "\\Pop3uidl.dbx", "uidl A");
  WriteAll(storeA + "\\Hidden.dbx", "hidden", FILE_ATTRIBUTE_HIDDEN);
  WriteAll(storeB + "\\Inbox.dbx", "work inbox");
  WriteAll(storeB + "\\pop3uidl.dbx", "uidl B");
  WriteAll(wab, std::string(3000, 'w'));
  SeedSettings(backup, 1);

  ASSERT_NO_FATAL_FAILURE(StartProgram());
  Click(Control(main, ids::kCmdComplete));
  ASSERT_TRUE(WaitForPanel1("Backup Complete")) << StatusText(sb, 1);
  ASSERT_EQ(StatusText(sb, 2), "2 Identities Backed Up");
  std::map<std::string, Value> before, after;
  for (int i = 0; i < 3; ++i) test::SnapshotRegistry(kBranches[i], &before);
  ASSERT_GT(before.size(), 20u);

  // Damage: the branches gone, stores changed or lost, the address book deleted.
  for (int i = 0; i < 3; ++i) DeleteTree(HKEY_CURRENT_USER, kBranches[i]);
  WriteAll(storeA + "\\Inbox.dbx", "damaged");
  ::DeleteFileA((storeA + "\\Folders.dbx").c_str());
  WriteAll(storeA + "\\Pop3uidl.dbx", "current uidl");
  RemoveTree(profile + "\\work");
  ::DeleteFileA(wab.c_str());
  // Not the backup's own, and never to be put back.
  WriteAll(backup + "\\Main Identity\\Stray.dbx", "stray", FILE_ATTRIBUTE_HIDDEN);
  WriteAll(backup + "\\Main Identity\\readme.txt", "readme");

  Click(Control(main, ids::kCmdRestore));
  ASSERT_NO_FATAL_FAILURE(AnswerFileDialog(backup + "\\me.wab", "Bk"));
  ASSERT_TRUE(WaitForPanel1("Restore Complete")) << StatusText(sb, 1);
  EXPECT_TRUE(NoDialogFor(*program, 300));  // the check box said: replace without asking

  for (int i = 0; i < 3; ++i) test::SnapshotRegistry(kBranches[i], &after);
  EXPECT_EQ(before.size(), after.size());
  for (const auto& [name, v] : before) {
    auto it = after.find(name);
    ASSERT_NE(it, after.end()) << name;
    EXPECT_EQ(it->second.type, v.type) << name;
    EXPECT_EQ(it->second.data, v.data) << name;
  }
  EXPECT_TRUE(ReadAll(storeA + "\\Inbox.dbx") == inbox);
  EXPECT_EQ(ReadAll(storeA + "\\Folders.dbx"), "folders");
  EXPECT_EQ(ReadAll(storeA + "\\Pop3uidl.dbx"), "current uidl");
  EXPECT_EQ(ReadAll(storeA + "\\Hidden.dbx"), "hidden");  // left as it was
  EXPECT_FALSE(Exists(storeA + "\\Stray.dbx"));
  EXPECT_FALSE(Exists(storeA + "\\readme.txt"));
  EXPECT_FALSE(Exists(storeA + "\\me.wab"));
  EXPECT_EQ(ReadAll(storeB + "\\Inbox.dbx"), "work inbox");
  EXPECT_EQ(ReadAll(storeB + "\\pop3uidl.dbx"), "uidl B");
  EXPECT_EQ(ReadAll(wab), std::string(3000, 'w'));
  EXPECT_EQ(Text(Control(main, ids::kLabel2)), "2");
}

TEST_F(RestoreGui, CancelledDialogAndTheShellAskingBeforeEachReplacement) {
  const std::string store = root + "\\store";
  Identity("{A}", "Main", store);
  SetText("Identities", "Default User ID", "{A}");
  AddressBook(root + "\\book\\me.wab");
  WriteAll(root + "\\book\\me.wab", "current book");
  WriteAll(backup + "\\me.wab", "saved book");
  WriteAll(backup + "\\Main\\Inbox.dbx", "new inbox");
  WriteAll(backup + "\\Main\\Sent.dbx", "new sent");
  WriteAll(store + "\\Inbox.dbx", "old inbox");
  WriteAll(store + "\\Sent.dbx", "old sent");
  SeedSettings(backup, 0);
  ASSERT_NO_FATAL_FAILURE(PutOnClipboard("the user's own"));
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  EXPECT_EQ(ClipboardText(), "the user's own");

  Click(Control(main, ids::kCmdRestore));
  ASSERT_NO_FATAL_FAILURE(AnswerFileDialog("", "Bk"));
  // One question per existing file: allow the first replacement, refuse the second.
  std::vector<HWND> seen;
  for (const char* answer : {"Yes", "No"}) {
    std::optional<Dialog> q = WaitForDialog(*program, kRunMs, seen);
    ASSERT_TRUE(q.has_value()) << "no question before replacing a store file";
    EXPECT_EQ(q->title, "Confirm file overwrite");
    ASSERT_TRUE(PressButton(q->hwnd, answer));
    ASSERT_TRUE(WaitForGone(q->hwnd));
    seen.push_back(q->hwnd);
  }
  ASSERT_TRUE(WaitForPanel1("Restore Complete")) << StatusText(sb, 1);
  std::string inbox = ReadAll(store + "\\Inbox.dbx"), sent = ReadAll(store + "\\Sent.dbx");
  EXPECT_TRUE((inbox == "new inbox" && sent == "old sent") ||
              (inbox == "old inbox" && sent == "new sent"))
      << inbox << " / " << sent;
  EXPECT_EQ(ReadAll(root + "\\book\\me.wab"), "current book");
  EXPECT_EQ(ClipboardText(), "the user's own");
}

// While the shell asks before replacing a file, the window takes no clicks: neither a second
// command starts inside the first nor does Exit end the program in the middle of the copies.
TEST_F(RestoreGui, NothingStartsOrEndsWhileTheShellAsksDuringABackup) {
  const std::string store = root + "\\store";
  Identity("{A}", "Main", store);
  SetText("Identities", "Default User ID", "{A}");
  AddressBook(root + "\\book\\me.wab");
  WriteAll(root + "\\book\\me.wab", "book");
  WriteAll(store + "\\Inbox.dbx", "inbox");
  for (const char* f : {"\\me.wab", "\\Main\\me.wab", "\\Main\\Inbox.dbx"})
    WriteAll(backup + f, "old");
  SeedSettings(backup, 0);
  ASSERT_NO_FATAL_FAILURE(StartProgram());

  Click(Control(main, ids::kCmdComplete));
  std::vector<HWND> seen;
  for (int i = 0; i < 3; ++i) {  // the address book, then the identity's store and book
    std::optional<Dialog> q = WaitForDialog(*program, kRunMs, seen);
    ASSERT_TRUE(q.has_value()) << "question " << i;
    EXPECT_EQ(q->title, "Confirm file overwrite");
    seen.push_back(q->hwnd);
    if (i == 0) {
      EXPECT_FALSE(::IsWindowEnabled(main));
      RECT m;  // the question goes below the window, so that the clicks fall on its buttons
      ::GetWindowRect(main, &m);
      ::SetWindowPos(q->hwnd, nullptr, m.left, m.bottom + 10, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      for (int id : {ids::kCmdComplete, ids::kCmdRestore, ids::kCmdExit})
        ClickOnScreen(Control(main, id));
      EXPECT_FALSE(WaitForDialog(*program, 1500, seen).has_value()) << "a second command ran";
      ASSERT_TRUE(program->Running()) << "Exit ended the program in the middle of the backup";
    }
    ASSERT_TRUE(PressButton(q->hwnd, "No"));
    ASSERT_TRUE(WaitForGone(q->hwnd));
  }
  ASSERT_TRUE(WaitForPanel1("Backup Complete")) << StatusText(sb, 1);
  EXPECT_EQ(StatusText(sb, 2), "1 Identities Backed Up");
  // The copies refused above may be reported; the report belongs to the still disabled window.
  if (std::optional<Dialog> report = WaitForDialog(*program, 1500, seen)) {
    EXPECT_EQ(report->title, "Larkmoor") << report->text;
    EXPECT_EQ(::GetWindow(report->hwnd, GW_OWNER), main);
    seen.push_back(report->hwnd);
    ASSERT_TRUE(PressButton(report->hwnd, "OK"));
    ASSERT_TRUE(WaitForGone(report->hwnd));
  }
  EXPECT_FALSE(WaitForDialog(*program, 1500, seen).has_value()) << "a nested command went on";
  EXPECT_TRUE(program->Running());
  EXPECT_TRUE(::IsWindowEnabled(main));
  EXPECT_EQ(ReadAll(backup + "\\Main\\Inbox.dbx"), "old");
}

TEST_F(RestoreGui, OnlyTheIdentityWithAFolderIsRestoredIntoANewStore) {
  SetText("Identities", "Default User ID", "{A}");
  Identity("{A}", "One", root + "\\s1");
  Identity("{B}", "Two", root + "\\new\\parent\\s2");
  Identity("{C}", "Three", root + "\\s3");
  AddressBook(root + "\\book\\me.wab");
  WriteAll(backup + "\\Two\\Inbox.dbx", "two");
  WriteAll(backup + "\\One.dbx", "a file, not the identity's folder");
  SeedSettings(backup, 1);
  ASSERT_NO_FATAL_FAILURE(StartProgram());

  Click(Control(main, ids::kCmdRestore));
  ASSERT_NO_FATAL_FAILURE(AnswerFileDialog("", "Bk"));
  ASSERT_TRUE(WaitForPanel1("Restore Complete")) << StatusText(sb, 1);
  EXPECT_EQ(ReadAll(root + "\\new\\parent\\s2\\Inbox.dbx"), "two");
  EXPECT_FALSE(Exists(root + "\\s1"));
  EXPECT_FALSE(Exists(root + "\\s3"));
  EXPECT_TRUE(NoDialogFor(*program, 300));
}

TEST_F(RestoreGui, NoBackupFolderShowsTheDialogThenTheReminder) {
  AddressBook(root + "\\book\\me.wab");
  SeedSettings(backup, 1);
  SetText("Software\\TarnKeep", "TarnKeep", "None Selected");
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  ASSERT_TRUE(NoDialogFor(*program, 300));

  Click(Control(main, ids::kCmdRestore));
  ASSERT_NO_FATAL_FAILURE(AnswerFileDialog("", ""));
  std::optional<Dialog> reminder = WaitForDialog(*program, kRunMs);
  ASSERT_TRUE(reminder.has_value());
  EXPECT_EQ(reminder->text, "Please select a backup folder or create one from the Tools menu.");
  PressButton(reminder->hwnd, "OK");
  ASSERT_TRUE(WaitForGone(reminder->hwnd));
  EXPECT_EQ(StatusText(sb, 1), "");
  EXPECT_TRUE(program->Running());
}

}  // namespace
}  // namespace lark::gui
