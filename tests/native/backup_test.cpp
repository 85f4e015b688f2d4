// The complete backup, the address-book backup and the command line, against the
// in-memory platform with a stand-in registry editor.
#include <gtest/gtest.h>

#include "backup/complete_backup.h"
#include "backup/export_units.h"
#include "core/app.h"
#include "core/startup.h"
#include "core/texts.h"
#include "discovery/identities.h"
#include "platform/memory/memory_platform.h"
#include "ui/handlers.h"

namespace lark {
namespace {

constexpr const char* kSettings = "HKCU\\Software\\TarnKeep";
constexpr const char* kStore = "C:\\Profile\\Store";

// The stand-in editor writes what an export would, in the current directory.
void StandInEditor(MemoryPlatform& m) {
  m.processes.onStart = [&m](const std::string& command) {
    std::size_t q1 = command.find('"');
    std::size_t q2 = command.find('"', q1 + 1);
    if (q1 == std::string::npos || command.find("/e") == std::string::npos) return;
    m.files.WriteFile(command.substr(q1 + 1, q2 - q1 - 1),
                      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Identities\\\\{A}]\r\n\"v\"=\"a\\\\b\"\r\n");
  };
}

bool IsIdentityCopy(const MemoryShell::Copy& c) { return c.to.find("Identity") != std::string::npos; }

class Backup : public ::testing::Test {
 protected:
  MemoryPlatform m;
  App app{m.platform};

  void SetUp() override {
    m.shell.environment["USERPROFILE"] = "C:\\Profile";
    m.registry.SetString("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                         "Microsoft Windows XP");
    m.registry.SetString(kSettings, "TarnKeep", "D:\\Bk");
    m.registry.SetDword(kSettings, "BackupOverWrite", 1);
    m.files.AddDrive('D');
    m.files.AddFolder("D:\\Bk");
    m.registry.SetString("HKCU\\Identities", "Default User ID", "{A}");
    m.registry.SetString("HKCU\\Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "",
                         "C:\\Profile\\Book\\me.wab");
    m.files.AddFile("C:\\Profile\\Book\\me.wab", "WAB");
    Identity("{A}", "Main Identity", "%UserProfile%\\Store");
    m.files.AddFile(std::string(kStore) + "\\Inbox.dbx", "inbox");
    m.files.AddFile(std::string(kStore) + "\\Sent Items.dbx", "sent");
    m.files.AddFile(std::string(kStore) + "\\Hidden.dbx", "hidden", kFileAttributeHidden);
    m.files.AddFile(std::string(kStore) + "\\notes.txt", "x");
    StandInEditor(m);
  }
  void Identity(const std::string& id, const std::string& name, const std::string& store) {
    m.registry.SetString("HKCU\\Identities\\" + id, "Username", name);
    m.registry.SetString("HKCU\\" + MailClientKey(id), "Store Root", store, kRegExpandSz);
    m.registry.SetString("HKCU\\" + MailClientKey(id) + "\\Signatures\\00000000", "text", "-- " + name);
  }
  void Start(const std::string& commandLine = "") {
    app.state.commandLine = commandLine;
    Form_Load(app);
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> out;
    for (auto& msg : m.user.messages) out.push_back(msg.text);
    return out;
  }
};

TEST_F(Backup, WritesTheLayoutOfTheBackupFolder) {
  Identity("{B}", "Work", "C:\\WorkStore");
  m.files.AddFile("C:\\WorkStore\\Inbox.dbx", "work inbox");
  Identity("{C}", "Guest", kEmptyIdentityMarker);  // discovery would write this
  Start();
  cmdComplete_Click(app);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(m.processes.started,
            (std::vector<std::string>{
                "regedit /s /e:A \"AllIdentities.reg\"  \"HKEY_CURRENT_USER\\Identities\\\"",
                "regedit /s /e:A \"IAM.reg\"  \"HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Internet "
                "Account Manager\\Accounts\"",
                "regedit /s /e:A \"AddressBook.reg\"  \"HKEY_CURRENT_USER\\Software\\Microsoft\\WAB\""}));
  for (const std::string& d : m.processes.directories) EXPECT_EQ(d, "D:\\Bk");
  for (int style : m.processes.showStyles) EXPECT_EQ(style, kSwShowMinimized);
  // Rewritten: the key line has one separator, the value keeps its escape.
  EXPECT_EQ(m.files.Contents("D:\\Bk\\IAM.reg"),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Identities\\{A}]\r\n\"v\"=\"a\\\\b\"\r\n");
  EXPECT_EQ(m.files.Contents("D:\\Bk\\me.wab"), "WAB");
  EXPECT_EQ(m.files.Contents("D:\\Bk\\Main Identity\\Inbox.dbx"), "inbox");
  EXPECT_EQ(m.files.Contents("D:\\Bk\\Main Identity\\Sent Items.dbx"), "sent");
  EXPECT_EQ(m.files.Contents("D:\\Bk\\Main Identity\\me.wab"), "WAB");
  EXPECT_FALSE(m.files.Exists("D:\\Bk\\Main Identity\\Hidden.dbx"));
  EXPECT_FALSE(m.files.Exists("D:\\Bk\\Main Identity\\notes.txt"));
  EXPECT_TRUE(m.files.Exists("D:\\Bk\\Main Identity\\SignaturesWinXP.reg"));
  EXPECT_EQ(m.files.Contents("D:\\Bk\\Work\\Inbox.dbx"), "work inbox");
  EXPECT_FALSE(m.files.Exists("D:\\Bk\\Guest"));
  EXPECT_EQ(app.Form1().Panel(1), "Backup Complete");
  EXPECT_EQ(app.Form1().Panel(2), "2 Identities Backed Up");
  EXPECT_EQ(m.user.pointers, (std::vector<Pointer>{Pointer::Hourglass, Pointer::Default}));
  EXPECT_EQ(m.files.GetCurrentDirectoryA(), "D:\\Bk");
  // The first copy, the address book's into the backup folder, keeps the flag it had.
  ASSERT_FALSE(m.shell.copies.empty());
  EXPECT_EQ(m.shell.copies[0].to, "D:\\Bk\\me.wab");
  for (const auto& c : m.shell.copies)
    if (IsIdentityCopy(c)) EXPECT_EQ(c.flags, 0x50u) << c.from;
  EXPECT_EQ(m.processes.OpenHandles(), 0u);
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST_F(Backup, NoFolderSetGivesTheFiveRemindersInOrderAndWritesNothing) {
  m.registry.SetString(kSettings, "TarnKeep", "None Selected");
  m.registry.Ensure("HKCU\\Software\\Microsoft\\WAB\\WAB4\\Wab File Name");
  Start();
  m.user.messages.clear();
  cmdComplete_Click(app);
  const std::string dot = "Please select a backup folder or create one from the Tools menu.";
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            dot, "Please select a backup folder or create one from the Tools menu ",
                            dot, dot, dot}));
  EXPECT_TRUE(m.processes.started.empty());
  EXPECT_TRUE(m.shell.copies.empty());
}

