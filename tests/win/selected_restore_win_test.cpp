// Restoring single items of a backup, and restoring from a kept earlier backup, against
// Wine's real registry, registry editor and shell.
#include "fs/set_aside.h"
#include "restore/complete_restore.h"
#include "restore/selected_restore.h"
#include "win_support.h"

namespace lark::test {
namespace {

// The one fault a test cannot bring about on demand: a copy that the shell reports as made
// but that came out short.
struct ShortCopyShell : Win32Shell {
  int FileCopy(const std::string& from, const std::string& to, unsigned flags) override {
    const int rc = Win32Shell::FileCopy(from, to, flags);
    HANDLE h = ::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      ::SetFilePointer(h, 3, nullptr, FILE_BEGIN);
      ::SetEndOfFile(h);
      ::CloseHandle(h);
    }
    return rc;
  }
};

class Selected : public WinTest {
 protected:
  void SetUp() override {
    WinTest::SetUp();
    Seeded("{A}", "Ann");
    WriteAll(Store("{A}") + "\\Folders.dbx", "folders of {A}");
    Seeded("{B}", "Bob");
    SetText(MailClientKey("{A}") + "\\Rules", "Rule", "ann's rule");
    SetText(MailClientKey("{B}") + "\\Rules", "Rule", "bob's rule");
    SetText(kAccount, "Account Name", "Home mail");
    Settings();
    ASSERT_EQ(Backup(), 0) << Messages();
    user.messages.clear();
  }
  // What the dialog's OK does with `choice`, on the backup in `folder`.
  void RestoreChosen(const RestoreChoice& choice, const std::string& folder = "") {
    WindowedApp app(p);
    const BackupContents c = ReadBackupContents(app, folder.empty() ? backup : folder);
    RestoreSelected(app, c, choice);
    EXPECT_EQ(app.Form1().Panel(1), "Restore Complete");
  }
  static std::map<std::string, std::string> Keys(const std::string& id) {
    std::map<std::string, std::string> keys;
    Snapshot("Identities\\" + id, &keys);
    return keys;
  }
};

TEST_F(Selected, OneStoreOfOneIdentityAndNothingElse) {
  WriteAll(Store("{A}") + "\\Inbox.dbx", "inbox of {A} with the mail that came since");
  WriteAll(Store("{A}") + "\\Folders.dbx", "folders of {A}, changed");
  WriteAll(Store("{B}") + "\\Inbox.dbx", "inbox of {B}, changed");
  SetText(MailClientKey("{B}") + "\\Rules", "Rule", "bob's new rule");
  SetText(kAccount, "Account Name", "changed");
  WriteAll(book, "address book, changed");
  const auto registry = UserRegistry();
  auto expected = Files(stores);

  WindowedApp app(p);
  const BackupContents c = ReadBackupContents(app, backup);
  ASSERT_EQ(c.identities.size(), 2u);
  const BackupStore& inbox = c.identities[0].stores[0].file == "Inbox.dbx"
                                 ? c.identities[0].stores[0]
                                 : c.identities[0].stores[1];
  EXPECT_TRUE(inbox.check.verifies && inbox.liveNewer && inbox.liveLarger);
  RestoreSelected(app, c, RestoreChoice{{{"{A}", false, {"Inbox.dbx"}}}, false, false});

  expected["{A}\\Inbox.dbx"] = "0:inbox of {A}";
  EXPECT_EQ(Files(stores), expected);
  EXPECT_EQ(UserRegistry(), registry);
  EXPECT_EQ(ReadAll(book), "address book, changed");
  const std::string line = texts::StoreRestored(Store("{A}") + "\\Inbox.dbx");
  ASSERT_EQ(user.messages.size(), 1u);
  EXPECT_EQ(user.messages[0], std::string(texts::kSelectedRestoreDone) + "\r\n" + line);
  EXPECT_TRUE(Holds(ReadAll(backup + "\\RestoreReport.txt"), line));
}

TEST_F(Selected, OneIdentitysSettingsLeaveTheOtherIdentitysKeys) {
  const auto annAtBackup = Keys("{A}");
  SetText(MailClientKey("{A}") + "\\Rules", "Rule", "ann's changed rule");
  SetText("Identities\\{A}", "Username", "Ann renamed");
  SetText(MailClientKey("{B}") + "\\Rules", "Rule", "bob's new rule");
  const auto bobNow = Keys("{B}");
  RestoreChosen(RestoreChoice{{{"{A}", true, {}}}, false, false});
  EXPECT_EQ(Keys("{A}"), annAtBackup);
  EXPECT_EQ(Keys("{B}"), bobNow);
  EXPECT_FALSE(Exists(backup + "\\" + kIdentityScratchFile));
}

// A kept backup written by an editor of the 98 family (single-byte "REGEDIT4", no checksum
// list) that holds an identity deleted since: restored whole, into its recorded store folder.
TEST_F(Selected, AnIdentityThatIsGoneComesBackWholeFromASingleByteFile) {
  const std::string kept = backup + "\\Earlier Backups\\2026-01-02 03.04.05";
  std::string root;
  for (char ch : Store("{G}") + std::string(1, '\0'))
    root += (root.empty() ? "" : ",") + std::string(1, "0123456789abcdef"[(ch >> 4) & 15]) +
            "0123456789abcdef"[ch & 15];
  WriteAll(kept + "\\AllIdentities.reg",
           "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Identities]\r\n\"Default User ID\"=\"{A}\"\r\n\r\n"
           "[HKEY_CURRENT_USER\\Identities\\{A}]\r\n\"Username\"=\"Ann of old\"\r\n\r\n"
           "[HKEY_CURRENT_USER\\Identities\\{G}]\r\n\"Username\"=\"Gone\"\r\n\r\n"
           "[HKEY_CURRENT_USER\\Identities\\{G}\\Software\\Microsoft\\Outlook Express\\5.0]\r\n"
           "\"Store Root\"=hex(2):" +
               root.substr(0, 29) + ",\\\r\n  " + root.substr(30) +
               "\r\n\r\n"
               "[HKEY_CURRENT_USER\\Identities\\{G}\\Software\\Microsoft\\Outlook "
               "Express\\5.0\\Rules]\r\n\"Rule\"=\"gone's \\\"rule\\\"\"\r\n\r\n");
  WriteAll(kept + "\\Gone\\Inbox.dbx", "inbox of {G}");
  const auto annNow = Keys("{A}");
  RestoreChosen(RestoreChoice{{{"{G}", true, {"Inbox.dbx"}}}, false, false}, kept);
  EXPECT_EQ(Keys("{A}"), annNow);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "Identities\\{G}", "Username"), std::string("Gone\0", 5));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, MailClientKey("{G}") + "\\Rules", "Rule"),
            std::string("gone's \"rule\"\0", 14));
  EXPECT_EQ(ReadAll(Store("{G}") + "\\Inbox.dbx"), "inbox of {G}") << Messages();
  EXPECT_TRUE(Holds(ReadAll(backup + "\\RestoreReport.txt"), texts::RestoredFromKept(kept)));
}

