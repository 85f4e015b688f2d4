// "Restore Selected": what one backup holds, item by item, and the restore of exactly the
// items the user ticked, each through the same checks as the complete restore. The dialog
// that shows the items hands back a RestoreChoice; nothing here reads a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lark {

class App;
class Manifest;

// Whether an item may be put back, and why not.
struct ItemCheck {
  bool verifies = true;  // matches the backup's checksum list, or the backup has none
  bool listed = true;    // when it does not verify: false when the list does not name it
  bool pending = false;  // listed, but its checksum has not been read yet
};

struct BackupStore {
  std::string file;  // "Inbox.dbx"
  std::string path;  // the copy, a full path
  std::uint64_t size = 0;
  std::uint64_t written = 0;  // the copy's last write time, as a FILETIME
  ItemCheck check;
  bool liveExists = false;
  bool liveNewer = false;   // the live store was written after the copy was made
  bool liveLarger = false;  // and/or holds more bytes
};

struct BackupIdentity {
  std::string key;    // "{GUID}"
  std::string name;   // display name
  bool live = false;  // the identity exists in the live registry
  // The live identity of its name it goes to, when its own key is not live here (a backup
  // from another computer or Windows user); "" when it goes under its own key.
  std::string liveKey, liveName;
  bool hasSettings = false;  // its keys are in the backup's AllIdentities.reg
  std::string storeFolder;   // where its stores go (the live one, else the one the backup
                             // recorded); "" when unknown
  std::vector<BackupStore> stores;
};

struct BackupContents {
  std::string folder;  // the backup itself: the backup folder, or a kept earlier backup
  std::vector<BackupIdentity> identities;
  ItemCheck settings;  // AllIdentities.reg
  bool accounts = false;
  ItemCheck accountsCheck;  // IAM.reg
  bool addressBook = false;
  ItemCheck addressBookCheck;  // AddressBook.reg and the .wab file together
  std::string wabFile;         // the backup's address-book file name, "" when none
};

// What the user ticked.
struct RestoreChoice {
  struct Identity {
    std::string key;
    bool settings = false;
    std::vector<std::string> stores;  // file names
  };
  std::vector<Identity> identities;
  bool accounts = false;
  bool addressBook = false;
  bool Empty() const;
};

// Reads what the backup in `folder` holds, checks every file against its list, and compares
// each store with the live one. Without readStores, a store the list names is left pending
// (reading gigabytes of stores would keep the user waiting): CheckStores reads them.
BackupContents ReadBackupContents(App& app, const std::string& folder, bool readStores = true);

// Puts back exactly the ticked items of the backup, and reports each item put back and each
// refused, with its reason, in a closing box and in RestoreReport.txt of the backup folder.
void RestoreSelected(App& app, const BackupContents& contents, const RestoreChoice& choice);

// Replaces the live file `target` by the backup's `source` if the backup's list (nullptr when
// it has none) vouches for it: the live file waits under a scratch name beside it until the
// copy has passed its size check, and comes back if it does not. The read-only mark of the
// copy is cleared.
bool PutBackChecked(App& app, const Manifest* list, const std::string& source,
                    const std::string& relPath, const std::string& target);

// The scratch file that carries one identity's keys to the registry editor.
inline constexpr const char* kIdentityScratchFile = "Larkmoor-identity.reg";

}  // namespace lark
