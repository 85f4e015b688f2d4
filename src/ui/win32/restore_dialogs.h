// The two restore dialogs as modal Win32 dialogs from the program's resources: the backup
// chooser and "Restore Selected". Both show rows made by ui/restore_choices and hand back what
// the user chose; they change nothing themselves.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/restore_choices.h"

namespace lark {

// The index of the backup chosen; -1 when cancelled. The first row is selected at first.
int AskBackup(HWND owner, const std::vector<BackupRow>& rows);

// What was ticked; nullopt when cancelled. Nothing is ticked at first, and a row that is not
// tickable refuses its tick. The stores' checks (when given) end while the dialog is shown,
// and each store's line follows.
std::optional<RestoreChoice> AskRestoreChoice(HWND owner, const BackupContents& contents,
                                              const std::string& made, StoreChecks* checks);

}  // namespace lark