// A file of a backup without a list, with a key line written as no editor writes it inside
// the identity's keys: the editor would read it as a key, so nothing of the file goes in.
TEST_F(Selected, AnIdentitysSettingsWithAKeyOutsideItAreNotImported) {
  DeleteTree("Software\\Larkmoor Planted");
  const std::string kept = backup + "\\Earlier Backups\\2026-01-02 03.04.05";
  WriteAll(kept + "\\AllIdentities.reg",
           "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Identities\\{G}]\r\n\"Username\"=\"Gone\"\r\n"
           " [HKEY_CURRENT_USER\\Software\\Larkmoor Planted]\r\n\"Run\"=\"planted.exe\"\r\n");
  RestoreChosen(RestoreChoice{{{"{G}", true, {}}}, false, false}, kept);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "Software\\Larkmoor Planted", "Run"), "<missing>");
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "Identities\\{G}", "Username"), "<missing>");
  EXPECT_TRUE(Holds(
      ReadAll(backup + "\\RestoreReport.txt"),
      texts::RegFileKeyOutside("AllIdentities.reg", "HKEY_CURRENT_USER\\Software\\Larkmoor Planted",
                               "HKEY_CURRENT_USER\\Identities\\{G}", false)));
}

// A file made on another system under a name Windows keeps for a device: opened by that name
// it is the device, so neither restore offers or reads it.
TEST_F(Selected, AFileNamedLikeADeviceIsNoStore) {
  const std::string device = "\\\\?\\" + backup + "\\Ann\\COM1.dbx";
  WriteAll(device, "not a store");
  WindowedApp app(p);
  const BackupContents c = ReadBackupContents(app, backup);
  ASSERT_FALSE(c.identities.empty());
  for (const BackupStore& s : c.identities[0].stores) EXPECT_NE(s.file, "COM1.dbx");
  EXPECT_EQ(Restore(), "Restore Complete");
  EXPECT_EQ(Report(), "");
  ::DeleteFileA(device.c_str());
}

