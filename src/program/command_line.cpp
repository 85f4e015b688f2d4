// The command line: "/b:" folder, "/a" unattended backup, "/h" hidden, "/o" overwrite,
// "/g:N" backups kept, "/w" address-book backup, "/x:" unattended export of the newest
// backup's mail, "/v" check of the backups. Each switch is a plain substring, case ignored.
#include <algorithm>

#include "backup/complete_backup.h"
#include "backup/kept_backups.h"
#include "core/registry_access.h"
#include "core/settings.h"
#include "core/switches.h"
#include "core/texts.h"
#include "export/mail_export.h"
#include "fs/backup_set.h"
#include "fs/folders.h"
#include "fs/text.h"
#include "program/startup.h"
#include "restore/selected_restore.h"
#include "ui/handlers.h"
#include "ui/windowed_app.h"

namespace lark {

namespace {

constexpr std::size_t kMaxFolderPath = 248;

// Applies "/b:": the rest of the line is the folder. False when it cannot be made and
// entered, in which case the setting keeps what it held before.
bool ApplyFolderSwitch(App& app, const std::string& folder) {
  const std::string previous = StoredBackupFolder(app.p);
  IFileSystem& fs = app.p.files;
  // Windows makes no folder whose path is this long, and a program could not open it again.
  bool ok = !folder.empty() && folder.size() < kMaxFolderPath;
  if (ok && folder.size() >= 2 && folder[1] == ':')
    ok = fs.SetCurrentDirectoryA(folder.substr(0, 2));
  if (ok) {
    StoreBackupFolder(app.p, folder);
    bool exists = false;
    try {
      exists = PathExists(app.p, folder, true);
    } catch (const std::exception&) {
      exists = false;
    }
    // A new disk has none of the folders yet: every missing one is made.
    if (!exists) CreatePath(app.p, folder);
    ok = fs.SetCurrentDirectoryA(folder);
    // A relative folder is kept as the full path it named now; later runs start elsewhere.
    if (ok && !IsFullPath(folder)) StoreBackupFolder(app.p, fs.GetCurrentDirectoryA());
  }
  if (!ok && !previous.empty()) StoreBackupFolder(app.p, previous);
  return ok;
}

// Shows an export's progress in the status bar of a window somebody may be watching.
class PanelProgress : public ExportProgress {
 public:
  explicit PanelProgress(App& app) : app_(app) {}
  bool Update(const std::string& store, std::uint64_t messages, std::uint64_t done,
              std::uint64_t total) override {
    app_.Form1().SetPanel(1, texts::ExportProgressText(store, messages, done >> 20, total >> 20));
    return true;
  }

 private:
  App& app_;
};

// "/x:": every mail store of the newest backup as .eml files into the folder; the exit code.
ExportOutcome ExportNewestBackup(App& app, const RunOptions& options, const std::string& target) {
  const std::string& top = options.folder;
  if (top == texts::kNoneSelected || top.empty()) {
    app.p.user.MessageBoxA(texts::kSelectFolderReminder, texts::kAppTitle);
    return ExportOutcome::NoBackupFolder;
  }
  if (!IsFullPath(top) || !DirExists(app.p, top)) {
    app.p.user.MessageBoxA(texts::BadFolderArgument(top), texts::kAppTitle);
    return ExportOutcome::BadFolder;
  }
  // Held as a restore holds it: a scheduled backup meanwhile would move the top being read.
  FolderVisit visit(app.p, top);
  if (visit.Enter() == FolderHold::Result::Busy) {
    app.p.user.MessageBoxA(texts::ExportBusy(top), texts::kAppTitle);
    return ExportOutcome::BadFolder;
  }
  const std::vector<BackupSet> backups = ListBackups(app.p, top);
  if (backups.empty()) {
    app.p.user.MessageBoxA(texts::kNoBackupToExport, texts::kAppTitle);
    return ExportOutcome::NoBackup;
  }
  // Each store is checked as it is exported, not twice.
  const BackupContents contents = ReadBackupContents(app, backups.front().folder, false);
  const std::string problem = ExportTargetProblem(app, options, contents, target, true);
  if (!problem.empty()) {
    app.p.user.MessageBoxA(problem, texts::kAppTitle);
    return ExportOutcome::BadFolder;
  }
  PanelProgress progress(app);
  return ExportMail(app, options, contents, WholeBackup(contents), target, ExportFormat::Eml,
                    &progress);
}

}  // namespace

void HandleCommandLine(WindowedApp& app) {
  const Switches s = ReadSwitches(app.state.commandLine);
  if (s.folder) {
    const std::string folder = FolderArgument(*s.folder);
    if (!ApplyFolderSwitch(app, folder)) {
      if (s.Unattended()) {
        // Nobody may be there to read a message: the exit code tells the scheduler.
        app.state.exitCode = static_cast<int>(BackupOutcome::BadFolderArgument);
        Exit_Click(app);
      }
      app.p.user.MessageBoxA(texts::BadFolderArgument(folder), texts::kAppTitle);
      return;
    }
  }
  // "/g:N" before "/a", so that the run it starts keeps what it asks for.
  if (s.generations && !SetGenerations(app.p, *s.generations)) {
    const std::string note =
        texts::GenerationsNotUsed(s.generationsSwitch, StoredGenerations(app.p));
    if (s.backup)
      app.state.runNotes.push_back(note);
    else
      app.p.user.MessageBoxA(note, texts::kAppTitle);
  }
  // Every run of the line works on the folder as "/b:" left it. "/a", "/x:" and "/v" are
  // unattended: nobody is waited for, their outcome is the exit code, and with "/h" nobody is
  // there at all.
  RunOptions scheduled;
  scheduled.unattended = true;
  scheduled.hidden = s.HiddenUnattended();
  scheduled.folder = StoredBackupFolder(app.p);
  if (s.backup) {
    app.Form1().SetVisible(!s.hidden);
    // The check box shows the stored option since start-up; "/o" below is stored after.
    RunOptions backup = scheduled;
    backup.overwrite = StoredOverwrite(app.p);
    CompleteBackup(app, backup);
  }
  if (s.overwrite) {
    StoreOverwrite(app.p, true);
    app.Form1().SetChkOverwrite(1);
  }
  // After "/a" it belongs to that unattended run and replaces the top's copy without asking;
  // on its own a person is there, and the overwrite option (with "/o" just stored) decides
  // whether the shell asks first, as the window's check box does for its command.
  if (s.addressBook) {
    RunOptions book = scheduled;
    book.unattended = s.backup;
    book.overwrite = StoredOverwrite(app.p);
    addBookFile_Click(app, book);
  }
  // After a backup of the same run, the export reads the backup just made.
  if (s.exportFolder) {
    app.Form1().SetVisible(!s.hidden);
    const ExportOutcome outcome =
        ExportNewestBackup(app, scheduled, FolderArgument(*s.exportFolder));
    app.state.exitCode = std::max(app.state.exitCode, static_cast<int>(outcome));
  }
  // Last, so that it checks what "/a" and "/w" just wrote; the program ends after it.
  if (s.check) {
    if (!s.backup && !s.exportFolder) app.Form1().SetVisible(!s.hidden);
    mnuCheckBackups_Click(app, scheduled);
  }
  if (s.Unattended()) Exit_Click(app);
}

}  // namespace lark