TEST_F(Backup, SignaturesFollowTheEdition) {
  struct Case {
    const char* product;
    const char* key;
    const char* file;
    const char* command;
  } cases[] = {
      {"Microsoft Windows 2000", "Windows NT", "SignaturesWin2k.reg", nullptr},
      {"Windows Server 2003", "Windows NT", nullptr,
       "regedit /s /e:A \"Signatures.reg\"  \"HKEY_CURRENT_USER\\Identities\\{A}\\Software\\"
       "Microsoft\\Outlook Express\\5.0\\Signatures\""},
      {"Microsoft Windows 98", "Windows", nullptr,
       "regedit /s /e \"Signatures.reg\"  \"HKEY_CURRENT_USER\\Identities\\{A}\\Software\\"
       "Microsoft\\Outlook Express\\5.0\\Signatures\""},
  };
  for (const auto& c : cases) {
    MemoryPlatform mp;
    App a{mp.platform};
    StandInEditor(mp);
    mp.registry.SetString(std::string("HKLM\\Software\\Microsoft\\") + c.key + "\\CurrentVersion",
                          "ProductName", c.product);
    mp.registry.SetString(kSettings, "TarnKeep", "C:\\Bk");
    mp.files.AddFolder("C:\\Bk");
    mp.registry.SetString("HKCU\\Identities", "Default User ID", "{A}");
    mp.registry.SetString("HKCU\\Identities\\{A}", "Username", "Main");
    mp.registry.SetString("HKCU\\" + MailClientKey("{A}"), "Store Root", "C:\\S");
    mp.registry.Ensure("HKCU\\" + MailClientKey("{A}") + "\\Signatures");
    Form_Load(a);
    cmdComplete_Click(a);
    if (c.file) EXPECT_TRUE(mp.files.Exists(std::string("C:\\Bk\\Main\\") + c.file)) << c.product;
    if (c.command) {
      ASSERT_EQ(mp.processes.started.size(), 4u) << c.product;
      EXPECT_EQ(mp.processes.started[3], c.command);
      EXPECT_EQ(mp.processes.directories[3], "C:\\Bk\\Main");
    } else {
      EXPECT_EQ(mp.processes.started.size(), 3u) << c.product;
    }
  }
}

