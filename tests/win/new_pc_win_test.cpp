// A complete restore onto another computer or Windows user, under Wine with its real
// registry editor and shell: the backup's identities go to the live ones of their names, the
// new PC's own mail is kept, and the person is asked first and told what happened.
#include <algorithm>

#include "restore/selected_restore.h"
#include "ui/restore_choices.h"
#include "win_support.h"

namespace lark::test {
namespace {

class NewPc : public WinTest {
 protected:
  const std::string signature = MailClientKey("{N}") + "\\Signatures\\00000000";
  const std::string newBook = kRoot + "\\newbook\\";

  // The old PC: three identities, a signature, an account and an address book.
  void OldPc(const std::string& workStore) {
    ::SetEnvironmentVariableA("LARKSTORE", stores.c_str());
    Identity("{A}", "Main Identity", "%LARKSTORE%\\{A}");
    Identity("{F}", "Family Archive", "%LARKSTORE%\\{F}");
    Identity("{W}", "Work", workStore);
    for (const char* id : {"{A}", "{F}"}) {
      WriteAll(Store(id) + "\\Inbox.dbx", std::string("inbox of ") + id);
      WriteAll(Store(id) + "\\Folders.dbx", std::string("folders of ") + id);
    }
    WriteAll(Expand(workStore) + "\\Inbox.dbx", "inbox of work");
    SetText(MailClientKey("{A}") + "\\Signatures\\00000000", "text", "-- Ann");
    SetText(kAccount, "Account Name", "Home mail");
    Settings();
    ASSERT_EQ(Backup(), 0) << Messages();
    // Another computer made it.
    std::ofstream(backup + "\\Larkmoor.info", std::ios::app | std::ios::binary)
        << "Computer: OLDPC\r\n";
  }
  static std::string Expand(const std::string& s) {
    char out[MAX_PATH] = "";
    ::ExpandEnvironmentStringsA(s.c_str(), out, MAX_PATH);
    return out;
  }
  // The new PC: the mail client ran once and made its own "Main Identity", whose Inbox
  // already holds mail; an empty address book in another folder than the old PC's, which is
  // not here; none of the old PC's stores.
  void FreshPc(const std::string& newStore) {
    for (const char* b : {"Identities", "Software\\Microsoft\\Internet Account Manager",
                          "Software\\Microsoft\\WAB"})
      DeleteTree(b);
    RemoveTree(stores);
    Identity("{N}", "Main Identity", newStore);
    WriteAll(Expand(newStore) + "\\Inbox.dbx", "new mail on the new PC");
    RemoveTree(kRoot + "\\book");
    SetText("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", newBook + "bob.wab");
    WriteAll(newBook + "bob.wab", "empty");
  }
  // The identities' display names, each as often as it occurs.
  static std::multiset<std::string> Names() {
    std::multiset<std::string> names;
    for (const auto& [key, value] : UserRegistry())
      if (std::count(key.begin(), key.end(), '\\') == 2 &&
          key.rfind("\\Username") + 9 == key.size())
        names.insert(value.substr(2));
    return names;
  }
  // The one "Kept by restore ..." folder in a store folder.
  static std::string Kept(const std::string& store) {
    return FirstFound(store + "\\Kept by restore *");
  }
};

TEST_F(NewPc, IdentitiesGoToTheLiveOnesOfTheirNamesAndTheNewMailIsKept) {
  const std::string gone = "C:\\users\\larkmoor-gone";
  struct Case {
    const char* what;
    std::string newStore;   // the new PC's Store Root for its Main Identity
    std::string workStore;  // Work's on the old PC; its stores come back to %LARKSTORE%\{W}
  } cases[] = {
      {"a fresh PC", "%LARKSTORE%\\{N}", "%LARKSTORE%\\{W}"},
      {"the new store under another profile's path", stores + "\\users\\bob\\{N}",
       "%LARKSTORE%\\{W}"},
      // Formed as the live identity's is, with Work's own key.
      {"Work's store in a profile that is not here", "%LARKSTORE%\\{N}", gone + "\\{W}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* b : kUserBranches) DeleteTree(b);
    RemoveTree(backup);
    OldPc(c.workStore);
    RemoveTree(gone);
    FreshPc(c.newStore);
    const std::string live = Expand(c.newStore);
    const std::string fresh = ReadAll(live + "\\Inbox.dbx");
    user.chosenFile = backup + "\\me.wab";
    EXPECT_EQ(Restore(), "Restore Complete");
    ASSERT_GE(user.messages.size(), 2u) << Messages();
    EXPECT_TRUE(Holds(user.messages[0], "Main Identity (backup) -> Main Identity (this PC)"));
    EXPECT_TRUE(Holds(user.messages[0], "Work -> created"));

    EXPECT_EQ(Names(), (std::multiset<std::string>{"Main Identity", "Work", "Family Archive"}));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "Identities", "Default User ID"),
              std::string("{N}") + '\0');
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, MailClientKey("{N}"), "Store Root"), c.newStore + '\0');
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, signature, "text"), std::string("-- Ann") + '\0');
    EXPECT_EQ(ReadAll(live + "\\Inbox.dbx"), ReadAll(backup + "\\Main Identity\\Inbox.dbx"));
    const std::string kept = Kept(live);
    EXPECT_EQ(ReadAll(kept + "\\Inbox.dbx"), fresh);
    EXPECT_EQ(ReadAll(Store("{W}") + "\\Inbox.dbx"), ReadAll(backup + "\\Work\\Inbox.dbx"));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kAccount, "Account Name"),
              std::string("Home mail") + '\0');
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "Software\\Microsoft\\WAB\\WAB4\\Wab File Name", ""),
              newBook + "me.wab" + '\0');
    EXPECT_EQ(ReadAll(newBook + "me.wab"), "address book");

    const std::string report = ReadAll(backup + "\\RestoreReport.txt");
    EXPECT_TRUE(Holds(report, "  Main Identity (backup) -> Main Identity (this PC)"));
    EXPECT_TRUE(Holds(report, texts::StoreKept(kept + "\\Inbox.dbx")));
    EXPECT_TRUE(Holds(report, texts::AccountsRestored("Home mail")));
    EXPECT_TRUE(Holds(report, texts::kRetypePasswords));
    EXPECT_TRUE(Holds(report, texts::kReportAllWell));
  }
}

