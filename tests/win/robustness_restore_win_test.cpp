// The complete restore from backups that are not whole, and into a store that the mail
// client holds open, under Wine with its real registry editor and shell. The restore must
// put back what the backup holds, leave the rest as it is, never change the backup
// itself, and name what it could not put back.
#include <algorithm>
#include <functional>

#include "fs/backup_layout.h"
#include "fs/set_aside.h"
#include "win_support.h"

namespace lark::test {
namespace {

class RestoreRobustness : public WinTest {
 protected:
  std::string storeA, storeB;

  // Two identities, an account and an address book, backed up into `backup`.
  void SetUp() override {
    WinTest::SetUp();
    storeA = Store("main");
    storeB = Store("work");
    Identity("{A}", "Main", storeA);
    Identity("{B}", "Work", storeB);
    WriteAll(storeA + "\\Inbox.dbx", "main inbox");
    WriteAll(storeA + "\\Sent Items.dbx", "main sent");
    WriteAll(storeB + "\\Inbox.dbx", "work inbox");
    SetText(kAccount, "Account Name", "mail");
    Settings();
    ASSERT_EQ(Backup(), 0) << Messages();
  }
  // What a user would want the restore to undo.
  void Damage() {
    for (const std::string& f :
         {storeA + "\\Inbox.dbx", storeA + "\\Sent Items.dbx", storeB + "\\Inbox.dbx"})
      WriteOlder(f, "damaged");
    SetText(kAccount, "Account Name", "changed");
  }
};

TEST_F(RestoreRobustness, PartialBackupsPutBackWhatTheyHoldAndLeaveTheRest) {
  struct Case {
    const char* what;
    std::function<void(const std::string& bk)> cut;
    bool accountBack, mainBack, workBack;
    std::string report = "";  // the closing report's problem, when it has one
  } cases[] = {
      {"no IAM.reg", [](const std::string& bk) { ::DeleteFileA((bk + "\\IAM.reg").c_str()); },
       false, true, true},
      {"no identity folder", [](const std::string& bk) { RemoveTree(bk + "\\Work"); }, true, true,
       false},
      {"empty AllIdentities.reg",
       [](const std::string& bk) { WriteAll(bk + "\\AllIdentities.reg", ""); }, true, true, true,
       texts::RegFileNotRegistryFile(kAllIdentitiesFile)},
      {"no registry files at all",
       [](const std::string& bk) {
         for (const char* f : {"AllIdentities.reg", "IAM.reg", "AddressBook.reg"})
           ::DeleteFileA((bk + "\\" + f).c_str());
       },
       false, true, true},
  };
  const auto whole = Files(backup);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveTree(backup);
    for (const auto& [path, content] : whole) WriteAll(backup + "\\" + path, content.substr(2));
    c.cut(backup);
    const auto cutBackup = Files(backup);
    Damage();
    EXPECT_EQ(Restore(), "Restore Complete");
    EXPECT_EQ(Report(), c.report.empty() ? "" : texts::kRestoreProblemsIntro + ("\r\n" + c.report));
    EXPECT_EQ(user.messages.size(), c.report.empty() ? 0u : 1u) << Messages();
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kAccount, "Account Name"),
              std::string(c.accountBack ? "mail" : "changed") + '\0');
    EXPECT_EQ(ReadAll(storeA + "\\Inbox.dbx"), c.mainBack ? "main inbox" : "damaged");
    EXPECT_EQ(ReadAll(storeA + "\\Sent Items.dbx"), c.mainBack ? "main sent" : "damaged");
    EXPECT_EQ(ReadAll(storeB + "\\Inbox.dbx"), c.workBack ? "work inbox" : "damaged");
    EXPECT_EQ(Files(backup), cutBackup) << "the restore changed the backup";
  }
}

// Registry files of a backup folder on a shared disk, rewritten to reach beyond their branch:
// each is refused with its reason and the live registry stays as it was, while the files the
// backup itself wrote are imported.
TEST_F(RestoreRobustness, EachRegistryFileImportsOnlyItsOwnBranch) {
  const std::string v5 = "Windows Registry Editor Version 5.00\r\n\r\n";
  const std::string account =
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001]"
      "\r\n\"Account Name\"=\"planted\"\r\n";
  const std::string victim = "Software\\LarkmoorVictim";
  struct Case {
    const char* file;  // nullptr: the backup's own files
    std::string text;
    std::string reason;
  } cases[] = {
      {kIamFile,
       v5 + account + "[HKEY_CURRENT_USER\\" + victim + "\\Run]\r\n\"x\"=\"planted.exe\"\r\n",
       texts::RegFileKeyOutside(kIamFile, "HKEY_CURRENT_USER\\" + victim + "\\Run", kIamBranch,
                                false)},
      {kAddressBookFile,
       v5 + "[HKEY_CURRENT_USER\\Software\\Microsoft\\WAB]\r\n[-HKEY_CURRENT_USER\\" + victim +
           "]\r\n",
       texts::RegFileKeyOutside(kAddressBookFile, "HKEY_CURRENT_USER\\" + victim,
                                kAddressBookBranch, true)},
      {kAllIdentitiesFile, v5 + "\"Planted\"=\"x\"\r\n[HKEY_CURRENT_USER\\Identities]\r\n",
       texts::RegFileValueBeforeKey(kAllIdentitiesFile)},
      {kIamFile, "MZ\x90 a program, not a registry file\r\n" + account,
       texts::RegFileNotRegistryFile(kIamFile)},
      {nullptr, "", ""},
  };
  ASSERT_TRUE(::DeleteFileA((backup + "\\Larkmoor.sha256").c_str()));  // rewritten with them
  const auto whole = Files(backup);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file ? c.file : "own files");
    SetText(victim, "Kept", "kept");
    SetText(kAccount, "Account Name", c.file ? "mail" : "changed");
    for (const auto& [path, content] : whole) WriteAll(backup + "\\" + path, content.substr(2));
    if (c.file) {
      WriteAll(backup + "\\" + c.file, "\xFF\xFE" + Utf16(c.text));
    }
    std::map<std::string, std::string> before = UserRegistry();
    Snapshot(victim, &before);
    EXPECT_EQ(Restore(), "Restore Complete");
    std::map<std::string, std::string> after = UserRegistry();
    Snapshot(victim, &after);
    if (c.file) {
      EXPECT_EQ(after, before);
      EXPECT_EQ(Report(), std::string(texts::kRestoreProblemsIntro) + "\r\n" + c.reason);
      EXPECT_TRUE(Holds(ReadAll(backup + "\\RestoreReport.txt"), c.reason));
    } else {
      EXPECT_EQ(Report(), "");
      EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kAccount, "Account Name"), std::string("mail") + '\0');
    }
  }
  DeleteTree(victim);
}

