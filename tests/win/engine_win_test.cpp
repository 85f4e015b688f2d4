// The complete backup and restore against Wine's real registry, registry editor and shell:
// what lands in the backup folder, the registry round trip, and the export rewrite.
#include "backup/fixfile.h"
#include "fs/regedit_run.h"
#include "fs/sha256.h"
#include "platform/process_owner.h"
#include "ui/chooser_window.h"
#include "win_support.h"

namespace lark::test {
namespace {

class Engine : public WinTest {
 protected:
  void SetUp() override {
    WinTest::SetUp();
    ::SetEnvironmentVariableA("LARKSTORE", stores.c_str());
    Identity("{A}", "Main Identity", "%LARKSTORE%\\{A}");
    Seeded("{B}", "Work");
    Identity("{C}", "Guest");  // no store of its own
    SetText(MailClientKey("{A}") + "\\Signatures\\00000000", "text", "-- Ann \"A\"\\Work\\");
    SetText(kAccount, "Account Name", "Home mail");
    SetText(kAccount, "UNC", "\\\\server\\share\\mail\\");
    SetText(kAccount, "NewLike", "C:\\new\\tmp\\x.txt");
    SetText(kAccount, "Expand", "%USERPROFILE%\\Mail", REG_EXPAND_SZ);
    SetValue(HKEY_CURRENT_USER, kAccount, "Password", REG_BINARY, std::string("\x01\0\xff\\\"", 5));
    SetValue(HKEY_CURRENT_USER, kAccount, "Multi", REG_MULTI_SZ, std::string("one\0two\\\0\0", 10));
    SetDword(kAccount, "Port", 110);
    std::string big(3 << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7919 >> 3);
    WriteAll(Store("{A}") + "\\Inbox.dbx", big);
    WriteAll(Store("{A}") + "\\Folders.dbx", "folders");
    WriteAll(Store("{A}") + "\\Hidden.dbx", "hidden", FILE_ATTRIBUTE_HIDDEN);
    WriteAll(Store("{A}") + "\\notes.txt", "not a store");
    Settings();
  }
};

TEST_F(Engine, BackupFolderLayoutAndTheRegistryRoundTrip) {
  WindowedApp app(p);
  ASSERT_EQ(Backup(app), 0) << Messages();
  EXPECT_EQ(Entries(backup),
            (std::set<std::string>{"AllIdentities.reg", "IAM.reg", "AddressBook.reg", "me.wab",
                                   "Main Identity", "Work"}));
  EXPECT_EQ(Entries(backup + "\\Main Identity"),
            (std::set<std::string>{"Inbox.dbx", "Folders.dbx", "me.wab", "SignaturesWinXP.reg"}));
  EXPECT_EQ(ReadAll(backup + "\\Main Identity\\Inbox.dbx"), ReadAll(Store("{A}") + "\\Inbox.dbx"));
  EXPECT_EQ(ReadAll(backup + "\\Work\\Inbox.dbx"), "inbox of {B}");
  EXPECT_EQ(app.Form1().Panel(1), "Backup Complete");
  EXPECT_EQ(app.Form1().Panel(2), "2 Identities Backed Up");

  // Every value comes back through the registry editor exactly.
  const auto before = UserRegistry();
  ASSERT_GT(before.size(), 15u);
  for (const char* b :
       {"Identities", "Software\\Microsoft\\Internet Account Manager", "Software\\Microsoft\\WAB"})
    DeleteTree(b);
  ::SetCurrentDirectoryA(backup.c_str());
  for (const char* f : {"AllIdentities.reg", "IAM.reg", "AddressBook.reg"})
    ASSERT_EQ(regedit::RunAndWait(p, std::string("regedit /s /c \"") + f, 60000),
              regedit::Run::Ended)
        << f;
  ::SetCurrentDirectoryA(cwd.c_str());
  EXPECT_EQ(UserRegistry(), before);
}

TEST_F(Engine, SignaturesAreExportedUnderTheNameOfTheEdition) {
  const std::pair<const char*, const char*> editions[] = {
      {"Microsoft Windows 2000", "SignaturesWin2k.reg"}, {"Windows Server 2003", "Signatures.reg"}};
  for (const auto& [product, file] : editions) {
    SetProduct(product);
    Recreate(backup);
    EXPECT_EQ(Backup(), 0) << Messages();
    // Without a rewrite to wait for, the export may still be under way.
    const std::string path = backup + "\\Main Identity\\" + file;
    for (int i = 0; i < 100 && ReadAll(path).size() < 100; ++i) ::Sleep(100);
    EXPECT_GE(ReadAll(path).size(), 100u) << product;
  }
}

TEST_F(Engine, BackupThenDamageThenRestoreBringsTheStoresAndRegistryBack) {
  ASSERT_EQ(Backup(), 0) << Messages();
  const auto registry = UserRegistry();
  const auto storeFiles = Files(stores);
  const auto saved = Files(backup);
  WriteOlder(Store("{A}") + "\\Inbox.dbx", "damaged");
  ::DeleteFileA((Store("{A}") + "\\Folders.dbx").c_str());
  RemoveTree(Store("{B}"));
  SetText(kAccount, "Account Name", "changed");
  DeleteTree("Identities\\{C}");
  // Not the backup's own, and never to be put back.
  WriteAll(backup + "\\Main Identity\\Stray.dbx", "stray", FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(Restore(), "Restore Complete");
  EXPECT_TRUE(user.messages.empty()) << Messages();
  EXPECT_EQ(Files(stores), storeFiles);
  EXPECT_EQ(UserRegistry(), registry);
  ::DeleteFileA((backup + "\\Main Identity\\Stray.dbx").c_str());
  EXPECT_EQ(Files(backup), saved) << "the restore changed the backup";
}

// Under Wine the identities branch goes to the editor in the form it reads at once; where
// the program does not know that, the first form gives nothing and the second try the same
// file.
TEST_F(Engine, TheIdentitiesExportIsTheSameWhicheverFormOfItsBranchComesFirst) {
  struct CountedStarts : Win32Processes {
    int identities = 0;
    ProcessId Start(const std::string& line, int show) override {
      identities += line.find("AllIdentities.reg") != std::string::npos;
      return Win32Processes::Start(line, show);
    }
  } processes;
  EXPECT_TRUE(w.shell.UnderWine());
  ToldShell told;
  const Platform on{w.registry, w.files, w.streams, processes, told, user};
  std::string exported[2];
  for (bool wine : {false, true}) {
    told.wine = wine;
    processes.identities = 0;
    Recreate(backup);
    ASSERT_EQ(Backup(on), 0) << Messages();
    exported[wine] = ReadAll(backup + "\\AllIdentities.reg");
    EXPECT_EQ(processes.identities, wine ? 1 : 2);
  }
  EXPECT_EQ(exported[0], exported[1]);
  EXPECT_TRUE(Holds(exported[1], Utf16("\"Username\"=\"Main Identity\"")));
}

// The rewrite on real files: key lines only, both encodings, a key line that straddles a
// block of the reader, and the file never lost.
TEST_F(Engine, ExportRewriteHalvesSeparatorsInKeyLinesOnly) {
  const std::string in =
      "[HKEY_CURRENT_USER\\Identities\\\\{A}\\\\x]\r\n\"P\"=\"\\\\\\\\srv\\\\\"\r\n";
  const std::string out =
      "[HKEY_CURRENT_USER\\Identities\\{A}\\x]\r\n\"P\"=\"\\\\\\\\srv\\\\\"\r\n";
  const std::string pad = "\"Pad\"=\"" + std::string((1 << 20) - 20, 'p') + "\"\r\n";
  struct Case {
    std::string before;  // "" : no file at all
    FixResult result;
    std::string after;
  } cases[] = {
      {"REGEDIT4\r\n" + in, FixResult::Rewritten, "REGEDIT4\r\n" + out},
      {"\xFF\xFE" + Utf16(in), FixResult::Rewritten, "\xFF\xFE" + Utf16(out)},
      {pad + in, FixResult::Rewritten, pad + out},
      {"REGEDIT4\r\n" + out, FixResult::Unchanged, "REGEDIT4\r\n" + out},
      {"", FixResult::Missing, "<missing>"},
  };
  ::SetCurrentDirectoryA(backup.c_str());
  WindowedApp app(p);
  for (const Case& c : cases) {
    ::DeleteFileA((backup + "\\x.reg").c_str());
    if (!c.before.empty()) WriteAll(backup + "\\x.reg", c.before);
    EXPECT_EQ(fixfile(app.p, "x.reg"), c.result) << c.before.substr(0, 40);
    EXPECT_TRUE(ReadAll(backup + "\\x.reg") == c.after) << c.before.substr(0, 40);
    EXPECT_EQ(Entries(backup).count("x.re~"), 0u) << "a scratch file was left";
  }
  ::SetCurrentDirectoryA(cwd.c_str());
}

// The registry editor is started by its bare name with the backup folder current: a program
// of that name planted there must never run, even where Windows has none of its own.
TEST(Processes, ABareNameRunsOnlyFromTheWindowsFolders) {
  char system[MAX_PATH] = "", temp[MAX_PATH] = "", here[MAX_PATH] = "";
  ::GetSystemDirectoryA(system, MAX_PATH);
  ::GetTempPathA(MAX_PATH, temp);
  ::GetCurrentDirectoryA(MAX_PATH, here);
  const std::string planted = std::string(temp) + "larkplanted.exe";
  ASSERT_TRUE(
      ::CopyFileA((std::string(system) + "\\hostname.exe").c_str(), planted.c_str(), FALSE));
  ::SetCurrentDirectoryA(temp);
  Win32Processes processes;
  ProcessOwner started(processes, processes.Start("larkplanted", SW_HIDE));
  started.Wait(10000);
  ::SetCurrentDirectoryA(here);
  ::DeleteFileA(planted.c_str());
  EXPECT_FALSE(started.Started());
}

// The processor's SHA instructions only where Windows says it saves the SSE and SSE2 state;
// the question reaches the real function (Wine has it, as every NT-family Windows does).
TEST(Sha256Os, ExtensionsOnlyWhereWindowsSavesTheSseRegisters) {
  struct Answering : Win32Shell {
    bool sse = false, sse2 = false;
    bool ProcessorFeaturePresent(std::uint32_t f) override {
      return f == kPfXmmiInstructionsAvailable ? sse : f == kPfXmmi64InstructionsAvailable && sse2;
    }
  } answering;
  Win32Shell real;
  EXPECT_TRUE(real.ProcessorFeaturePresent(kPfXmmiInstructionsAvailable));
  EXPECT_TRUE(real.ProcessorFeaturePresent(kPfXmmi64InstructionsAvailable));
  Sha256SettleOsSupport(real);
  const bool cpu = Sha256UsesCpuExtensions();
  struct Case {
    bool sse, sse2, used;
  } cases[] = {
      {false, false, false}, {true, false, false}, {false, true, false}, {true, true, cpu}};
  for (const Case& c : cases) {
    answering.sse = c.sse;
    answering.sse2 = c.sse2;
    Sha256SettleOsSupport(answering);
    EXPECT_EQ(Sha256UsesCpuExtensions(), c.used) << c.sse << c.sse2;
  }
  Sha256SettleOsSupport(real);
}

// The folder list stands in the order Windows lists names for a person, not by code point.
TEST(Chooser, ListsFoldersInTheOrderWindowsShowsThem) {
  const std::string top = kRoot + "\\sort";
  const std::vector<std::string> names = {"Zed", "\xC9lise", "b", "Erik",
                                          "alpha"};  // E acute, 1252
  ::CreateDirectoryA(kRoot.c_str(), nullptr);
  ::CreateDirectoryA(top.c_str(), nullptr);
  for (const std::string& n : names) ::CreateDirectoryA((top + "\\" + n).c_str(), nullptr);
  Win32FileSystem files;
  ChooserWindow chooser(files);
  ASSERT_TRUE(chooser.SetDir1Path(top));
  std::vector<std::string> listed;
  for (const FolderItem& item : chooser.Dir1Items())
    if (!item.open) listed.push_back(item.name);
  for (const std::string& n : names) ::RemoveDirectoryA((top + "\\" + n).c_str());
  EXPECT_EQ(listed, (std::vector<std::string>{"alpha", "b", "\xC9lise", "Erik", "Zed"}));
}

}  // namespace
}  // namespace lark::test
