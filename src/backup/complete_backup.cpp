#include "backup/complete_backup.h"

#include <algorithm>
#include <deque>
#include <exception>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "backup/checked_copy.h"
#include "backup/export_units.h"
#include "backup/kept_backups.h"
#include "backup/save_key.h"
#include "core/app.h"
#include "core/quiet_user.h"
#include "core/registry_access.h"
#include "core/settings.h"
#include "core/texts.h"
#include "discovery/edition.h"
#include "discovery/identities.h"
#include "discovery/mail_client.h"
#include "discovery/store_check.h"
#include "discovery/store_folder.h"
#include "fs/backup_set.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/safe_name.h"
#include "fs/sha256.h"
#include "platform/reg_key.h"

namespace lark {

namespace {

// The hourglass for as long as the identities are being copied, whichever way we leave.
class HourglassPointer {
 public:
  explicit HourglassPointer(IUser& user) : user_(user) { user_.SetPointer(Pointer::Hourglass); }
  ~HourglassPointer() { Restore(); }
  HourglassPointer(const HourglassPointer&) = delete;
  HourglassPointer& operator=(const HourglassPointer&) = delete;
  void Restore() {
    if (on_) user_.SetPointer(Pointer::Default);
    on_ = false;
  }

 private:
  IUser& user_;
  bool on_ = true;
};

// Everything one complete backup gathers on its way: the checksums of what it wrote, the
// registry and signature exports still running, the copies still being checked, what each
// identity came to and what went wrong.
struct BackupRun {
  struct Identity {
    std::string name;
    std::string folder;
    CopyTally tally;
  };
  BackupRun(const Platform& p, std::vector<std::string>& problemList)
      : problems(problemList), copies(p, manifest, problemList) {}
  Manifest manifest;
  std::vector<StartedExport> exports;
  std::vector<StartedExport> signatureExports;
  std::vector<std::string>& problems;
  std::deque<Identity> identities;  // a deque: the copies still being checked count into them
  std::string target;               // the staged backup's folder
  std::vector<std::string> live;    // the store folders read, and the address book
  // The message counts of the newest backup before this run, by path: one look-up a store.
  std::unordered_map<std::string, std::uint32_t> previousCounts;
  BackupInfo info;  // this backup's: message counts, store-check findings
  // Last, so that it goes first: a run left on an exception settles the copies still being
  // checked as it goes, and they count into the identities and the list above.
  CheckedCopies copies;
};

std::optional<std::uint32_t> PreviousCount(const BackupRun& run, const std::string& relPath) {
  auto it = run.previousCounts.find(relPath);
  if (it == run.previousCounts.end()) return std::nullopt;
  return it->second;
}

// The store check, before the store is copied: its message count goes into this backup's
// info, anything it finds into the info and the report. The store is copied all the same.
void CheckBeforeCopy(App& app, BackupRun& run, const std::string& path, const std::string& file,
                     const std::string& identity, const std::string& relPath) {
  const std::optional<std::uint32_t> before = PreviousCount(run, relPath);
  const std::optional<StoreVerdict> v = CheckStore(app.p, path, before);
  if (!v) return;
  if (v->messageFolder) run.info.messages.emplace_back(relPath, v->messages);
  for (StoreFinding f : v->findings)
    run.info.findings.push_back(FindingText(f, texts::StoreOf(file, identity), *v, before));
}

std::vector<std::string> DbxFilesOf(const Platform& p, const std::string& store) {
  std::vector<std::string> names;
  try {
    for (const std::string& name : FileList(p, store + "\\*.dbx"))
      if (!name.empty()) names.push_back(name);
  } catch (const std::exception&) {
    // A store on a drive that is not ready has nothing to copy.
  }
  return names;
}

void SaveSignatures(App& app, BackupRun& run, const std::string& identityKey,
                    const std::string& identityFolder, const std::string& sub) {
  const std::string branch = MailClientKey(identityKey) + "\\Signatures";
  const std::string& v = app.state.winVer;
  const char* hive = v == "2K" ? kSignaturesHive2k : v == "XP" ? kSignaturesHiveXp : nullptr;
  if (hive) {
    const std::string rel = ManifestPath(sub, hive);
    run.manifest.Remove(rel);
    RegKeyOwner key(app.p.registry);
    if (app.p.registry.RegOpenKeyExA(kHkeyCurrentUser, branch, kKeyRead, key.Receive()) !=
        kErrorSuccess)
      return;  // no signatures: nothing to save
    key.Close();
    std::string hex;
    if (SaveKey(app.p, branch, hive, kHkeyCurrentUser) &&
        Sha256File(app.p.streams, identityFolder + "\\" + hive, &hex))
      run.manifest.Set(rel, hex);
    else
      run.problems.push_back(texts::HiveNotSaved(identityFolder + "\\" + hive));
  }
  if (v == "NT" || v == "SE")
    run.signatureExports.push_back(StartExport(app, identityFolder, kSignaturesExport,
                                               "HKEY_CURRENT_USER\\" + branch,
                                               ManifestPath(sub, kSignaturesExport)));
}

bool IdentitiesReadable(const Platform& p) {
  RegKeyOwner identities(p.registry);
  long rc =
      p.registry.RegOpenKeyExA(kHkeyCurrentUser, "Identities", kKeyAllAccess, identities.Receive());
  if (rc == kErrorSuccess) return true;
  p.user.MessageBoxA(texts::RegistryReadError(rc, "Identities"), texts::kAppTitle);
  p.user.MessageBoxA(texts::kRunOutlookExpressOnce, texts::kAppTitle);
  return false;
}

// One identity's stores, address book and signatures into its folder (the current directory).
void BackupIdentity(App& app, BackupRun& run, const RunOptions& options, std::size_t i,
                    const std::string& store, bool storeFound, const std::string& sub,
                    const std::string& identityFolder) {
  IMainView& f = app.Form1();
  run.identities.push_back({app.state.identName[i], sub, CopyTally()});
  CopyTally* tally = &run.identities.back().tally;
  // A copy that fails its check (a store held open or written to by the mail client, a
  // full disk) is named in the report at the end; the other files and identities go on.
  for (const std::string& dbx :
       storeFound ? DbxFilesOf(app.p, store) : std::vector<std::string>()) {
    CheckBeforeCopy(app, run, store + "\\" + dbx, dbx, app.state.identName[i],
                    ManifestPath(sub, dbx));
    run.copies.Copy(store + "\\" + dbx, identityFolder + "\\" + dbx, options.overwrite,
                    options.hidden, ManifestPath(sub, dbx), tally);
    f.SetPanel(1, dbx + " Backup Complete");
    BackupStep("copying");
  }
  const std::string wab = AddressBookPath(app.p);
  const std::string wabName = NameFromFullPath(wab);
  if (!wab.empty()) {
    if (wabName.empty())
      run.problems.push_back(texts::FileNotCopiedInto(wab, sub));
    else
      run.copies.Copy(wab, identityFolder + "\\" + wabName, options.overwrite, options.hidden,
                      ManifestPath(sub, wabName), tally, texts::FileNotCopiedInto(wab, sub));
  }
  f.SetPanel(1, texts::kAdressBookBackupComplete);
  SaveSignatures(app, run, app.state.identKey[i], identityFolder, sub);
}

BackupOutcome RunBkupcomplete(App& app, BackupRun& run, const RunOptions& options) {
  IMainView& f = app.Form1();
  std::vector<std::string>& problems = run.problems;
  f.SetPanel(2, "");
  const std::string& folder = options.folder;
  if (folder == texts::kNoneSelected) {
    app.p.user.MessageBoxA(texts::kFirstRunReminder, texts::kAppTitle);
    return BackupOutcome::NoBackupFolder;
  }

  HourglassPointer pointer(app.p.user);
  f.SetPanel(1, "");
  // Nothing to back up without the identities: that is not a complete backup.
  if (!IdentitiesReadable(app.p)) return BackupOutcome::IdentitiesUnreadable;
  long count = 0;
  const std::size_t n = UsableIdentities(app.state);
  const std::vector<std::string> folders =
      IdentityFolderNames({app.state.identName.begin(), app.state.identName.begin() + n},
                          {app.state.identKey.begin(), app.state.identKey.begin() + n});
  for (std::size_t i = 0; i < n; ++i) {
    if (!EnterFolder(app.p.files, run.target)) {
      problems.push_back(texts::BackupFolderUnavailable(folder));
      break;
    }
    const std::string& key = app.state.identKey[i];
    StoreFolder store = ReadStoreFolder(app.p, key);
    if (store.kind == StoreFolder::Kind::Empty) continue;
    // A store that cannot be found would leave the identity's folder without its messages
    // and the backup looking complete; the user learns which identity it is. Its address
    // book and signatures are still saved when it has a store recorded.
    if (store.kind == StoreFolder::Kind::None) {
      problems.push_back(texts::NoStoreFolderRecorded(app.state.identName[i]));
      continue;
    }
    const bool storeFound = IsFullPath(store.path) && DirExists(app.p, store.path);
    if (storeFound) run.live.push_back(store.path);
    if (!storeFound)
      problems.push_back(texts::StoreFolderNotFound(app.state.identName[i], store.path));

    const std::string& name = folders[i];
    if ((!DirExists(app.p, name) && !app.p.files.CreateDirectoryA(name)) ||
        !app.p.files.SetCurrentDirectoryA(name)) {
      app.p.files.RemoveDirectoryA(name);  // made, perhaps, but of no use: empty
      problems.push_back(texts::IdentityFolderNotCreated(name));
      continue;
    }
    // A folder whose path is longer than Windows lets a program read back has no usable
    // path here, and a copy to "" + "\" + name would land in the root of the drive.
    const std::string identityFolder = app.p.files.GetCurrentDirectoryA();
    if (!IsFullPath(identityFolder)) {
      EnterFolder(app.p.files, run.target);
      app.p.files.RemoveDirectoryA(name);
      problems.push_back(texts::IdentityFolderNotCreated(name));
      continue;
    }
    ++count;
    if (!IdentitiesReadable(app.p)) return BackupOutcome::IdentitiesUnreadable;
    BackupIdentity(app, run, options, i, store.path, storeFound, name, identityFolder);
  }
  pointer.Restore();
  const std::string unavailable = texts::BackupFolderUnavailable(folder);
  if (!EnterFolder(app.p.files, folder) && (problems.empty() || problems.back() != unavailable))
    problems.push_back(unavailable);
  f.SetPanel(1, texts::kBackupComplete);
  f.SetPanel(2, std::to_string(count) + texts::kIdentitiesBackedUp);
  return BackupOutcome::Complete;
}

// The names of the kept backups, newest first, for the report.
std::string KeptNames(const Platform& p, const std::string& folder) {
  std::string names;
  for (const BackupSet& b : ListBackups(p, folder))
    if (!b.newest) names += (names.empty() ? "" : ", ") + NameFromFullPath(b.folder);
  return names;
}

// Where the backup was made, so that a restore elsewhere can tell and say so.
void RecordOrigin(App& app, BackupInfo* info) {
  info->computer = app.p.shell.ComputerName();
  info->user = app.p.shell.UserName();
  const std::string product =
      RegistryGetKeyValue(app.p, kHkeyLocalMachine,
                          "Software\\Microsoft\\Windows NT\\CurrentVersion", "ProductName")
          .AsText();
  info->windows = app.state.winVer + (product.empty() ? "" : " (" + product + ")");
  const std::size_t n = UsableIdentities(app.state);
  for (std::size_t i = 0; i < n; ++i) {
    const StoreFolder store = ReadStoreFolder(app.p, app.state.identKey[i]);
    info->identities.push_back(
        InfoIdentity{app.state.identKey[i], app.state.identName[i], store.written, store.path});
  }
}

// The end of a run: every export awaited and checked; the staged backup's checksum list,
// info and report; the swap that makes it the newest, and the prune of the oldest.
BackupOutcome FinishRun(App& app, BackupRun& run, const RunOptions& options, BackupOutcome outcome,
                        bool mailClientRan, KeptBackups& kept) {
  run.copies.Finish();
  for (const BackupRun::Identity& i : run.identities)
    app.state.report.done.push_back(
        texts::IdentityBackedUp(i.name, i.folder, i.tally.files, i.tally.bytes));
  for (StartedExport& e : run.exports) FinishExport(app, e, run.manifest, run.problems);
  for (StartedExport& e : run.signatureExports) FinishExport(app, e, run.manifest, run.problems);
  run.exports.clear();
  const std::string& folder = options.folder;
  const bool folderThere = IsFullPath(folder) && DirExists(app.p, folder);
  const bool staged = !run.target.empty() && DirExists(app.p, run.target);
  if (staged && !run.manifest.Empty() &&
      !ReplaceTextFile(app.p.files, run.target + "\\" + kManifestFile, run.manifest.Text()))
    run.problems.push_back(texts::kManifestNotWritten);
  if (mailClientRan) app.state.report.done.push_back(texts::kMailClientRunningDuringBackup);
  if (outcome == BackupOutcome::Complete &&
      (!run.problems.empty() || CountsAsProblems(app.state.unseenMessages)))
    outcome = BackupOutcome::CompleteWithProblems;
  for (const std::string& p : run.problems) app.state.report.problems.push_back(p);
  const bool findings = !run.info.findings.empty();
  for (const std::string& f : run.info.findings) app.state.report.problems.push_back(f);
  if (findings &&
      (outcome == BackupOutcome::Complete || outcome == BackupOutcome::CompleteWithProblems))
    outcome = BackupOutcome::StoreLooksDamaged;
  const char* intro =
      findings && run.problems.empty() ? texts::kStoreFindingsIntro : texts::kBackupProblemsIntro;
  const int code = options.unattended ? static_cast<int>(outcome) : kNoExitCode;
  std::string reportFolder = folderThere ? folder : std::string();
  if (staged) {
    RecordOrigin(app, &run.info);
    // The staged backup is whole before it is swapped in: list, info and report beside it.
    ReplaceTextFile(app.p.files, run.target + "\\" + kBackupInfoFile, BackupInfoText(run.info));
    ReplaceTextFile(app.p.files, run.target + "\\" + kBackupReportFile,
                    ReportText(app.state.report, intro, texts::kReportOfBackup, folder, code));
    BackupStep("staged");
    std::vector<std::string> swapProblems;
    run.live.push_back(app.state.wabFile);
    kept.KeepInPlace(run.live);
    const bool swapped = kept.Swap(&swapProblems);
    if (!swapped) {
      for (const std::string& p : swapProblems) app.state.report.problems.push_back(p);
      if (outcome == BackupOutcome::Complete) outcome = BackupOutcome::CompleteWithProblems;
      if (!kept.previousKeptAs().empty())
        reportFolder = kept.previousKeptAs();
      else if (DirExists(app.p, run.target))
        reportFolder = run.target;  // a swap the next run finishes takes the report with it
    } else if (outcome == BackupOutcome::Complete) {
      std::vector<std::string> letGo = kept.Beyond(StoredGenerations(app.p));
      std::vector<std::string> heldOthers;
      const std::vector<std::string> left = kept.Prune(letGo, &heldOthers);
      std::string names;
      for (const std::string& f : letGo)
        if (std::find(left.begin(), left.end(), f) == left.end() &&
            std::find(heldOthers.begin(), heldOthers.end(), f) == heldOthers.end())
          names += (names.empty() ? "" : ", ") + NameFromFullPath(f);
      app.state.report.done.push_back(texts::KeptBackupsLine(KeptNames(app.p, folder)));
      if (!names.empty()) app.state.report.done.push_back(texts::LetGoLine(names));
      for (const std::string& f : heldOthers)
        app.state.report.done.push_back(texts::KeptHoldingOthers(f));
      for (const std::string& f : left) app.state.report.done.push_back(texts::NotRemoved(f));
    } else {
      app.state.report.done.push_back(texts::KeptBackupsLine(KeptNames(app.p, folder)));
      app.state.report.done.push_back(texts::kNothingLetGo);
    }
  }
  CloseRun(app, options, intro, texts::kReportOfBackup, kBackupReportFile, reportFolder,
           options.unattended ? static_cast<int>(outcome) : kNoExitCode);
  return outcome;
}

}  // namespace

void CompleteBackup(App& app, const RunOptions& options) {
  app.state.report = RunReport();
  for (const std::string& note : app.state.runNotes) app.state.report.done.push_back(note);
  app.state.runNotes.clear();
  // A store that the mail client writes to while it is copied gives an unusable copy: a
  // person is asked to close it; a scheduled run goes on and its copy check names the stores.
  const bool mailClientRan = OutlookExpressRunning(app.p.user);
  if (mailClientRan && !options.unattended && !WaitForMailClientClosed(app.p.user)) return;
  // A backup folder that is set but cannot be entered (deleted since start-up, on a drive
  // or server that has gone) stops the backup before anything is written: the shell's copy
  // of the address book would make the folder anew, and the backup would go on into it
  // without its registry exports.
  const std::string& folder = options.folder;
  if (folder != texts::kNoneSelected &&
      (!IsFullPath(folder) || !EnterFolder(app.p.files, folder))) {
    if (options.unattended)
      app.state.exitCode = static_cast<int>(BackupOutcome::BadFolderArgument);
    else
      app.p.user.MessageBoxA(texts::BackupFolderNotOpened(folder), texts::kAppTitle);
    return;
  }
  std::vector<std::string> problems;
  BackupRun run(app.p, problems);
  KeptBackups kept(app.p, folder);
  if (folder != texts::kNoneSelected) {
    // Everything this run writes goes into a staging folder first; nothing that is there
    // now changes until the new backup is complete.
    run.info.made = BackupTimeNow();
    switch (kept.Begin(run.info.made, &problems)) {
      case KeptBackups::Start::Ready: break;
      case KeptBackups::Start::Busy:
        if (options.unattended)
          app.state.exitCode = static_cast<int>(BackupOutcome::BadFolderArgument);
        else
          app.p.user.MessageBoxA(texts::BackupBusy(folder), texts::kAppTitle);
        return;
      case KeptBackups::Start::Failed: {
        for (const std::string& p : problems) app.state.report.problems.push_back(p);
        // A swap still to finish has the new backup's report on its way to the top.
        CloseRun(
            app, options, texts::kBackupProblemsIntro, texts::kReportOfBackup, kBackupReportFile,
            SwapPending(app.p.files, folder) ? std::string() : folder,
            options.unattended ? static_cast<int>(BackupOutcome::BadFolderArgument) : kNoExitCode);
        if (options.unattended)
          app.state.exitCode = static_cast<int>(BackupOutcome::BadFolderArgument);
        return;
      }
    }
    run.target = kept.staging();
    for (const auto& m : kept.previous().messages) run.previousCounts.emplace(m.first, m.second);
  }
  // The registry editors run while the files are copied; each is awaited before its rewrite.
  // Without a backup folder set there is no staged backup, and each reminds the user.
  bkupallIdentities(app, run.exports, run.target);
  bkupIAM(app, run.exports, run.target);
  bkupAddBook(app, run.exports, run.target);
  if (!run.target.empty() || folder == texts::kNoneSelected)
    BackupAddressBookFile(app, options, &run.manifest, &problems, run.target);
  BackupOutcome outcome = FinishRun(app, run, options, RunBkupcomplete(app, run, options),
                                    mailClientRan && options.unattended, kept);
  if (options.unattended) app.state.exitCode = static_cast<int>(outcome);
}

}  // namespace lark
