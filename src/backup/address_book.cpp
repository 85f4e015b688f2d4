// "Backup Address Book": the address-book file into the top of the backup folder.
#include <optional>
#include <string>
#include <vector>

#include "backup/checked_copy.h"
#include "backup/complete_backup.h"
#include "backup/kept_backups.h"
#include "core/app.h"
#include "core/texts.h"
#include "fs/backup_set.h"
#include "fs/folders.h"
#include "fs/manifest.h"

namespace lark {

namespace {

// An unattended run ends with the code of its first problem.
void NoteExitCode(App& app, BackupOutcome outcome) {
  if (app.state.exitCode == static_cast<int>(BackupOutcome::Complete))
    app.state.exitCode = static_cast<int>(outcome);
}

// The copy itself, into `folder`, listed in the run's list; on its own (no run list) in the
// folder's list, when it has one.
bool CopyAddressBook(App& app, const RunOptions& options, const std::string& folder,
                     Manifest* runManifest, std::vector<std::string>& problems) {
  if (app.state.wabFile.empty()) return true;
  const std::string name = NameFromFullPath(app.state.wabFile);
  Manifest own;
  const bool listed = !runManifest && ReadManifest(app.p.files, folder, &own);
  // An unattended run has nobody to answer the shell's question before a file is replaced.
  const bool noConfirm = options.overwrite || options.unattended;
  const bool copied = BackupFile(app.p, app.state.wabFile, folder + "\\" + name, noConfirm,
                                 options.hidden, name, runManifest ? *runManifest : own, problems);
  // On its own, the file's line in the list follows the new copy; a failed copy left the
  // earlier one in place, which the old line still describes.
  if (copied && listed) ReplaceTextFile(app.p.files, folder + "\\" + kManifestFile, own.Text());
  return copied;
}

// On its own the copy holds the folder as a complete backup does: a complete backup
// running meanwhile swaps the top, and the list this copy rewrites there would take the
// place of the new backup's own. Nothing when another run holds the folder.
std::optional<bool> CopyAddressBookHoldingTheFolder(App& app, const RunOptions& options,
                                                    const std::string& folder) {
  FolderVisit visit(app.p, folder);
  if (visit.Enter() == FolderHold::Result::Busy) {
    if (options.unattended)
      NoteExitCode(app, BackupOutcome::BadFolderArgument);
    else
      app.p.user.MessageBoxA(texts::BackupBusy(folder), texts::kAppTitle);
    return std::nullopt;
  }
  std::vector<std::string> problems;
  const bool copied = CopyAddressBook(app, options, folder, nullptr, problems);
  if (!problems.empty()) {
    if (options.unattended) {
      NoteExitCode(app, BackupOutcome::CompleteWithProblems);
    } else {
      std::string text = texts::kBackupProblemsIntro;
      for (const std::string& p : problems) text += "\r\n" + p;
      app.p.user.MessageBoxA(text, texts::kAppTitle);
    }
  }
  return copied;
}

}  // namespace

bool BackupAddressBookFile(App& app, const RunOptions& options, Manifest* runManifest,
                           std::vector<std::string>* runProblems, const std::string& target) {
  app.Form1().SetPanel(2, "");
  // The stored setting decides whether a folder is set: the chooser's path box can show a
  // folder while none is stored, and the copy would then land somewhere unintended. So
  // would a setting that is not a full path: it names a folder relative to wherever the
  // current directory happens to be, or the root of the current drive.
  const std::string& stored = options.folder;
  const std::string folder = target.empty() ? stored : target;
  if (stored == texts::kNoneSelected || !IsFullPath(folder)) {
    app.p.user.MessageBoxA(texts::kFirstRunReminder, texts::kAppTitle);
    return true;
  }
  // A folder that has gone (a disk unplugged since start-up) is never made anew here.
  if (!DirExists(app.p, folder)) {
    if (runProblems) {
      runProblems->push_back(texts::BackupFolderUnavailable(folder));
    } else if (options.unattended) {
      NoteExitCode(app, BackupOutcome::BadFolderArgument);
    } else {
      app.p.user.MessageBoxA(texts::BackupFolderNotOpened(folder), texts::kAppTitle);
    }
    return false;
  }
  bool copied = true;
  if (runManifest && runProblems) {
    copied = CopyAddressBook(app, options, folder, runManifest, *runProblems);
  } else if (!app.state.wabFile.empty()) {
    const std::optional<bool> c = CopyAddressBookHoldingTheFolder(app, options, folder);
    if (!c) return false;  // another run's folder for now: nothing was copied, as it said
    copied = *c;
  }
  app.Form1().SetPanel(1, texts::kAddressBookCopyComplete);
  return copied;
}

void addBookFile_Click(App& app, const RunOptions& options) { BackupAddressBookFile(app, options); }

}  // namespace lark
