// The complete restore from backups that are not whole, and into a store that the mail
// client holds open, under Wine with its real registry editor and shell. The restore must
// put back what the backup holds, leave the rest as it is, never change the backup
// itself, and name what it could not put back.
#include <functional>
#include <optional>

#include "restore/complete_restore.h"
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
    WindowedApp app(p);
    ASSERT_EQ(Backup(app), 0) << Messages();
    user.messages.clear();
  }
  // What a user would want the restore to undo.
  void Damage() {
    for (const std::string& f :
         {storeA + "\\Inbox.dbx", storeA + "\\Sent Items.dbx", storeB + "\\Inbox.dbx"})
      WriteAll(f, "damaged");
    SetText(kAccount, "Account Name", "changed");
  }
};

TEST_F(RestoreRobustness, PartialBackupsPutBackWhatTheyHoldAndLeaveTheRest) {
  struct Case {
    const char* what;
    std::function<void(const std::string& bk)> cut;
    bool accountBack, mainBack, workBack;
  } cases[] = {
      {"no IAM.reg", [](const std::string& bk) { ::DeleteFileA((bk + "\\IAM.reg").c_str()); },
       false, true, true},
      {"no identity folder", [](const std::string& bk) { RemoveTree(bk + "\\Work"); }, true, true,
       false},
      {"empty AllIdentities.reg",
       [](const std::string& bk) { WriteAll(bk + "\\AllIdentities.reg", ""); }, true, true, true},
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
    user.messages.clear();
    EXPECT_EQ(Restore(), "Restore Complete");
    EXPECT_TRUE(user.messages.empty()) << Messages();
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kAccount, "Account Name"),
              std::string(c.accountBack ? "mail" : "changed") + '\0');
    EXPECT_EQ(ReadAll(storeA + "\\Inbox.dbx"), c.mainBack ? "main inbox" : "damaged");
    EXPECT_EQ(ReadAll(storeA + "\\Sent Items.dbx"), c.mainBack ? "main sent" : "damaged");
    EXPECT_EQ(ReadAll(storeB + "\\Inbox.dbx"), c.workBack ? "work inbox" : "damaged");
    EXPECT_EQ(Files(backup), cutBackup) << "the restore changed the backup";
  }
}

// The mail client still running: one store file is held open. The others are put back, and
// the one that could not be is named.
TEST_F(RestoreRobustness, StoreFileHeldOpenByAnotherProcess) {
  Damage();
  const auto backupBefore = Files(backup);
  {
    HeldByAnotherProcess holder(storeA + "\\Inbox.dbx");
    ASSERT_TRUE(holder.held());
    EXPECT_EQ(Restore(), "Restore Complete");
  }
  EXPECT_EQ(Report(), std::string(texts::kRestoreProblemsIntro) + "\r\n" +
                          texts::RestoreFileNotCopied(storeA + "\\Inbox.dbx"));
  EXPECT_EQ(ReadAll(storeA + "\\Inbox.dbx"), "damaged");
  EXPECT_EQ(ReadAll(storeA + "\\Sent Items.dbx"), "main sent");
  EXPECT_EQ(ReadAll(storeB + "\\Inbox.dbx"), "work inbox");
  EXPECT_EQ(Files(backup), backupBefore);
}

}  // namespace
}  // namespace lark::test