// Through Restore Selected, and through Complete Restore with the overwrite option on.
TEST_F(Selected, AStoreThatFailsItsCheckLeavesTheLiveOneInPlace) {
  const std::string copy = backup + "\\Ann\\Inbox.dbx";
  const std::string saved = ReadAll(copy);
  const struct {
    const char* what;
    bool damaged;  // the copy changed since the backup: it cannot be ticked
    bool complete;
    const char* says;
  } cases[] = {{"damaged copy", true, false, "is damaged"},
               {"short copy", false, false, "failed its check"},
               {"short copy, complete restore", false, true, "failed its check"}};
  for (const auto& c : cases) {
    WriteAll(Store("{A}") + "\\Inbox.dbx", "live inbox");
    if (c.damaged) WriteAll(copy, "damaged");
    user.messages.clear();
    ShortCopyShell shortShell;
    Platform pl{w.registry, w.files, w.streams, w.processes, shortShell, user};
    StartedApp app(pl, c.complete);
    if (c.complete) {
      RestoreFrom(app, backup, WindowRunOptions(app));
    } else {
      const BackupContents contents = ReadBackupContents(app, backup);
      for (const BackupStore& s : contents.identities[0].stores)
        if (s.file == "Inbox.dbx") {
          EXPECT_EQ(s.check.verifies, !c.damaged) << c.what;
        }
      RestoreSelected(app, contents, RestoreChoice{{{"{A}", false, {"Inbox.dbx"}}}, false, false});
    }
    EXPECT_EQ(ReadAll(Store("{A}") + "\\Inbox.dbx"), "live inbox") << c.what;
    EXPECT_FALSE(Exists(SetAsideNameFor(Store("{A}") + "\\Inbox.dbx"))) << c.what;
    EXPECT_TRUE(Holds(Messages(), c.says)) << c.what << Messages();
    WriteAll(copy, saved);
  }
}

TEST_F(Selected, CompleteRestoreFromAnEarlierKeptBackup) {
  const auto storesThen = Files(stores);
  const auto registryThen = UserRegistry();
  WriteAll(Store("{A}") + "\\Inbox.dbx", "inbox of the second backup");
  SetText(kAccount, "Account Name", "second");
  ASSERT_EQ(Backup(), 0) << Messages();  // keeps the first in Earlier Backups
  const auto earlier = SubFolders(w.files, backup + "\\Earlier Backups");
  ASSERT_EQ(earlier.size(), 1u);
  const std::string kept = backup + "\\Earlier Backups\\" + *earlier.begin();
  WriteOlder(Store("{A}") + "\\Inbox.dbx", "inbox after it");
  StartedApp app(p, true);
  RestoreFrom(app, kept, WindowRunOptions(app));
  EXPECT_EQ(Files(stores), storesThen);
  EXPECT_EQ(UserRegistry(), registryThen);
  EXPECT_TRUE(Holds(ReadAll(backup + "\\RestoreReport.txt"), texts::RestoredFromKept(kept)));
}

}  // namespace
}  // namespace lark::test
