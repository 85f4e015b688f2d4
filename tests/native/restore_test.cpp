// The complete restore, its registry imports and the address-book restore, against the
// in-memory platform with a stand-in registry editor.
#include <gtest/gtest.h>

#include <array>

#include "core/app.h"
#include "core/startup.h"
#include "core/texts.h"
#include "discovery/identities.h"
#include "platform/memory/memory_platform.h"
#include "restore/complete_restore.h"
#include "restore/import_units.h"
#include "ui/handlers.h"

namespace lark {
namespace {

constexpr const char* kSettings = "HKCU\\Software\\TarnKeep";
constexpr const char* kWabKey = "HKCU\\Software\\Microsoft\\WAB\\WAB4\\Wab File Name";

// Every text panel 1 showed, in order.
class PanelRecorder : public IMainWindowView {
 public:
  explicit PanelRecorder(MainWindow& w) : w_(w) { w_.SetView(this); }
  ~PanelRecorder() override { w_.SetView(nullptr); }
  void Refresh(MainPart part) override {
    if (part == MainPart::Panel1) panel1.push_back(w_.Panel(1));
  }
  void Unload() override {}
  std::uintptr_t Handle() const override { return 0; }
  std::vector<std::string> panel1;

 private:
  MainWindow& w_;
};

class Restore : public ::testing::Test {
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
    for (const char* f : {"AllIdentities.reg", "IAM.reg", "AddressBook.reg", "me.wab"})
      m.files.AddFile(std::string("D:\\Bk\\") + f, f);
    // The stand-in editor imports the identities when it is given their file in the folder.
    m.processes.onStart = [this](const std::string& command) {
      if (command == "regedit /s /c \"AllIdentities.reg" && m.files.Exists("AllIdentities.reg"))
        for (const auto& id : imported) Identity(id[0], id[1], id[2]);
      if (command == "regedit /s /c \"AddressBook.reg" && m.files.Exists("AddressBook.reg"))
        m.registry.SetString(kWabKey, "", "C:\\Profile\\Book\\me.wab");
    };
  }
  void Identity(const std::string& id, const std::string& name, const std::string& store) {
    m.registry.SetString("HKCU\\Identities\\" + id, "Username", name);
    m.registry.SetString("HKCU\\" + MailClientKey(id), "Store Root", store, kRegExpandSz);
  }
  void Start() { Form_Load(app); }
  std::vector<std::string> Messages() {
    std::vector<std::string> out;
    for (auto& msg : m.user.messages) out.push_back(msg.text);
    return out;
  }
  std::vector<std::array<std::string, 3>> imported = {
      {"{A}", "Main Identity", "%UserProfile%\\Store"},
      {"{B}", "Work", "C:\\Work\\Deep\\Store"},
      {"{C}", "Guest", kEmptyIdentityMarker},
  };
};

TEST_F(Restore, CompleteRestorePutsEveryStoreBack) {
  m.files.AddFile("D:\\Bk\\Main Identity\\Inbox.dbx", "inbox");
  m.files.AddFile("D:\\Bk\\Main Identity\\Pop3uidl.dbx", "uidl");
  m.files.AddFile("D:\\Bk\\Main Identity\\Hidden.dbx", "hidden", kFileAttributeHidden);
  m.files.AddFile("D:\\Bk\\Main Identity\\me.wab", "wab");
  m.files.AddFile("D:\\Bk\\Main Identity\\SignaturesWinXP.reg", "hive");
  m.files.AddFile("D:\\Bk\\Work\\pop3uidl.dbx", "work uidl");
  m.files.AddFile("D:\\Bk\\Guest\\Inbox.dbx", "guest");
  m.files.AddFile("C:\\Profile\\Store\\Inbox.dbx", "damaged");
  m.files.AddFile("C:\\Profile\\Store\\Pop3uidl.dbx", "current uidl");
  Start();  // no identities yet: the imports bring them
  ASSERT_EQ(app.state.identCount, 0);
  m.user.openFileAnswers.push_back(std::string("D:\\Bk\\me.wab"));
  PanelRecorder panels(app.Form1());

  cmdRestore_Click(app);

  EXPECT_EQ(m.processes.started, (std::vector<std::string>{"regedit /s /c \"AllIdentities.reg",
                                                           "regedit /s /c \"IAM.reg",
                                                           "regedit /s /c \"AddressBook.reg"}));
  for (const std::string& d : m.processes.directories) EXPECT_EQ(d, "D:\\Bk");
  for (int style : m.processes.showStyles) EXPECT_EQ(style, kSwShowMinimized);
  EXPECT_EQ(m.processes.OpenHandles(), 0u);

  ASSERT_EQ(m.user.openFileRequests.size(), 1u);
  const OpenFileRequest& r = m.user.openFileRequests[0];
  EXPECT_EQ(r.initialDir, "D:\\Bk");
  EXPECT_EQ(r.fileName, "AddressBook.WAB");
  EXPECT_EQ(r.filter, "Address Book (*.WAB) | *.WAB");
  EXPECT_EQ(r.flags, 2u);
  EXPECT_EQ(m.files.Contents("C:\\Profile\\Book\\me.wab"), "me.wab");

  EXPECT_EQ(m.files.Contents("C:\\Profile\\Store\\Inbox.dbx"), "inbox");
  EXPECT_EQ(m.files.Contents("C:\\Profile\\Store\\Pop3uidl.dbx"), "current uidl");
  EXPECT_FALSE(m.files.Exists("C:\\Profile\\Store\\Hidden.dbx"));
  EXPECT_FALSE(m.files.Exists("C:\\Profile\\Store\\me.wab"));
  EXPECT_FALSE(m.files.Exists("C:\\Profile\\Store\\SignaturesWinXP.reg"));
  EXPECT_EQ(m.files.Contents("C:\\Work\\Deep\\Store\\pop3uidl.dbx"), "work uidl");
  // The identity without a store gets nothing, not even a folder named after the marker.
  EXPECT_FALSE(m.files.Exists(std::string("D:\\Bk\\Guest\\") + kEmptyIdentityMarker));
  ASSERT_EQ(m.shell.copies.size(), 3u);  // address book, Inbox.dbx, pop3uidl.dbx
  // The address book asks as the last command left it; the stores follow the check box.
  EXPECT_EQ(m.shell.copies[0].flags, 0x40u);
  EXPECT_EQ(m.shell.copies[1].flags, 0x50u);
  EXPECT_EQ(m.shell.copies[2].flags, 0x50u);

  EXPECT_EQ(
      panels.panel1,
      (std::vector<std::string>{
          "All Identities Import Complete", "Internet Accounts Manager Import Complete",
          "Address Book Import Complete", " Address Book Copy Complete",
          "Inbox.dbx Restore Complete", "pop3uidl.dbx Restore Complete", "Restore Complete"}));
  EXPECT_EQ(app.state.identCount, 3);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(m.files.GetCurrentDirectoryA(), "D:\\Bk");
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST_F(Restore, ImportUnitsClearPanelTwoWhereTheyAlwaysHave) {
  Start();
  MainWindow& f = app.Form1();
  std::vector<std::string> panel2AtStart;
  m.processes.onStart = [&](const std::string&) { panel2AtStart.push_back(f.Panel(2)); };
  for (void (*unit)(App&) : {resbkupAllIdent, resbkupIAM, resbkupAddBook}) {
    f.SetPanel(2, "x");
    unit(app);
  }
  EXPECT_EQ(panel2AtStart, (std::vector<std::string>{"", "", "x"}));
  EXPECT_EQ(f.Panel(2), "");
  EXPECT_EQ(f.Panel(1), "Address Book Import Complete");

  // No folder: the identities unit has cleared panel 2 already, the others have not.
  m.registry.SetString(kSettings, "TarnKeep", "None Selected");
  std::vector<std::string> panel2After;
  for (void (*unit)(App&) : {resbkupAllIdent, resbkupIAM, resbkupAddBook}) {
    f.SetPanel(2, "x");
    unit(app);
    panel2After.push_back(f.Panel(2));
  }
  EXPECT_EQ(panel2After, (std::vector<std::string>{"", "x", "x"}));
  EXPECT_EQ(m.processes.started.size(), 3u);
  EXPECT_EQ(f.Panel(1), "Address Book Import Complete");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Restore, ImportUnitsEndSilentlyWithoutAUsableFolderOrEditor) {
  Start();
  MainWindow& f = app.Form1();
  f.SetPanel(1, "before");
  // A relative setting would resolve against wherever the current directory is.
  m.files.AddFolder("D:\\Bk\\Elsewhere");
  m.files.AddFile("D:\\Bk\\Elsewhere\\IAM.reg", "stray");
  m.files.SetCurrentDirectoryA("D:\\Bk");
  for (const char* setting : {"Elsewhere", "Q:\\Nowhere", "D:\\Missing"}) {
    m.registry.SetString(kSettings, "TarnKeep", setting);
    resbkupIAM(app);
  }
  EXPECT_TRUE(m.processes.started.empty());

  m.registry.SetString(kSettings, "TarnKeep", "D:\\Bk");
  m.processes.failStart = true;
  resbkupAllIdent(app);
  m.processes.failStart = false;
  m.processes.neverEnds = true;  // still running when the wait gives up
  resbkupAddBook(app);
  EXPECT_EQ(f.Panel(1), "before");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Restore, AddressBookRestoreCopiesOnlyWhatTheUserChose) {
  m.registry.SetString(kWabKey, "", "C:\\Profile\\Book\\me.wab");
  m.files.AddFile("C:\\Profile\\Book\\me.wab", "current");
  Start();
  MainWindow& f = app.Form1();
  f.SetPanel(1, "before");
  f.SetPanel(2, "x");
  m.registry.SetString(kWabKey, "", "C:\\Other\\you.wab");
  resWAB_Click(app);  // cancelled
  EXPECT_EQ(app.state.wabFile, "C:\\Other\\you.wab");
  EXPECT_TRUE(m.shell.copies.empty());
  EXPECT_EQ(f.Panel(1), "before");
  EXPECT_EQ(f.Panel(2), "");

  // Chosen: into the address book's folder under its own name; the question is left to
  // whatever the last command set.
  app.state.silentCopy = false;
  m.user.openFileAnswers.push_back(std::string("D:\\Bk\\me.wab"));
  resWAB_Click(app);
  ASSERT_EQ(m.shell.copies.size(), 1u);
  EXPECT_EQ(m.shell.copies[0].to, "C:\\Other\\");
  EXPECT_EQ(m.shell.copies[0].flags, 0x40u);
  EXPECT_EQ(m.files.Contents("C:\\Other\\me.wab"), "me.wab");
  EXPECT_EQ(f.Panel(1), " Address Book Copy Complete");

  // No address book recorded: no folder to copy into, so nothing is offered or copied.
  for (const char* wab : {"", "me.wab", "Book\\me.wab"}) {
    m.registry.SetString(kWabKey, "", wab);
    f.SetPanel(1, "before");
    m.user.openFileAnswers.push_back(std::string("D:\\Bk\\me.wab"));
    resWAB_Click(app);
    m.user.openFileAnswers.clear();
    EXPECT_EQ(f.Panel(1), "before") << wab;
  }
  EXPECT_EQ(m.user.openFileRequests.size(), 2u);
  EXPECT_EQ(m.shell.copies.size(), 1u);
}

TEST_F(Restore, OnlyIdentitiesWithAFolderAreRestoredAndStoresAreCreated) {
  imported = {
      {"{A}", "One", "C:\\S1"}, {"{B}", "Two", "C:\\New\\Parent\\S2"}, {"{C}", "Three", "C:\\S3"}};
  for (const auto& id : imported) Identity(id[0], id[1], id[2]);
  m.files.AddFolder("D:\\Bk\\Two");  // holds no .dbx
  m.files.AddFile("D:\\Bk\\Two\\notes.txt", "n");
  m.files.AddFile("D:\\Bk\\One.dbx", "not a folder");
  Start();
  PanelRecorder panels(app.Form1());
  resComplete(app);
  EXPECT_TRUE(m.files.Exists("C:\\New\\Parent\\S2"));
  EXPECT_FALSE(m.files.Exists("C:\\New\\Parent\\S2\\notes.txt"));
  EXPECT_FALSE(m.files.Exists("C:\\S1"));
  EXPECT_FALSE(m.files.Exists("C:\\S3"));
  EXPECT_TRUE(m.shell.copies.empty());
  EXPECT_EQ(panels.panel1, (std::vector<std::string>{" Restore Complete", "Restore Complete"}));

  // No identity has a folder: still complete.
  m.files.AddFolder("D:\\Bk2");
  m.registry.SetString(kSettings, "TarnKeep", "D:\\Bk2");
  panels.panel1.clear();
  resComplete(app);
  EXPECT_EQ(panels.panel1, (std::vector<std::string>{"Restore Complete"}));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Restore, HostileNamesAndUnknownStoresNeverReachOutside) {
  imported = {{"{A}", "..\\..\\Windows", "C:\\Evil"},
              {"{B}", "NoStore", ""},
              {"{C}", "Relative", "Mail"},
              {"{D}", "Good", "C:\\Good"}};
  for (const auto& id : imported) Identity(id[0], id[1], id[2]);
  m.files.AddFile("D:\\Windows\\Inbox.dbx", "outside the backup");
  m.files.AddFile("D:\\Bk\\.._.._Windows\\Inbox.dbx", "inside");
  m.files.AddFile("D:\\Bk\\NoStore\\Inbox.dbx", "x");
  m.files.AddFile("D:\\Bk\\Relative\\Inbox.dbx", "y");
  m.files.AddFile("D:\\Bk\\Good\\Inbox.dbx", "good");
  Start();
  resComplete(app);
  EXPECT_EQ(m.files.Contents("C:\\Evil\\Inbox.dbx"), "inside");
  EXPECT_FALSE(m.files.Exists("D:\\Bk\\Relative\\Mail"));
  EXPECT_EQ(m.files.Contents("C:\\Good\\Inbox.dbx"), "good");
  EXPECT_EQ(app.Form1().Panel(1), "Restore Complete");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], std::string(texts::kRestoreProblemsIntro) + "\r\n" +
                               texts::RestoreNoStoreFolder("NoStore") + "\r\n" +
                               texts::RestoreNoStoreFolder("Relative"));
}

