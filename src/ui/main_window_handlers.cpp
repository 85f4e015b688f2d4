// The main window's own commands: leaving the program, the Help menu, and the table
// that binds each control and menu item to its handler.
#include <exception>
#include <new>

#include "core/run_report.h"
#include "core/switches.h"
#include "core/texts.h"
#include "fs/backup_set.h"
#include "ui/handlers.h"
#include "ui/ids.h"
#include "ui/schedule.h"
#include "ui/windowed_app.h"

namespace lark {

void Exit_Click(WindowedApp& app) {
  app.UnloadForm3();
  // The program itself closes the main window, so Form_QueryUnload has nothing to do.
  app.Form1().Unload();
  app.p.user.EndProcess(app.state.exitCode);
}

void cmdExit_Click(WindowedApp& app) { Exit_Click(app); }

void Form_QueryUnload(WindowedApp& app, short& /*cancel*/, short unloadMode) {
  if (unloadMode != kUnloadFormControlMenu) return;
  app.Form1().Unload();
  app.p.user.EndProcess(app.state.exitCode);
}

// Somebody is at the window. The check box decides for every command of it that may replace
// a file, "Backup Address Book" and "Restore Address Book" too: ticked, files are replaced
// without asking. What an earlier run was asked carries over to none of them.
RunOptions WindowRunOptions(WindowedApp& app) {
  RunOptions options;
  options.overwrite = app.Form1().chkOverwrite() == 1;
  options.folder = StoredBackupFolder(app.p);
  return options;
}

void cmdComplete_Click(WindowedApp& app) { CompleteBackup(app, WindowRunOptions(app)); }

void chkOverwrite_Click(WindowedApp& app) {
  const int v = app.Form1().chkOverwrite();
  if (v == 0 || v == 1) StoreOverwrite(app.p, v == 1);
}

void Notyet_Click(WindowedApp&) {}

void mnuURL_Click(WindowedApp& app) {
  app.Form1().SetPanel(2, "");
  app.p.shell.ShellExecuteA(app.Form1().Handle(), texts::kOpenVerb, texts::kHomePage, "", "",
                            kSwShowNormal);
}

namespace {

void RunStopped(WindowedApp& app, const char* reason) {
  // Only a command-line run is unattended; it is one all the same when it stopped in its
  // start-up, before its own run began.
  const Switches switches = ReadSwitches(app.state.commandLine);
  const bool scheduled = switches.Unattended();
  try {
    app.state.report.problems.push_back(texts::RunStopped(reason));
    if (!scheduled) {
      app.p.user.MessageBoxA(
          std::string(texts::kRunStoppedIntro) + "\r\n" + texts::RunStopped(reason),
          texts::kAppTitle);
      return;
    }
    // A backup or a check runs unattended. A move of a backup to the top that is still to
    // finish takes that backup's own report there.
    RunOptions run;
    run.unattended = true;
    run.hidden = switches.hidden;
    const std::string folder = StoredBackupFolder(app.p);
    const bool backup = switches.backup || !switches.check;
    CloseRun(app, run, texts::kRunStoppedIntro,
             backup ? texts::kReportOfBackup : texts::kReportOfCheck,
             backup ? kBackupReportFile : kCheckReportFile,
             backup && SwapPending(app.p.files, folder) ? std::string() : folder,
             static_cast<int>(BackupOutcome::Stopped));
  } catch (const std::exception&) {
    // Not even the report could be made: the exit code still tells the scheduler.
  }
  if (!scheduled) return;
  app.state.exitCode = static_cast<int>(BackupOutcome::Stopped);
  Exit_Click(app);
}

}  // namespace

void RunCommandInOrder(WindowedApp& app, const std::function<void()>& command) {
  const char* reason = nullptr;
  try {
    command();
    return;
  } catch (const std::bad_alloc&) {
    reason = texts::kOutOfMemory;
  } catch (const std::exception&) {
    reason = texts::kUnexpectedError;
  }
  RunStopped(app, reason);
}

bool DispatchMainCommand(WindowedApp& app, int id) {
  switch (id) {
    case ids::kCmdComplete: cmdComplete_Click(app); return true;
    case ids::kCmdRestore: cmdRestoreChosen_Click(app); return true;
    case ids::kChkOverwrite: chkOverwrite_Click(app); return true;
    case ids::kCmdExit: cmdExit_Click(app); return true;
    case ids::kMnuAddBookFile: addBookFile_Click(app, WindowRunOptions(app)); return true;
    case ids::kMnuCrtbkfldr2: crtbkfldr2_Click(app); return true;
    case ids::kMnuOpnbkfldr: opnbkfldr_Click(app); return true;
    case ids::kMnuBrbkfldr: brbkfldr_Click(app); return true;
    case ids::kMnuResWAB: mnuResWAB_Click(app); return true;
    case ids::kMnuResSel: mnuResSel_Click(app); return true;
    case ids::kMnuExportMail: mnuExportMail_Click(app); return true;
    case ids::kMnuCheckBackups: mnuCheckBackups_Click(app, WindowRunOptions(app)); return true;
    case ids::kMnuSchedule: mnuSchedule_Click(app); return true;
    case ids::kMnuExit: Exit_Click(app); return true;
    case ids::kMnuNotyet: Notyet_Click(app); return true;
    case ids::kMnuURL: mnuURL_Click(app); return true;
    default: return false;
  }
}

}  // namespace lark
