// "Backup Address Book": the address-book file into the top of the backup folder.
#include "backup/checked_copy.h"
#include "backup/complete_backup.h"
#include "core/app.h"
#include "core/settings.h"
#include "core/texts.h"
#include "fs/folders.h"
#include "fs/manifest.h"

namespace lark {

namespace {

// An unattended run ends with the code of its first problem.
void NoteExitCode(App& app, BackupOutcome outcome) {
  if (app.state.exitCode == static_cast<int>(BackupOutcome::Complete))
    app.state.exitCode = static_cast<int>(outcome);
}

}  // namespace

bool BackupAddressBookFile(App& app, Manifest* runManifest, std::vector<std::string>* runProblems,
                           const std::string& target) {
  const std::string name = NameFromFullPath(app.state.wabFile);
  app.Form1().SetPanel(2, "");
  // The stored setting decides whether a folder is set: the chooser's path box can show a
  // folder while none is stored, and the copy would then land somewhere unintended. So
  // would a setting that is not a full path: it names a folder relative to wherever the
  // current directory happens to be, or the root of the current drive.
  const std::string stored = StoredBackupFolder(app);
  const std::string folder = target.empty() ? stored : target;
  if (stored == texts::kNoneSelected || !IsFullPath(folder)) {
    app.p.user.MessageBoxA(texts::kFirstRunReminder, texts::kAppTitle);
    return true;
  }
  // A folder that has gone (a disk unplugged since start-up) is never made anew here.
  if (!DirExists(app.p, folder)) {
    if (runProblems) {
      runProblems->push_back(texts::BackupFolderUnavailable(folder));
    } else if (app.state.unattended) {
      NoteExitCode(app, BackupOutcome::BadFolderArgument);
    } else {
      app.p.user.MessageBoxA(texts::BackupFolderNotOpened(folder), texts::kAppTitle);
    }
    return false;
  }
  if (app.state.unattended) app.state.silentCopy = true;
  bool copied = true;
  if (!app.state.wabFile.empty()) {
    Manifest own;
    const bool listed = !runManifest && ReadManifest(app.p.files, folder, &own);
    std::vector<std::string> mine;
    copied = BackupFile(app.p, app.state.wabFile, folder + "\\" + name, app.state.silentCopy,
                        app.state.hiddenRun, name, runManifest ? *runManifest : own,
                        runProblems ? *runProblems : mine);
    // On its own, the file's line in the list follows the new copy; a failed copy left the
    // earlier one in place, which the old line still describes.
    if (copied && listed) ReplaceTextFile(app.p.files, folder + "\\" + kManifestFile, own.Text());
    if (!mine.empty()) {
      if (app.state.unattended) {
        NoteExitCode(app, BackupOutcome::CompleteWithProblems);
      } else {
        std::string text = texts::kBackupProblemsIntro;
        for (const std::string& p : mine) text += "\r\n" + p;
        app.p.user.MessageBoxA(text, texts::kAppTitle);
      }
    }
  }
  app.Form1().SetPanel(1, texts::kAddressBookCopyComplete);
  return copied;
}

void addBookFile_Click(App& app) { BackupAddressBookFile(app); }

}  // namespace lark
