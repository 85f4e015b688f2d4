// The main window's restores: each holds the backup folder while it runs; some ask first which
// kept backup to restore from, and "Restore Selected" which of its items.
#include <optional>

#include "backup/kept_backups.h"
#include "core/settings.h"
#include "core/texts.h"
#include "fs/backup_set.h"
#include "fs/folders.h"
#include "ui/handlers.h"
#include "ui/restore_choices.h"
#include "ui/windowed_app.h"

namespace lark {

namespace {

// A restore holds the backup folder for its length, as a backup does: a backup meanwhile
// would move the top it reads from, or copy stores half put back. False, and the person
// told, while another run holds the folder.
bool EnterForRestore(WindowedApp& app, std::optional<FolderVisit>& visit, const std::string& folder,
                     std::string (*busy)(const std::string&) = texts::RestoreBusy) {
  if (!IsFullPath(folder) || !DirExists(app.p, folder)) return true;
  visit.emplace(app.p, folder);
  if (visit->Enter() != FolderHold::Result::Busy) return true;
  app.p.user.MessageBoxA(busy(folder), texts::kAppTitle);
  return false;
}

// The set backup folder of a command that reads its backups, entered as above; false, the
// person told, when none is set or it cannot be opened.
bool EnterSetFolder(WindowedApp& app, std::optional<FolderVisit>& visit, const std::string& folder,
                    std::string (*busy)(const std::string&)) {
  app.Form1().SetPanel(2, "");
  if (folder == texts::kNoneSelected || !IsFullPath(folder) || !DirExists(app.p, folder)) {
    app.p.user.MessageBoxA(texts::kFirstRunReminder, texts::kAppTitle);
    return false;
  }
  return EnterForRestore(app, visit, folder, busy);
}

}  // namespace

void cmdRestore_Click(WindowedApp& app) {
  const RunOptions options = WindowRunOptions(app);
  std::optional<FolderVisit> visit;
  if (!EnterForRestore(app, visit, options.folder)) return;
  RestoreFrom(app, options.folder, options);
}

void mnuResWAB_Click(WindowedApp& app) {
  const RunOptions options = WindowRunOptions(app);
  std::optional<FolderVisit> visit;
  if (!EnterForRestore(app, visit, options.folder)) return;
  resWAB_Click(app, options);
}

bool ChooseBackup(WindowedApp& app, const std::string& backupFolder, std::string* from,
                  std::string* made) {
  *from = backupFolder;
  made->clear();
  if (!IsFullPath(backupFolder)) return true;
  const std::vector<BackupSet> sets = ListBackups(app.p, backupFolder);
  if (sets.empty()) return true;
  std::size_t chosen = 0;
  // With one backup there is nothing to choose, as before there were kept ones.
  if (sets.size() > 1 && app.askBackup) {
    app.p.user.SetPointer(Pointer::Hourglass);
    const std::vector<BackupRow> rows = BackupRows(app.p, sets);
    app.p.user.SetPointer(Pointer::Default);
    const int answer = app.askBackup(rows);
    if (answer < 0 || static_cast<std::size_t>(answer) >= sets.size()) return false;
    chosen = static_cast<std::size_t>(answer);
  }
  *from = sets[chosen].folder;
  *made = sets[chosen].info.made;
  return true;
}

void cmdRestoreChosen_Click(WindowedApp& app) {
  const RunOptions options = WindowRunOptions(app);
  std::optional<FolderVisit> visit;
  if (!EnterForRestore(app, visit, options.folder)) return;
  std::string from, made;
  if (!ChooseBackup(app, options.folder, &from, &made)) return;  // Cancel
  RestoreFrom(app, from, options);
}

namespace {

// The backup the person chooses, read for a dialog of what it holds; nullopt for Cancel. Its
// stores are checked against the list while the dialog is shown (a store of gigabytes would
// keep the person waiting); the small registry files are checked at once.
std::optional<BackupContents> ChooseAndRead(WindowedApp& app, const std::string& folder,
                                            std::string* made) {
  std::string from;
  if (!ChooseBackup(app, folder, &from, made)) return std::nullopt;
  app.p.user.SetPointer(Pointer::Hourglass);
  BackupContents contents = ReadBackupContents(app, from, false);
  app.p.user.SetPointer(Pointer::Default);
  return contents;
}

}  // namespace

void mnuResSel_Click(WindowedApp& app) {
  const std::string folder = StoredBackupFolder(app.p);
  std::optional<FolderVisit> visit;
  if (!EnterSetFolder(app, visit, folder, texts::RestoreBusy)) return;
  std::string made;
  const std::optional<BackupContents> read = ChooseAndRead(app, folder, &made);
  if (!read || !app.askRestoreChoice) return;
  const BackupContents& contents = *read;
  StoreChecks checks(app.p, contents);
  const std::optional<RestoreChoice> choice = app.askRestoreChoice(contents, made, &checks);
  if (!choice || choice->Empty()) return;
  RestoreSelected(app, contents, *choice);
}

void mnuExportMail_Click(WindowedApp& app) {
  // Held as a restore holds it: a backup meanwhile would move the top being read.
  const RunOptions options = WindowRunOptions(app);
  const std::string& folder = options.folder;
  std::optional<FolderVisit> visit;
  if (!EnterSetFolder(app, visit, folder, texts::ExportBusy)) return;
  if (ListBackups(app.p, folder).empty()) {
    app.p.user.MessageBoxA(texts::kNoBackupToExport, texts::kAppTitle);
    return;
  }
  std::string made;
  const std::optional<BackupContents> read = ChooseAndRead(app, folder, &made);
  if (!read || !app.askExport) return;
  const BackupContents& contents = *read;
  ExportRunner runner;
  runner.check = [&](const std::string& target) {
    return ExportTargetProblem(app, options, contents, target, true);
  };
  runner.run = [&](const ExportChoice& choice, const std::string& target, ExportFormat format,
                   ExportProgress* progress) {
    ExportMail(app, options, contents, choice, target, format, progress);
    app.Form1().SetPanel(1, texts::kExportComplete);
  };
  app.askExport(contents, made, runner);
}

}  // namespace lark
