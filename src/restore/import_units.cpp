#include "restore/import_units.h"

#include <cctype>

#include "backup/export_units.h"
#include "core/app.h"
#include "core/settings.h"
#include "core/texts.h"
#include "discovery/identities.h"
#include "fs/manifest.h"
#include "fs/regedit_run.h"
#include "restore/complete_restore.h"

namespace lark {

std::string ImportCommand(const std::string& winVer, const std::string& file) {
  return (winVer == "SE" ? "regedit /s \"" : "regedit /s /c \"") + file;
}

std::string EnterBackupFolder(App& app, const std::string& folder) {
  // A relative setting ("None Selected" is one) would resolve against wherever the last
  // command left the current directory, and the restore would read someone else's files.
  if (folder == texts::kNoneSelected || !IsFullPath(folder)) return std::string();
  if (!EnterFolder(app, folder)) return std::string();
  return folder;
}

// A damaged registry file, or one the backup did not vouch for, is not imported over the
// live settings. A file the backup never wrote (a branch that was not there) is left to
// the editor, which finds nothing to import.
bool MayImport(App& app, const std::string& folder, const std::string& file) {
  const std::string path = folder + "\\" + file;
  if (app.p.files.GetFileAttributesA(path) == kInvalidFileAttributes) return true;
  const std::unique_ptr<Manifest> manifest = BackupManifest(app, folder);
  const Vouch vouch = CheckFile(app.p.streams, manifest.get(), path, file);
  if (vouch != Vouch::Mismatch && vouch != Vouch::Unlisted) return true;
  app.state.report.problems.push_back(texts::RestoreImportSkipped(file, vouch == Vouch::Mismatch));
  return false;
}

namespace {

// Where each unit clears status panel 2, as users of earlier versions saw it.
enum class ClearPanel2 { First, BeforeEditor, AfterEditor };

bool RunImportUnit(App& app, const std::string& from, const char* file, const char* doneText,
                   ClearPanel2 clear) {
  IMainView& f = app.Form1();
  if (clear == ClearPanel2::First) f.SetPanel(2, "");
  const std::string folder = EnterBackupFolder(app, from);
  if (folder.empty() || !MayImport(app, folder, file)) return false;
  if (clear == ClearPanel2::BeforeEditor) f.SetPanel(2, "");
  // The editor's exit code is 0 whatever happened, so there is nothing more to learn from it
  // than that it has ended; one still running after the wait is not reported as complete.
  if (!regedit::RunAndWait(app.p, ImportCommand(app.state.winVer, file))) return false;
  if (clear == ClearPanel2::AfterEditor) f.SetPanel(2, "");
  f.SetPanel(1, doneText);
  app.state.report.done.push_back(texts::ImportDone(file));
  return true;
}

}  // namespace

bool resbkupAllIdent(App& app, const std::string& from) {
  if (!RunImportUnit(app, from, kAllIdentitiesFile, texts::kAllIdentitiesImportComplete,
                     ClearPanel2::First))
    return false;
  GetInputPaths(app);
  return true;
}

bool resbkupIAM(App& app, const std::string& from) {
  return RunImportUnit(app, from, kIamFile, texts::kIamImportComplete, ClearPanel2::BeforeEditor);
}

bool resbkupAddBook(App& app, const std::string& from) {
  return RunImportUnit(app, from, kAddressBookFile, texts::kAddressBookImportComplete,
                       ClearPanel2::AfterEditor);
}

}  // namespace lark
