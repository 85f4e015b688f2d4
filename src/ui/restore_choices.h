// What the two restore dialogs show, as plain rows, and what their answers mean: the backups
// of the backup folder for the backup chooser, and the items of one backup for "Restore
// Selected". The Win32 dialogs only draw these rows and hand back which were chosen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fs/backup_set.h"
#include "fs/manifest.h"
#include "platform/platform.h"
#include "restore/selected_restore.h"

namespace lark {

// One line of "Restore Selected".
struct SelectionRow {
  enum class Kind { Settings, Store, Accounts, AddressBook };
  Kind kind = Kind::Settings;
  std::size_t identity = 0;  // Settings, Store: the identity of the backup
  std::string store;         // Store: its file name
  std::string item, size, date, note;
  bool tickable = true;  // a copy that does not verify cannot be ticked
  int indent = 0;
};

std::vector<SelectionRow> SelectionRows(const BackupContents& contents);

// The checksums of a backup's pending stores, read on a thread of their own while the dialog
// is shown, one store after another in the dialog's order.
class StoreChecks {
 public:
  StoreChecks(const Platform& p, const BackupContents& contents);
  ~StoreChecks();
  StoreChecks(const StoreChecks&) = delete;
  StoreChecks& operator=(const StoreChecks&) = delete;
  // Puts the checks that have ended into contents; true when any did since the last call.
  bool Update(BackupContents* contents);
  bool Done() const;

 private:
  struct Where {
    std::size_t identity, store;
    bool settled = false;
  };
  Manifest manifest_;
  std::vector<Where> where_;
  std::unique_ptr<ChecksAhead> checks_;  // after the list it reads from, so it goes first
};
// The choice the ticked rows make; ticked[i] belongs to rows[i].
RestoreChoice ChoiceFromTicks(const BackupContents& contents, const std::vector<SelectionRow>& rows,
                              const std::vector<bool>& ticked);

// One line of the backup chooser.
struct BackupRow {
  std::string made, identities, size, list, check;
};

// Says at once what each backup holds; reading every file to check its checksum would keep the
// user waiting for minutes on a backup of gigabytes, so the list is checked for files that are
// missing or of the wrong kind only, and the restore checks each file's checksum before it
// puts it back.
std::vector<BackupRow> BackupRows(const Platform& p, const std::vector<BackupSet>& sets);

// "1,234 KB" as Windows Explorer writes sizes; "0 KB" only for an empty file.
std::string SizeText(std::uint64_t bytes);
// A FILETIME as local "YYYY-MM-DD HH:MM".
std::string FileTimeText(std::uint64_t fileTime);

}  // namespace lark
