// The event handlers of the two windows, by the names of their controls and events.
// The Win32 views call them; so do the native tests. The commands that run the engine are
// declared with it and bound here too.
#pragma once

#include <functional>

#include "backup/complete_backup.h"
#include "core/settings.h"
#include "restore/complete_restore.h"

namespace lark {

class WindowedApp;

// Main window. What each of its runs is asked: the overwrite option from its check box, the
// backup folder as it is set now.
RunOptions WindowRunOptions(WindowedApp& app);
void cmdComplete_Click(WindowedApp& app);
// Complete Restore from the backup folder itself, without asking which backup.
void cmdRestore_Click(WindowedApp& app);
// The overwrite check box's click: the option is stored.
void chkOverwrite_Click(WindowedApp& app);
void Form_QueryUnload(WindowedApp& app, short& cancel, short unloadMode);
void cmdExit_Click(WindowedApp& app);
void crtbkfldr2_Click(WindowedApp& app);
void opnbkfldr_Click(WindowedApp& app);
void brbkfldr_Click(WindowedApp& app);
void Exit_Click(WindowedApp& app);
void Notyet_Click(WindowedApp& app);
void mnuURL_Click(WindowedApp& app);

// Complete Restore, asking first which backup when the backup folder keeps several; and
// "Restore Selected". The backup chosen goes into *from (the backup folder itself when it
// keeps one), the time it was made into *made; false when the user cancelled.
void cmdRestoreChosen_Click(WindowedApp& app);
void mnuResSel_Click(WindowedApp& app);
// "Check Backups": every backup read against its checksum list, with the check's window when
// somebody is there. An unattended run takes its outcome as its exit code.
void mnuCheckBackups_Click(WindowedApp& app, const RunOptions& options);
// "Export Mail...": the chosen stores of a backup as .eml files or mbox.
void mnuExportMail_Click(WindowedApp& app);
// "Restore Address Book" on its own.
void mnuResWAB_Click(WindowedApp& app);
bool ChooseBackup(WindowedApp& app, const std::string& backupFolder, std::string* from,
                  std::string* made);

// Folder chooser.
void Form3_Load(WindowedApp& app);
void Form3_QueryUnload(WindowedApp& app, short& cancel, short unloadMode);
void Drive1_Change(WindowedApp& app);
void Dir1_Change(WindowedApp& app);
void cmdMkFolder_Click(WindowedApp& app);
void cmdSetPath_Click(WindowedApp& app);
void cmdClse_Click(WindowedApp& app);

// Runs the handler bound to a chooser button id; false if none is.
bool DispatchChooserCommand(WindowedApp& app, int id);

// Runs the handler bound to a main-window control or menu command id; false if none is.
bool DispatchMainCommand(WindowedApp& app, int id);
// Runs a command of the main window (start-up included) so that it always ends in order: one
// that meets an error it cannot go past (memory running out, say) leaves through its owners,
// which put back what they hold; then a person is told, and a run nobody watches ends with
// the exit code BackupOutcome::Stopped and a report instead of the system's crash box.
void RunCommandInOrder(WindowedApp& app, const std::function<void()>& command);

// Unload modes of Form_QueryUnload.
constexpr short kUnloadFormControlMenu = 0;  // the window's own close control or window menu
constexpr short kUnloadFormCode = 1;         // the program closed it
constexpr short kUnloadAppWindows = 2;       // Windows is shutting down or the user logs off
constexpr short kUnloadAppTaskManager = 3;   // the task manager closed it

}  // namespace lark