TEST_F(Restore, NoBackupFolderShowsTheDialogThenTheReminder) {
  m.registry.SetString(kSettings, "TarnKeep", "None Selected");
  m.registry.SetString(kWabKey, "", "C:\\Profile\\Book\\me.wab");
  Start();
  m.user.messages.clear();
  std::size_t dialogsBeforeReminder = 0;
  m.user.onMessage = [&](const std::string&) {
    dialogsBeforeReminder = m.user.openFileRequests.size();
  };
  cmdRestore_Click(app);
  EXPECT_TRUE(m.processes.started.empty());
  EXPECT_EQ(Messages(), (std::vector<std::string>{texts::kFirstRunReminder}));
  EXPECT_EQ(dialogsBeforeReminder, 1u);
  EXPECT_EQ(m.user.openFileRequests[0].initialDir, "None Selected");
  EXPECT_NE(app.Form1().Panel(1), "Restore Complete");
}

TEST_F(Restore, VanishedBackupFolderIsReportedNotCompleted) {
  Identity("{A}", "Main", "C:\\Store");
  Start();
  m.registry.SetString(kSettings, "TarnKeep", "D:\\Gone");
  resComplete(app);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{std::string(texts::kRestoreProblemsIntro) + "\r\n" +
                                      texts::RestoreFolderUnavailable("D:\\Gone")}));
  EXPECT_NE(app.Form1().Panel(1), "Restore Complete");
  EXPECT_TRUE(m.shell.copies.empty());
}

}  // namespace
}  // namespace lark