// The mail client still running: one store file is held open. The others are put back, and
// the one that could not be is named.
TEST_F(RestoreRobustness, StoreFileHeldOpenWithoutSharing) {
  Damage();
  const auto backupBefore = Files(backup);
  {
    const FileHandle holder = HoldOpen(storeA + "\\Inbox.dbx");
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(Restore(), "Restore Complete");
  }
  EXPECT_EQ(Report(), std::string(texts::kRestoreProblemsIntro) + "\r\n" +
                          texts::RestoreFileNotCopied(storeA + "\\Inbox.dbx"));
  EXPECT_EQ(ReadAll(storeA + "\\Inbox.dbx"), "damaged");
  EXPECT_EQ(ReadAll(storeA + "\\Sent Items.dbx"), "main sent");
  EXPECT_EQ(ReadAll(storeB + "\\Inbox.dbx"), "work inbox");
  EXPECT_EQ(Files(backup), backupBefore);
}

// Records the order of flushes and renames, and refuses the flushes when told to: a copy
// that never reached the disk cannot be produced on demand.
struct FlushWatch : Win32FileSystem {
  bool refuse = false;
  std::vector<std::string> steps;
  bool FlushFile(const std::string& path) override {
    steps.push_back("flush " + path);
    return !refuse && Win32FileSystem::FlushFile(path);
  }
  bool MoveFileReplacing(const std::string& from, const std::string& to) override {
    steps.push_back("rename " + from);
    return Win32FileSystem::MoveFileReplacing(from, to);
  }
};

// The rename over a live store reaches the disk at once, the shell's copy perhaps much later:
// each copy is written out first, and one that cannot be leaves the live store as it was.
TEST_F(RestoreRobustness, EachCopyIsOnTheDiskBeforeItTakesTheLiveStoresPlace) {
  const std::vector<std::pair<std::string, std::string>> live = {
      {storeA + "\\Inbox.dbx", "main inbox"},
      {storeA + "\\Sent Items.dbx", "main sent"},
      {storeB + "\\Inbox.dbx", "work inbox"}};
  for (bool refuse : {false, true}) {
    SCOPED_TRACE(refuse ? "flush refused" : "flushed");
    Damage();
    FlushWatch files;
    files.refuse = refuse;
    const Platform on{w.registry, files, w.streams, w.processes, w.shell, user};
    EXPECT_EQ(Restore(on), "Restore Complete");
    std::string problems;
    for (const auto& [f, backedUp] : live) {
      const std::string incoming = IncomingNameFor(f);
      const auto renamed = std::find(files.steps.begin(), files.steps.end(), "rename " + incoming);
      if (refuse) {
        EXPECT_EQ(renamed, files.steps.end()) << f;
        EXPECT_EQ(ReadAll(f), "damaged");
        problems += "\r\n" + texts::RestoreFileNotCopied(f);
      } else {
        ASSERT_NE(renamed, files.steps.end()) << f;
        EXPECT_EQ(*(renamed - 1), "flush " + incoming);
        EXPECT_EQ(ReadAll(f), backedUp);
      }
      EXPECT_EQ(::GetFileAttributesA(incoming.c_str()), INVALID_FILE_ATTRIBUTES) << incoming;
    }
    EXPECT_EQ(Report(), problems.empty() ? "" : texts::kRestoreProblemsIntro + problems);

    // The address book put back with the shell's question, none live: nothing is asked, and
    // a copy that cannot be written out does not stay as if it were whole.
    ::DeleteFileA(book.c_str());
    user.messages.clear();
    user.chosenFile = backup + "\\me.wab";
    StartedApp::Run(on, mnuResWAB_Click);
    EXPECT_NE(std::find(files.steps.begin(), files.steps.end(), "flush " + book),
              files.steps.end());
    EXPECT_EQ(Exists(book), !refuse);
    EXPECT_EQ(
        Report(),
        refuse ? texts::kRestoreProblemsIntro + ("\r\n" + texts::RestoreFileNotCopied(book)) : "");
    WriteAll(book, "address book");
    user.chosenFile.reset();
  }
}

}  // namespace
}  // namespace lark::test
