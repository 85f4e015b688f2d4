#include "backup/complete_backup.h"

#include <exception>
#include <vector>

#include "backup/export_units.h"
#include "backup/fixfile.h"
#include "backup/save_key.h"
#include "backup/store_folder.h"
#include "core/app.h"
#include "core/registry_access.h"
#include "core/settings.h"
#include "core/texts.h"
#include "discovery/edition.h"
#include "discovery/identities.h"
#include "fs/folders.h"
#include "fs/regedit_run.h"
#include "fs/safe_name.h"
#include "fs/shell_copy.h"
#include "platform/reg_key.h"
#include "ui/handlers.h"

namespace lark {

namespace {

// The hourglass for as long as the identities are being copied, whichever way we leave.
class HourglassPointer {
 public:
  explicit HourglassPointer(IUser& user) : user_(user) { user_.SetPointer(Pointer::Hourglass); }
  ~HourglassPointer() { Restore(); }
  void Restore() {
    if (on_) user_.SetPointer(Pointer::Default);
    on_ = false;
  }

 private:
  IUser& user_;
  bool on_ = true;
};

std::vector<std::string> DbxFilesOf(App& app, const std::string& store) {
  std::vector<std::string> names;
  try {
    for (const std::string& name : FileList(app, store + "\\*.dbx"))
      if (!name.empty()) names.push_back(name);
  } catch (const std::exception&) {
    // A store on a drive that is not ready has nothing to copy.
  }
  return names;
}

void SaveSignatures(App& app, const std::string& identityKey) {
  const std::string branch = MailClientKey(identityKey) + "\\Signatures";
  const std::string& v = app.state.winVer;
  if (v == "2K") SaveKey(app, branch, "SignaturesWin2k.reg", kHkeyCurrentUser);
  if (v == "XP") SaveKey(app, branch, "SignaturesWinXP.reg", kHkeyCurrentUser);
  if (v == "NT" || v == "SE") {
    std::string command = ExportCommand(v, "Signatures.reg", "HKEY_CURRENT_USER\\" + branch);
    regedit::Start(app.p, command);  // not awaited: nothing reads this file back
  }
}

// The branch of an export command ("HKEY_CURRENT_USER\..."), opened to see that it is there.
bool BranchExists(App& app, const std::string& branch) {
  std::string path = branch.substr(branch.find('\\') + 1);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  RegKeyOwner key(app.p.registry);
  return app.p.registry.RegOpenKeyExA(kHkeyCurrentUser, path, kKeyRead, key.Receive()) ==
         kErrorSuccess;
}

// Waits for the editor that writes the export, then rewrites the file.
void FinishExport(App& app, const char* file, std::vector<std::string>& problems) {
  for (StartedExport& e : app.exports) {
    if (e.file != file) continue;
    if (!e.editor.Wait(kExportWaitMs)) {
      problems.push_back(texts::ExportNotFinished(e.file));
      return;
    }
    e.editor.Reset();
    // An editor that reads its command line by the C runtime's rules takes the final \" of
    // the identities branch for an escaped quote and exports nothing. Asking once more with
    // the backslash doubled gives such an editor the intended branch.
    if (e.branch == kIdentitiesBranch &&
        app.p.files.GetFileAttributesA(e.path) == kInvalidFileAttributes &&
        BranchExists(app, e.branch)) {
      std::string retry = ExportCommand(app.state.winVer, e.file, std::string(kIdentitiesBranch) + "\\");
      if (!regedit::RunAndWait(app.p, retry, kExportWaitMs)) {
        problems.push_back(texts::ExportNotFinished(e.file));
        return;
      }
    }
    // A branch that is not there gives no file; one that is there must have given one
    // (a folder nothing can be written to, a path too long for Windows).
    if (app.p.files.GetFileAttributesA(e.path) == kInvalidFileAttributes) {
      if (BranchExists(app, e.branch)) problems.push_back(texts::ExportNotWritten(e.file));
      return;
    }
    if (fixfile(app, e.path) == FixResult::Failed) problems.push_back(texts::ExportNotRewritten(e.file));
    return;
  }
}

void ReportProblems(App& app, const std::vector<std::string>& problems) {
  if (problems.empty()) return;
  // A hidden unattended run has nobody to press OK: its exit code tells the scheduler.
  if (app.state.unattended && !app.Form1().Visible()) return;
  std::string text = texts::kBackupProblemsIntro;
  for (const std::string& p : problems) text += "\r\n" + p;
  app.p.user.MessageBoxA(text, texts::kAppTitle);
}

}  // namespace

static BackupOutcome RunBkupcomplete(App& app, std::vector<std::string>& problems) {
  MainWindow& f = app.Form1();
  f.SetPanel(2, "");
  const std::string folder = StoredBackupFolder(app);
  if (folder == texts::kNoneSelected) {
    app.p.user.MessageBoxA(texts::kFirstRunReminder, texts::kAppTitle);
    return BackupOutcome::NoBackupFolder;
  }
  if (f.chkOverwrite() == 1) app.state.silentCopy = true;
  if (f.chkOverwrite() == 0) app.state.silentCopy = false;

  HourglassPointer pointer(app.p.user);
  f.SetPanel(1, "");
  long count = 0;
  const std::size_t n = UsableIdentities(app.state);
  const std::vector<std::string> folders =
      IdentityFolderNames({app.state.identName.begin(), app.state.identName.begin() + n},
                          {app.state.identKey.begin(), app.state.identKey.begin() + n});
  for (std::size_t i = 0; i < n; ++i) {
    if (!EnterFolder(app, folder)) {
      problems.push_back(texts::BackupFolderUnavailable(folder));
      break;
    }
    const std::string& key = app.state.identKey[i];
    StoreFolder store = ReadStoreFolder(app, key);
    if (store.kind == StoreFolder::Kind::Empty) continue;
    // A store that cannot be found would leave the identity's folder without its messages
    // and the backup looking complete; the user learns which identity it is. Its address
    // book and signatures are still saved when it has a store recorded.
    if (store.kind == StoreFolder::Kind::None) {
      problems.push_back(texts::NoStoreFolderRecorded(app.state.identName[i]));
      continue;
    }
    const bool storeFound = IsFullPath(store.path) && DirExists(app, store.path);
    if (!storeFound)
      problems.push_back(texts::StoreFolderNotFound(app.state.identName[i], store.path));

    const std::string& name = folders[i];
    if (!DirExists(app, name) && !app.p.files.CreateDirectoryA(name)) {
      problems.push_back(texts::IdentityFolderNotCreated(name));
      continue;
    }
    if (!app.p.files.SetCurrentDirectoryA(name)) {
      problems.push_back(texts::IdentityFolderNotCreated(name));
      continue;
    }
    // A folder whose path is longer than Windows lets a program read back has no usable
    // path here, and a copy to "" + "\" + name would land in the root of the drive.
    const std::string identityFolder = app.p.files.GetCurrentDirectoryA();
    if (!IsFullPath(identityFolder)) {
      problems.push_back(texts::IdentityFolderNotCreated(name));
      continue;
    }
    ++count;

    {
      RegKeyOwner identities(app.p.registry);
      long rc = app.p.registry.RegOpenKeyExA(kHkeyCurrentUser, "Identities", kKeyAllAccess,
                                             identities.Receive());
      if (rc != kErrorSuccess) {
        app.p.user.MessageBoxA("Registry read error " + std::to_string(rc) + "Identities",
                               texts::kAppTitle);
        app.p.user.MessageBoxA(texts::kRunOutlookExpressOnce, texts::kAppTitle);
        return BackupOutcome::IdentitiesUnreadable;
      }
    }

    // A copy the shell could not make (a store held open by the mail client, a full disk)
    // is named in the report at the end; the other files and identities go on.
    for (const std::string& dbx :
         storeFound ? DbxFilesOf(app, store.path) : std::vector<std::string>()) {
      if (!ShellFileCopy(app, store.path + "\\" + dbx, identityFolder + "\\" + dbx,
                         app.state.silentCopy))
        problems.push_back(texts::FileNotCopied(store.path + "\\" + dbx));
      f.SetPanel(1, dbx + " Backup Complete");
    }
    const std::string wab =
        RegistryGetKeyValue(app.p, kHkeyCurrentUser, kWabFileKey, "").AsText();
    if (!wab.empty() && !ShellFileCopy(app, wab, identityFolder, app.state.silentCopy))
      problems.push_back(texts::FileNotCopiedInto(wab, name));
    f.SetPanel(1, texts::kAdressBookBackupComplete);
    SaveSignatures(app, key);
  }
  pointer.Restore();
  const std::string unavailable = texts::BackupFolderUnavailable(folder);
  if (!EnterFolder(app, folder) && (problems.empty() || problems.back() != unavailable))
    problems.push_back(unavailable);
  f.SetPanel(1, texts::kBackupComplete);
  f.SetPanel(2, std::to_string(count) + texts::kIdentitiesBackedUp);
  return BackupOutcome::Complete;
}

BackupOutcome bkupcomplete(App& app) {
  std::vector<std::string> problems;
  BackupOutcome outcome = RunBkupcomplete(app, problems);
  ReportProblems(app, problems);
  if (outcome == BackupOutcome::Complete && !problems.empty())
    outcome = BackupOutcome::CompleteWithProblems;
  return outcome;
}

void cmdComplete_Click(App& app) {
  app.exports.clear();
  // A backup folder that is set but cannot be entered (deleted since start-up, on a drive
  // or server that has gone) stops the backup before anything is written: the shell's copy
  // of the address book would make the folder anew, and the backup would go on into it
  // without its registry exports.
  const std::string folder = StoredBackupFolder(app);
  if (folder != texts::kNoneSelected && (!IsFullPath(folder) || !EnterFolder(app, folder))) {
    if (app.state.unattended)
      app.state.exitCode = static_cast<int>(BackupOutcome::BadFolderArgument);
    else
      app.p.user.MessageBoxA(texts::BackupFolderNotOpened(folder), texts::kAppTitle);
    return;
  }
  bkupallIdentities(app);
  bkupIAM(app);
  bkupAddBook(app);
  std::vector<std::string> problems;
  FinishExport(app, kAllIdentitiesFile, problems);
  FinishExport(app, kAddressBookFile, problems);
  FinishExport(app, kIamFile, problems);
  app.exports.clear();
  if (!BackupAddressBookFile(app)) problems.push_back(texts::FileNotCopied(app.state.wabFile));
  BackupOutcome outcome = RunBkupcomplete(app, problems);
  ReportProblems(app, problems);
  if (outcome == BackupOutcome::Complete && !problems.empty())
    outcome = BackupOutcome::CompleteWithProblems;
  if (app.state.unattended) app.state.exitCode = static_cast<int>(outcome);
}

}  // namespace lark
