#include "restore/import_units.h"

#include <cctype>

#include "core/app.h"
#include "core/settings.h"
#include "core/texts.h"
#include "discovery/identities.h"
#include "fs/backup_layout.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/reg_file_check.h"
#include "fs/regedit_run.h"
#include "restore/complete_restore.h"
#include "restore/identity_reg.h"

namespace lark {

std::string ImportCommand(const std::string& winVer, const std::string& file) {
  return (winVer == "SE" ? "regedit /s \"" : "regedit /s /c \"") + file;
}

std::string EnterBackupFolder(App& app, const std::string& folder) {
  // A relative setting ("None Selected" is one) would resolve against wherever the last
  // command left the current directory, and the restore would read someone else's files.
  if (folder == texts::kNoneSelected || !IsFullPath(folder)) return std::string();
  if (!EnterFolder(app.p.files, folder)) return std::string();
  return folder;
}

// A damaged registry file, or one the backup did not vouch for, is not imported over the
// live settings. A file the backup never wrote (a branch that was not there) is left to
// the editor, which finds nothing to import.
bool ListVouchesFor(App& app, const std::string& folder, const std::string& file) {
  if (app.p.files.GetFileAttributesA(folder + "\\" + file) == kInvalidFileAttributes) return true;
  return ListVouchesFor(app, BackupManifest(app.p.files, folder).get(), folder, file);
}

bool ListVouchesFor(App& app, const Manifest* list, const std::string& folder,
                    const std::string& file) {
  const std::string path = folder + "\\" + file;
  if (app.p.files.GetFileAttributesA(path) == kInvalidFileAttributes) return true;
  const Vouch vouch = CheckFile(app.p.streams, list, path, file);
  if (vouch != Vouch::Mismatch && vouch != Vouch::Unlisted) return true;
  app.state.report.problems.push_back(texts::RestoreImportSkipped(file, vouch == Vouch::Mismatch));
  return false;
}

bool MayImport(App& app, const std::string& path, const std::string& file,
               const std::string& branch) {
  const RegFileVerdict v = CheckRegFile(app.p.streams, path, branch);
  std::string shownBranch = branch;
  while (!shownBranch.empty() && shownBranch.back() == '\\') shownBranch.pop_back();
  std::string problem;
  switch (v.fault) {
    case RegFileFault::None: return true;
    case RegFileFault::Unreadable: problem = texts::RegFileUnreadable(file); break;
    case RegFileFault::NotARegistryFile: problem = texts::RegFileNotRegistryFile(file); break;
    case RegFileFault::ValueBeforeKey: problem = texts::RegFileValueBeforeKey(file); break;
    case RegFileFault::KeyOutside:
    case RegFileFault::DeletionOutside:
      problem = texts::RegFileKeyOutside(file, v.key, shownBranch,
                                         v.fault == RegFileFault::DeletionOutside);
      break;
  }
  app.state.report.problems.push_back(problem);
  return false;
}

namespace {

// Where each unit clears status panel 2, as users of earlier versions saw it.
enum class ClearPanel2 { First, BeforeEditor, AfterEditor };

bool RunImportUnit(App& app, const std::string& from, const char* file, const char* branch,
                   const char* doneText, ClearPanel2 clear,
                   const std::vector<IdentityMatch>* remap = nullptr,
                   const std::string& top = std::string()) {
  IMainView& f = app.Form1();
  if (clear == ClearPanel2::First) f.SetPanel(2, "");
  const std::string folder = EnterBackupFolder(app, from);
  if (folder.empty()) return false;
  // A file the backup never wrote (a branch that was not there) is left to the editor, which
  // finds nothing to import.
  const std::string path = folder + "\\" + file;
  // Open from before the checks until the editor has read it: others may read it meanwhile,
  // but not change, replace or delete it.
  std::unique_ptr<IFileReader> held;
  if (app.p.files.GetFileAttributesA(path) != kInvalidFileAttributes) {
    held = app.p.streams.OpenRead(path);
    if (!ListVouchesFor(app, folder, file)) return false;
    // Each file may change its own branch only, whatever the checksum list says: the list
    // lives on the same disk and can be rewritten with it.
    if (!MayImport(app, path, file, branch)) return false;
  }
  // The identities moved to the live keys go to the editor from a file of their own, beside
  // the newest backup: the kept ones stay as they were made.
  std::string imported = file, scratch;
  std::unique_ptr<IFileReader> heldScratch;
  if (remap && held) {
    scratch = top + "\\" + kMappedIdentitiesFile;
    if (!IsFullPath(top) || !WriteMappedIdentities(app.p.streams, path, *remap, scratch) ||
        !(heldScratch = app.p.streams.OpenRead(scratch))) {
      if (IsFullPath(top)) RemoveFile(app.p, scratch);
      app.state.report.problems.push_back(texts::kMappedIdentitiesNotWritten);
      return false;
    }
    if (!MayImport(app, scratch, file, branch) || EnterBackupFolder(app, top).empty()) {
      heldScratch.reset();
      RemoveFile(app.p, scratch);
      return false;
    }
    imported = kMappedIdentitiesFile;
  }
  if (clear == ClearPanel2::BeforeEditor) f.SetPanel(2, "");
  // The editor's exit code is 0 whatever happened, so there is nothing more to learn from it
  // than that it has ended; one still running after the wait is not reported as complete.
  const regedit::Run run = regedit::RunAndWait(app.p, ImportCommand(app.state.winVer, imported));
  if (!scratch.empty()) {
    heldScratch.reset();
    RemoveFile(app.p, scratch);
    EnterBackupFolder(app, from);
  }
  if (run != regedit::Run::Ended) {
    app.state.report.problems.push_back(run == regedit::Run::NotStarted
                                            ? texts::ImportNotStarted(file)
                                            : texts::ImportNotEnded(file));
    return false;
  }
  if (clear == ClearPanel2::AfterEditor) f.SetPanel(2, "");
  f.SetPanel(1, doneText);
  app.state.report.done.push_back(texts::ImportDone(file));
  return true;
}

}  // namespace

bool resbkupAllIdent(App& app, const std::string& from, const std::string& top,
                     const std::vector<IdentityMatch>* remap) {
  if (!RunImportUnit(app, from, kAllIdentitiesFile, kIdentitiesBranch,
                     texts::kAllIdentitiesImportComplete, ClearPanel2::First, remap, top))
    return false;
  GetInputPaths(app);
  return true;
}

bool resbkupIAM(App& app, const std::string& from) {
  return RunImportUnit(app, from, kIamFile, kIamBranch, texts::kIamImportComplete,
                       ClearPanel2::BeforeEditor);
}

bool resbkupAddBook(App& app, const std::string& from) {
  return RunImportUnit(app, from, kAddressBookFile, kAddressBookBranch,
                       texts::kAddressBookImportComplete, ClearPanel2::AfterEditor);
}

}  // namespace lark