TEST_F(Backup, AnEditorThatMisreadsTheIdentitiesBranchIsAskedAgain) {
  // Like an editor that takes \" for an escaped quote: the first export writes nothing.
  m.processes.onStart = [this](const std::string& command) {
    if (command.find("Identities\\\"") != std::string::npos &&
        command.find("Identities\\\\\"") == std::string::npos)
      return;
    std::size_t q1 = command.find('"');
    m.files.WriteFile(command.substr(q1 + 1, command.find('"', q1 + 1) - q1 - 1), "REGEDIT4\r\n");
  };
  m.registry.Ensure("HKCU\\Identities");
  Start();
  cmdComplete_Click(app);
  ASSERT_GE(m.processes.started.size(), 4u);
  EXPECT_EQ(m.processes.started[3],
            "regedit /s /e:A \"AllIdentities.reg\"  \"HKEY_CURRENT_USER\\Identities\\\\\"");
  EXPECT_TRUE(m.files.Exists("D:\\Bk\\AllIdentities.reg"));
}

TEST_F(Backup, ExportStillRunningIsNotRewrittenAndIsReported) {
  m.processes.neverEnds = true;
  Start();
  cmdComplete_Click(app);
  ASSERT_EQ(m.user.messages.size(), 1u);
  EXPECT_NE(m.user.messages[0].text.find("AllIdentities.reg"), std::string::npos);
  EXPECT_EQ(m.files.Contents("D:\\Bk\\IAM.reg").find("\\\\{A}") != std::string::npos, true);
}

TEST_F(Backup, NoExportsOnAnUnknownEditionAndNoEmptyFilesLeft) {
  m.registry.DeleteKey("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion");
  Start();
  cmdComplete_Click(app);
  EXPECT_TRUE(m.processes.started.empty());
  EXPECT_FALSE(m.files.Exists("D:\\Bk\\AllIdentities.reg"));
  EXPECT_FALSE(m.files.Exists("D:\\Bk\\IAM.reg"));
  EXPECT_TRUE(m.files.Exists("D:\\Bk\\Main Identity\\Inbox.dbx"));
  EXPECT_FALSE(m.files.Exists("D:\\Bk\\Main Identity\\SignaturesWinXP.reg"));
}

TEST_F(Backup, HostileNamesAndUnusableStoresStayInsideTheBackupFolder) {
  Identity("{B}", "..\\..\\Windows", "C:\\WorkStore");
  m.files.AddFile("C:\\WorkStore\\Inbox.dbx", "evil");
  Identity("{C}", "NoStore", "");
  m.registry.SetString("HKCU\\Identities\\{D}", "Username", "NoKey");
  Start();
  cmdComplete_Click(app);
  EXPECT_EQ(m.files.Contents("D:\\Bk\\.._.._Windows\\Inbox.dbx"), "evil");
  EXPECT_FALSE(m.files.Exists("D:\\Windows"));
  EXPECT_FALSE(m.files.Exists("D:\\Bk\\NoStore"));
  EXPECT_EQ(app.Form1().Panel(2), "2 Identities Backed Up");  // NoKey got the marker
}

TEST_F(Backup, IdentitiesUnreadableStopsWithTheTwoMessages) {
  Start();
  m.registry.Find("HKCU\\Identities")->denyWrite = true;  // full access refused
  cmdComplete_Click(app);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Registry read error 5Identities",
                                                  "You will need to run Outlook Express at least one time."}));
  EXPECT_EQ(m.user.pointers.back(), Pointer::Default);
  EXPECT_NE(app.Form1().Panel(1), "Backup Complete");
}

TEST_F(Backup, OverwriteOptionDecidesTheQuestionForIdentityCopies) {
  m.registry.SetDword(kSettings, "BackupOverWrite", 0);
  Start();
  cmdComplete_Click(app);
  for (const auto& c : m.shell.copies)
    if (IsIdentityCopy(c)) EXPECT_EQ(c.flags, 0x40u) << c.from;
}

