// The dialog of "Export Mail...": the identities and stores of one backup, all ticked at
// first, an empty target folder (typed or found with the shell's folder browser), the format,
// and, once started, the export's progress with Cancel.
#pragma once

#include <windows.h>

#include <string>

#include "export/mail_export.h"
#include "restore/selected_restore.h"

namespace lark {

void AskExport(HWND owner, const BackupContents& contents, const std::string& made,
               const ExportRunner& runner);

}  // namespace lark
