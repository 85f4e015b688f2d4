#include "backup/export_units.h"

#include "backup/fixfile.h"
#include "core/app.h"
#include "core/texts.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/regedit_run.h"
#include "fs/set_aside.h"
#include "fs/sha256.h"
#include "platform/reg_key.h"

namespace lark {

std::string ExportCommand(const std::string& winVer, const std::string& file,
                          const std::string& branch) {
  std::string prefix;
  if (winVer == "2K" || winVer == "NT" || winVer == "XP") prefix = "regedit /s /e:A ";
  if (winVer == "SE") prefix = "regedit /s /e ";
  if (prefix.empty()) return std::string();
  return prefix + "\"" + file + "\"  \"" + branch + "\"";
}

namespace {

// The identities branch ends in a backslash, which an editor that reads its command line by
// the C runtime's rules takes, with the closing quote, for an escaped quote: it exports
// nothing. Given the backslash doubled, such an editor reads the intended branch. Wine's
// editor is one of them and gets that form first, any other the branch as it is; when no
// file comes of the first form, the second try gives the other one.
std::string IdentitiesForm(const StartedExport& e) {
  return e.doubled ? e.branch + "\\" : e.branch;
}

}  // namespace

StartedExport StartExport(App& app, const std::string& folder, const std::string& file,
                          const std::string& branch, const std::string& relPath) {
  IFileSystem& fs = app.p.files;
  StartedExport e;
  e.file = file;
  e.path = JoinPath(folder, file);
  e.branch = branch;
  e.relPath = relPath;
  FileInfo info;
  if (fs.GetFileInfo(e.path, &info)) {
    e.hadPrevious = true;
    e.previous = info;
    e.aside = SetAside(app.p, e.path);
  }
  e.doubled = branch == kIdentitiesBranch && app.p.shell.UnderWine();
  e.editor = regedit::Start(app.p, ExportCommand(app.state.winVer, file, IdentitiesForm(e)));
  e.started = e.editor.Started();
  return e;
}

namespace {

// The branch of an export command ("HKEY_CURRENT_USER\..."), opened to see that it is there.
bool BranchExists(const Platform& p, const std::string& branch) {
  std::string path = branch.substr(branch.find('\\') + 1);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  RegKeyOwner key(p.registry);
  return p.registry.RegOpenKeyExA(kHkeyCurrentUser, path, kKeyRead, key.Receive()) == kErrorSuccess;
}

// Whether the file at the export's path was written by this run's editor: with the previous
// file moved aside any file there is new; one that stayed must show another write.
bool WrittenThisRun(IFileSystem& files, const StartedExport& e) {
  FileInfo now;
  if (!files.GetFileInfo(e.path, &now)) return false;
  if (!e.hadPrevious || !e.aside.empty()) return true;
  return now.lastWrite != e.previous.lastWrite || now.size != e.previous.size;
}

void PutBack(App& app, StartedExport& e) { PutBackAside(app.p, e.aside, e.path); }

void RunExportUnit(App& app, std::vector<StartedExport>& exports, const std::string& target,
                   const char* file, const char* branch, const char* reminder) {
  if (target.empty()) {
    app.p.user.MessageBoxA(reminder, texts::kAppTitle);
    return;
  }
  if (!EnterFolder(app.p.files, target)) return;
  if (ExportCommand(app.state.winVer, file, branch).empty()) return;
  exports.push_back(StartExport(app, app.p.files.GetCurrentDirectoryA(), file, branch, file));
}

}  // namespace

void FinishExport(App& app, StartedExport& e, Manifest& manifest,
                  std::vector<std::string>& problems) {
  manifest.Remove(e.relPath);
  if (!e.started) {
    PutBack(app, e);
    problems.push_back(texts::ExportNotStarted(e.file));
    return;
  }
  regedit::Run run = regedit::Outcome(e.editor.Await(kExportWaitMs));
  e.editor.Reset();
  if (run == regedit::Run::Ended && !WrittenThisRun(app.p.files, e) &&
      e.branch == kIdentitiesBranch && BranchExists(app.p, e.branch)) {
    e.doubled = !e.doubled;
    run = regedit::RunAndWait(app.p, ExportCommand(app.state.winVer, e.path, IdentitiesForm(e)),
                              kExportWaitMs);
  }
  switch (run) {
    case regedit::Run::Ended: break;
    case regedit::Run::NotStarted:
      // Nothing writes the file: the previous one goes back in its place.
      PutBack(app, e);
      problems.push_back(texts::ExportNotStarted(e.file));
      return;
    case regedit::Run::Running:
      // Still writing: its file is left to it, the previous one waits under its scratch name.
      problems.push_back(texts::ExportNotFinished(e.file));
      return;
    case regedit::Run::NotAwaited:
      // It may still be writing: the same as above, but without blaming the clock.
      problems.push_back(texts::ExportNotAwaited(e.file));
      return;
  }
  if (!WrittenThisRun(app.p.files, e)) {
    const bool previousStayed = e.hadPrevious && e.aside.empty();
    PutBack(app, e);
    // A branch that is not there gives no file and nothing to report.
    if (!BranchExists(app.p, e.branch)) return;
    problems.push_back(previousStayed ? texts::ExportNotReplaced(e.file)
                                      : texts::ExportNotWritten(e.file));
    return;
  }
  std::string hex;
  if (fixfile(app.p, e.path) == FixResult::Failed || !Sha256File(app.p.streams, e.path, &hex)) {
    PutBack(app, e);
    problems.push_back(texts::ExportNotRewritten(e.file));
    return;
  }
  DropAside(app.p, e.aside);
  manifest.Set(e.relPath, hex);
  app.state.report.done.push_back(texts::ExportWritten(e.relPath));
}

void bkupallIdentities(App& app, std::vector<StartedExport>& exports, const std::string& target) {
  RunExportUnit(app, exports, target, kAllIdentitiesFile, kIdentitiesBranch,
                texts::kFirstRunReminder);
}

void bkupIAM(App& app, std::vector<StartedExport>& exports, const std::string& target) {
  RunExportUnit(app, exports, target, kIamFile, kIamBranch, texts::kFirstRunReminderIam);
}

void bkupAddBook(App& app, std::vector<StartedExport>& exports, const std::string& target) {
  RunExportUnit(app, exports, target, kAddressBookFile, kAddressBookBranch,
                texts::kFirstRunReminder);
}

}  // namespace lark