TEST_F(Backup, AddressBookBackupTestsTheStoredFolder) {
  m.registry.SetString(kSettings, "TarnKeep", "None Selected");
  Start();
  m.user.messages.clear();
  app.Form3().SetTxtbkPth("C:\\Somewhere");
  addBookFile_Click(app);
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "Please select a backup folder or create one from the Tools menu."}));
  EXPECT_TRUE(m.shell.copies.empty());

  m.registry.SetString(kSettings, "TarnKeep", "D:\\Bk");
  app.state.wabFile = "";
  addBookFile_Click(app);
  EXPECT_TRUE(m.shell.copies.empty());  // nothing to copy
  EXPECT_EQ(app.Form1().Panel(1), " Address Book Copy Complete");
}

TEST_F(Backup, UnattendedRunBacksUpAndEndsWithItsExitCode) {
  std::vector<bool> visibleDuringBackup;
  m.processes.onStart = [&](const std::string& command) {
    visibleDuringBackup.push_back(app.Form1().Visible());
    m.files.WriteFile(command.substr(command.find('"') + 1,
                                     command.find('"', command.find('"') + 1) - command.find('"') - 1),
                      "REGEDIT4\r\n");
  };
  try {
    Start("/a /h /b:D:\\New Folder");
    FAIL() << "an /a run ends the program";
  } catch (const ProcessEnded& e) {
    EXPECT_EQ(e.exitCode, 0);
  }
  ASSERT_FALSE(visibleDuringBackup.empty());
  EXPECT_FALSE(visibleDuringBackup[0]);
  EXPECT_EQ(m.registry.Get(kSettings, "TarnKeep")->data.size(), std::string("D:\\New Folder").size() + 1);
  EXPECT_EQ(m.files.Contents("D:\\New Folder\\Main Identity\\Inbox.dbx"), "inbox");
  for (const auto& c : m.shell.copies) EXPECT_EQ(c.flags & 0x10u, 0x10u);
}

TEST_F(Backup, CommandLineSwitchesAreSubstringsInAFixedOrder) {
  m.registry.SetDword(kSettings, "BackupOverWrite", 0);
  try {
    Start("/O /ALL");
    FAIL();
  } catch (const ProcessEnded& e) {
    EXPECT_EQ(e.exitCode, 0);
  }
  // The backup ran with the option as it was stored; "/o" came after it.
  for (const auto& c : m.shell.copies)
    if (IsIdentityCopy(c)) EXPECT_EQ(c.flags, 0x40u);
  EXPECT_EQ(m.registry.Get(kSettings, "BackupOverWrite")->data[0], 1);

  MemoryPlatform mp;
  App a{mp.platform};
  mp.registry.SetString(kSettings, "TarnKeep", "None Selected");
  a.state.commandLine = "/h /w";
  Form_Load(a);  // no "/a": the window stays, the address-book backup reminds
  EXPECT_TRUE(a.Form1().Visible());
}

TEST_F(Backup, BadFolderArgumentStopsAnUnattendedRunWithItsCode) {
  try {
    Start("/a /b:Q:\\Nowhere");
    FAIL();
  } catch (const ProcessEnded& e) {
    EXPECT_EQ(e.exitCode, static_cast<int>(BackupOutcome::BadFolderArgument));
  }
  EXPECT_TRUE(m.processes.started.empty());
  EXPECT_TRUE(m.user.messages.empty());
  EXPECT_EQ(m.registry.Get(kSettings, "TarnKeep")->data.size(), 6u);  // still D:\Bk
}

TEST_F(Backup, HiddenUnattendedRunReportsProblemsByExitCodeOnly) {
  m.streams.lockedFiles.clear();
  m.processes.neverEnds = true;  // the exports never finish: reported as problems
  try {
    Start("/a /h");
    FAIL();
  } catch (const ProcessEnded& e) {
    EXPECT_EQ(e.exitCode, static_cast<int>(BackupOutcome::CompleteWithProblems));
  }
  EXPECT_TRUE(m.user.messages.empty());
}

TEST_F(Backup, NoFolderSetEndsAnUnattendedRunWithItsCode) {
  m.registry.SetString(kSettings, "TarnKeep", "None Selected");
  try {
    Start("/a");
    FAIL();
  } catch (const ProcessEnded& e) {
    EXPECT_EQ(e.exitCode, static_cast<int>(BackupOutcome::NoBackupFolder));
  }
}

}  // namespace
}  // namespace lark