// Restore Selected matches as the complete restore does, shows it, and restores into the
// live identity.
TEST_F(NewPc, RestoreSelectedGoesToTheLiveIdentityOfTheName) {
  OldPc("%LARKSTORE%\\{W}");
  FreshPc("%LARKSTORE%\\{N}");
  WindowedApp app(p);
  const BackupContents c = ReadBackupContents(app, backup);
  std::map<std::string, std::string> notes;
  for (const SelectionRow& r : SelectionRows(c))
    notes.emplace(c.identities[r.identity].name, r.note);
  EXPECT_EQ(notes["Main Identity"], texts::MapsToNote("Main Identity"));
  RestoreSelected(app, c, RestoreChoice{{{"{A}", true, {"Inbox.dbx"}}}, false, false});
  EXPECT_EQ(Names().size(), 1u);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, signature, "text"), std::string("-- Ann") + '\0');
  EXPECT_EQ(ReadAll(Store("{N}") + "\\Inbox.dbx"), ReadAll(backup + "\\Main Identity\\Inbox.dbx"));
}

// On its own PC too: a live store written since the backup, and one the backup has no copy of,
// are kept aside; an older one is replaced. With the option unticked, after Windows' question
// was answered Yes.
TEST_F(NewPc, NewerLiveStoresAreKeptOnEveryCompleteRestore) {
  Identity("{A}", "Main", Store("{A}"));
  for (const char* f : {"Inbox.dbx", "Folders.dbx", "Old.dbx"})
    WriteAll(Store("{A}") + "\\" + f, std::string("backed up ") + f);
  for (DWORD overwrite : {1, 0}) {
    SCOPED_TRACE(overwrite);
    RemoveTree(backup);
    Settings("", overwrite);
    ASSERT_EQ(Backup(), 0) << Messages();
    WriteAll(Store("{A}") + "\\Inbox.dbx", "arrived since");
    WriteOlder(Store("{A}") + "\\Old.dbx", "older");
    WriteAll(Store("{A}") + "\\New.dbx", "a folder made since");
    shellDialogs = std::make_unique<ShellDialogAnswerer>(w.processes, IDYES);
    EXPECT_EQ(Restore(), "Restore Complete");
    shellDialogs = std::make_unique<ShellDialogAnswerer>(w.processes);
    const std::string kept = Kept(Store("{A}"));
    for (const char* f : {"Inbox.dbx", "Folders.dbx", "Old.dbx"})
      EXPECT_EQ(ReadAll(Store("{A}") + "\\" + f), std::string("backed up ") + f);
    EXPECT_EQ(Entries(kept), (std::set<std::string>{"Inbox.dbx", "New.dbx"}));
    EXPECT_EQ(ReadAll(kept + "\\Inbox.dbx"), "arrived since");
    EXPECT_EQ(ReadAll(kept + "\\New.dbx"), "a folder made since");
    ASSERT_EQ(user.messages.size(), 1u) << Messages();
    EXPECT_TRUE(Holds(user.messages[0], texts::KeptHowTo(kept)));
    RemoveTree(kept);
  }
}

}  // namespace
}  // namespace lark::test
