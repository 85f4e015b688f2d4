#include "restore/complete_restore.h"

#include <algorithm>
#include <ctime>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/app.h"
#include "core/run_report.h"
#include "core/settings.h"
#include "core/texts.h"
#include "discovery/identities.h"
#include "discovery/mail_client.h"
#include "discovery/store_folder.h"
#include "fs/file_hashes.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/safe_name.h"
#include "fs/set_aside.h"
#include "fs/shell_copy.h"
#include "fs/text.h"
#include "restore/import_units.h"
#include "restore/restore_plan.h"

namespace lark {

bool MayPutBack(App& app, const Manifest* manifest, const std::string& path,
                const std::string& relPath, const std::string& target) {
  return Vouched(app, CheckFile(app.p.streams, manifest, path, relPath), path, target);
}

bool Vouched(App& app, Vouch vouch, const std::string& path, const std::string& target) {
  switch (vouch) {
    case Vouch::NoList:
    case Vouch::Good: return true;
    case Vouch::Mismatch:
      app.state.report.problems.push_back(texts::RestoreChecksumMismatch(path, target));
      return false;
    case Vouch::Unlisted:
      app.state.report.problems.push_back(texts::RestoreNotVouched(path, target));
      return false;
  }
  return false;
}

namespace {

// A restore is asked for in the window only: somebody is there to answer the shell.
constexpr bool kRestoreHidden = false;

bool FileExists(IFileSystem& files, const std::string& path) {
  return files.GetFileAttributesA(path) != kInvalidFileAttributes;
}

// A restore of an earlier version, interrupted half-way, left the live file aside and in its
// place (part of) a copy of the backup's file: the live one returns before anything else.
void ReturnLiveFromAside(App& app, const std::string& target) {
  const std::string aside = SetAsideNameFor(target);
  if (!FileExists(app.p.files, aside)) return;
  RemoveFile(app.p, target);
  app.p.files.MoveFileReplacing(aside, target);
}

// The backup's copy, made beside the live file under a name of its own. The live file keeps
// its place until the list's answer for the copy settles which of the two stays, and the
// copy then takes it in one rename: a restore ended at any moment (a kill included) leaves
// the live file or the checked copy there, never a part of one.
struct PlacedCopy {
  std::string source;
  std::string target;
  std::string incoming;
  std::string problem;  // why no copy was placed; the live file is as it was
  std::string keepIn;   // where the live file goes instead of away, when it is newer
};

// Whether the live file was written after the backup's copy was made: it holds what the copy
// does not (mail that arrived since), and must not simply be replaced.
bool LiveNewer(IFileSystem& files, const std::string& target, const std::string& source) {
  FileInfo live, copy;
  return files.GetFileInfo(target, &live) && files.GetFileInfo(source, &copy) &&
         live.lastWrite > copy.lastWrite;
}

// Moves `file` into the folder `keepIn` under the name `name`; false when it stays.
bool KeepAside(App& app, const std::string& file, const std::string& keepIn,
               const std::string& name) {
  if (!CreatePath(app.p, keepIn)) return false;
  // A store kept by an earlier restore in the same second is never replaced: "Inbox (2).dbx".
  const std::size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
  for (int n = 1; n < 100; ++n) {
    const std::string to =
        keepIn + "\\" + (n == 1 ? name : stem + " (" + std::to_string(n) + ")" + ext);
    if (app.p.files.GetFileAttributesA(to) != kInvalidFileAttributes) continue;
    if (!app.p.files.MoveFileA(file, to)) return false;
    app.state.keptStores.push_back(to);
    return true;
  }
  return false;
}

PlacedCopy PlaceCopy(App& app, const std::string& source, const std::string& target,
                     const std::string& keepIn = std::string()) {
  IFileSystem& fs = app.p.files;
  PlacedCopy c;
  c.source = source;
  c.target = target;
  c.incoming = IncomingNameFor(target);
  ReturnLiveFromAside(app, target);
  if (!keepIn.empty() && LiveNewer(app.p.files, target, source)) c.keepIn = keepIn;
  FileInfo copyInfo;
  // A part of a copy that an interrupted restore left under the incoming name goes first.
  RemoveFile(app.p, c.incoming);
  if (!fs.GetFileInfo(source, &copyInfo) || FileExists(app.p.files, c.incoming)) {
    c.problem = texts::RestoreFileNotCopied(target);
    return c;
  }
  const bool copied = ShellFileCopy(app.p, source, c.incoming, true, kRestoreHidden);
  FileInfo put;
  if (copied && fs.GetFileInfo(c.incoming, &put) && put.size == copyInfo.size) return c;
  RemoveFile(app.p, c.incoming);
  c.problem = copied ? texts::RestoreCopyFailed(target, FileExists(app.p.files, target))
                     : texts::RestoreFileNotCopied(target);
  return c;
}

// Puts a placed copy the list approves of in the live file's place; otherwise it goes.
bool SettleCopy(App& app, const PlacedCopy& c, Vouch vouch) {
  if (!Vouched(app, vouch, c.source, c.target)) {
    RemoveFile(app.p, c.incoming);
    return false;
  }
  ClearReadOnly(app.p, c.incoming);
  // A read-only live file (copied back from a CD-R by hand) would refuse to be replaced.
  ClearReadOnly(app.p, c.target);
  if (!c.keepIn.empty() && !KeepAside(app, c.target, c.keepIn, NameFromFullPath(c.target))) {
    RemoveFile(app.p, c.incoming);
    app.state.report.problems.push_back(texts::StoreNotKept(c.target));
    return false;
  }
  // A file of zeros where the live store was, after a power cut, is what this prevents.
  if (PutInPlace(app.p.files, c.incoming, c.target)) return true;
  // The copy is gone; a live store set aside for keeping goes back to its place.
  if (!c.keepIn.empty()) {
    app.p.files.MoveFileA(app.state.keptStores.back(), c.target);
    app.state.keptStores.pop_back();
  }
  app.state.report.problems.push_back(texts::RestoreFileNotCopied(c.target));
  return false;
}

}  // namespace

bool PutBack(App& app, Vouch vouch, const std::string& source, const std::string& target,
             const std::string& keepIn) {
  if (!Vouched(app, vouch, source, target)) {
    ReturnLiveFromAside(app, target);
    RemoveFile(app.p, IncomingNameFor(target));
    return false;
  }
  const PlacedCopy c = PlaceCopy(app, source, target, keepIn);
  if (!c.problem.empty()) {
    app.state.report.problems.push_back(c.problem);
    return false;
  }
  return SettleCopy(app, c, Vouch::Good);
}

bool AskedPutBack(App& app, const std::string& source, const std::string& dest,
                  const std::string& target, const std::string& keepIn) {
  IFileSystem& fs = app.p.files;
  ReturnLiveFromAside(app, target);
  FileInfo before;
  const bool hadLive = fs.GetFileInfo(target, &before);
  const bool keep = hadLive && !keepIn.empty() && LiveNewer(app.p.files, target, source);
  // Without room for the copy the live file is still replaced as the person answered: the
  // shell's copy over it needs no room beyond the file's own. A newer one is not: its copy
  // aside is what is kept of it.
  std::string aside = hadLive ? CopyAside(app.p, target) : std::string();
  if (keep && aside.empty()) {
    app.state.report.problems.push_back(texts::StoreNotKept(target));
    return false;
  }
  if (ShellFileCopy(app.p, source, dest, false, kRestoreHidden)) {
    // Copied, or the person kept the live file: either way it is what they chose, and on the
    // disk before the only other copy of the live file goes.
    ClearReadOnly(app.p, target);
    if (app.p.files.FlushFile(target)) {
      FileInfo now;
      const bool replaced = !fs.GetFileInfo(target, &now) || now.size != before.size ||
                            now.lastWrite != before.lastWrite;
      if (!keep || !replaced) {
        DropAside(app.p, aside);
        return true;
      }
      if (KeepAside(app, aside, keepIn, NameFromFullPath(target))) {
        aside.clear();
        return true;
      }
      // Nowhere to keep it: the newer live file returns, and the backup's copy is not used.
      PutBackAside(app.p, aside, target);
      app.state.report.problems.push_back(texts::StoreNotKept(target));
      return false;
    }
    if (!hadLive) RemoveFile(app.p, target);
  }
  FileInfo after;
  const bool untouched = hadLive && fs.GetFileInfo(target, &after) && after.size == before.size &&
                         after.lastWrite == before.lastWrite;
  if (untouched)
    DropAside(app.p, aside);
  else
    PutBackAside(app.p, aside, target);
  app.state.report.problems.push_back(texts::RestoreFileNotCopied(target));
  return false;
}

std::unique_ptr<Manifest> BackupManifest(IFileSystem& files, const std::string& folder) {
  auto manifest = std::make_unique<Manifest>();
  if (!IsFullPath(folder) || !ReadManifest(files, folder, manifest.get())) return nullptr;
  return manifest;
}

namespace {

// Once the backup's folder list has replaced the live one (the copy keeps the time of the
// backup's), the live stores the backup has no copy of are named by nothing the mail client
// reads: they are kept aside with the newer ones. A list the person chose to keep still names
// them, and they stay.
void KeepUnnamedStores(App& app, const std::string& store, const std::string& here,
                       const std::vector<std::string>& entries, const std::string& keepIn) {
  constexpr const char* kFolderList = "Folders.dbx";
  FileInfo list, copy;
  if (keepIn.empty() || !app.p.files.GetFileInfo(store + "\\" + kFolderList, &list) ||
      !app.p.files.GetFileInfo(here + kFolderList, &copy) || list.size != copy.size ||
      list.lastWrite != copy.lastWrite)
    return;
  std::vector<FindEntry> live;
  if (app.p.files.FindFiles(store + "\\*.dbx", &live) != kErrorSuccess) return;
  constexpr std::uint32_t skip =
      kFileAttributeHidden | kFileAttributeSystem | kFileAttributeDirectory;
  for (const FindEntry& e : live) {
    if ((e.attributes & skip) || SameName(e.name, kNotRestoredFile) || IsDeviceName(e.name))
      continue;
    bool inBackup = false;
    for (const std::string& entry : entries) inBackup = inBackup || SameName(entry, e.name);
    if (!inBackup && !KeepAside(app, store + "\\" + e.name, keepIn, e.name))
      app.state.report.problems.push_back(texts::StoreNotKept(store + "\\" + e.name));
  }
}

// Copies one identity's files from its folder (the current directory) into its store.
void RestoreIdentity(App& app, const RunOptions& options, const Manifest* manifest,
                     const std::string& identity, const std::string& folderName,
                     const std::string& store, const std::string& keepIn) {
  IMainView& f = app.Form1();
  std::vector<std::string>& problems = app.state.report.problems;
  if (!CreatePath(app.p, store)) {
    problems.push_back(texts::RestoreStoreNotCreated(store));
    return;
  }
  std::vector<std::string> entries;
  try {
    entries = FileList(app.p, "*.dbx");
  } catch (const SearchError&) {
    problems.push_back(texts::RestoreIdentityFolderUnreadable(folderName));
    return;
  }
  // Named by its full path: some shells resolve a bare name wrongly in a folder whose name
  // starts with "..", as a mended display name such as "..\x" gives.
  std::string here = app.p.files.GetCurrentDirectoryA();
  if (!here.empty() && here.back() != '\\') here += '\\';
  // A name Windows takes for a device (a "COM1.dbx" made on another system) is no store: read
  // by that name, a serial port would be waited on for good.
  entries.erase(std::remove_if(entries.begin(), entries.end(), IsDeviceName), entries.end());
  // An empty folder lists one empty name; copying it would hand the shell the store folder
  // itself as a destination, so only its status text remains.
  if (entries.empty()) entries.emplace_back();
  std::vector<ChecksAhead::File> files;
  for (const std::string& entry : entries)
    if (!entry.empty() && entry != kNotRestoredFile)
      files.push_back({here + entry, ManifestPath(folderName, entry)});
  ChecksAhead checks(app.p.processes, app.p.streams, manifest, files);
  long restored = 0;
  // Copies made while their checks were still being read, settled in order as the checks
  // come in, so that the shell copies the next file meanwhile; a problem found at once waits
  // for them, so that the report names the problems in the order of the files.
  struct Unsettled {
    std::size_t check;
    PlacedCopy copy;
  };
  std::deque<Unsettled> unsettled;
  const auto settleFront = [&] {
    const Unsettled u = std::move(unsettled.front());
    unsettled.pop_front();
    if (SettleCopy(app, u.copy, checks.Result(u.check))) ++restored;
  };
  const auto settleAll = [&] {
    while (!unsettled.empty()) settleFront();
  };
  std::size_t k = 0;
  for (const std::string& entry : entries) {
    if (entry == kNotRestoredFile) continue;
    // A copy the shell could not make (a store file held open by the mail client) is named
    // at the end.
    const std::string target = store + "\\" + entry;
    if (entry.empty()) {
    } else if (options.overwrite) {
      // Nobody is asked before each file: the live one stays until its copy passed.
      const std::size_t i = k++;
      while (!unsettled.empty() && checks.Ready(unsettled.front().check)) settleFront();
      if (checks.Ready(i)) {
        // Its check is through: a file that fails it is never copied at all.
        settleAll();
        if (PutBack(app, checks.Result(i), here + entry, target, keepIn)) ++restored;
      } else {
        if (unsettled.size() >= FileHashes::kMaxInFlight) settleFront();
        PlacedCopy placed = PlaceCopy(app, here + entry, target, keepIn);
        if (placed.problem.empty()) {
          unsettled.push_back({i, std::move(placed)});
        } else {
          settleAll();
          problems.push_back(placed.problem);
        }
      }
    } else if (Vouched(app, checks.Result(k++), here + entry, target) &&
               AskedPutBack(app, here + entry, target, target, keepIn)) {
      ++restored;
    }
    f.SetPanel(1, entry + texts::kEntryRestoreComplete);
  }
  settleAll();
  KeepUnnamedStores(app, store, here, entries, keepIn);
  app.state.report.done.push_back(texts::IdentityRestored(identity, restored));
}

// "Kept by restore 2026-12-08 16.20.05": the time the restore began, as a folder name.
std::string KeptFolderName() {
  std::time_t t = std::time(nullptr);
  char text[64] = "";
  if (const std::tm* local = std::localtime(&t))
    std::strftime(text, sizeof text, "%Y-%m-%d %H.%M.%S", local);
  return std::string(texts::kKeptByRestore) + text;
}

}  // namespace

void resComplete(App& app, const std::string& from, const RunOptions& options,
                 const RestorePlan* plan) {
  const std::string& folder = from;
  if (folder == texts::kNoneSelected) {
    app.p.user.MessageBoxA(texts::kFirstRunReminder, texts::kAppTitle);
    return;
  }
  std::vector<std::string>& problems = app.state.report.problems;
  if (EnterBackupFolder(app, folder).empty()) {
    problems.push_back(texts::RestoreFolderUnavailable(folder));
    return;
  }
  const std::unique_ptr<Manifest> manifest = BackupManifest(app.p.files, folder);
  const std::string kept = KeptFolderName();
  const std::size_t n = UsableIdentities(app.state);
  const std::vector<std::string> folders =
      IdentityFolderNames({app.state.identName.begin(), app.state.identName.begin() + n},
                          {app.state.identKey.begin(), app.state.identKey.begin() + n});
  for (std::size_t i = 0; i < n; ++i) {
    // The same name the backup gave the folder, so a display name such as "..\x" cannot
    // reach outside the backup folder. Identities of one name shared a single folder in
    // backups made before each got its own; such a folder is still found.
    std::string name = folders[i];
    const std::string shared = SafeFolderName(app.state.identName[i]);
    if (name != shared && !DirExists(app.p, name)) name = shared;
    // Where the backup names its identities, each live one takes the folder of the backup
    // identity that went to it, and one that none went to takes nothing.
    std::string backupName;
    if (plan && plan->known) name = plan->FolderFor(app.state.identKey[i], &backupName);
    if (name.empty() || !DirExists(app.p, name)) continue;
    const StoreFolder store = ReadStoreFolder(app.p, app.state.identKey[i]);
    // An identity that never used the mail client has no store to put files into.
    if (store.kind == StoreFolder::Kind::Empty) continue;
    // Nor has one whose store is unknown, or relative: that would put the files back
    // into the backup folder itself.
    if (store.kind != StoreFolder::Kind::Folder || !IsFullPath(store.path)) {
      problems.push_back(texts::RestoreNoStoreFolder(app.state.identName[i]));
      continue;
    }
    // Started again since the restore began: it would write its own state over the stores.
    if (OutlookExpressRunning(app.p.user)) {
      problems.push_back(texts::RestoreMailClientStarted(app.state.identName[i]));
      continue;
    }
    if (!app.p.files.SetCurrentDirectoryA(name)) {
      problems.push_back(texts::RestoreIdentityFolderUnreadable(name));
      continue;
    }
    RestoreIdentity(app, options, manifest.get(), app.state.identName[i], name, store.path,
                    store.path + "\\" + kept);
    // The next identity's folder is looked up by its relative name.
    if (!EnterFolder(app.p.files, folder)) {
      problems.push_back(texts::RestoreFolderUnavailable(folder));
      return;
    }
  }
  app.Form1().SetPanel(1, texts::kRestoreComplete);
}

void RestoreFrom(App& app, const std::string& from, const RunOptions& options) {
  // A restore never runs while Outlook Express holds its stores open: it would write its
  // own state over the restored ones when it ends.
  if (!WaitForMailClientClosed(app.p.user)) return;
  // Which live identity each of the backup's goes to; a backup from elsewhere is shown first.
  RestorePlan plan = PlanRestore(app, from);
  if (!ConfirmRestore(app.p.user, plan)) return;
  app.state.report = RunReport();
  app.state.keptStores.clear();
  const std::string& folder = options.folder;
  if (from != folder) app.state.report.done.push_back(texts::RestoredFromKept(from));
  resbkupAllIdent(app, from, folder, plan.Remaps() ? &plan.matches : nullptr);
  SettleCreatedIdentities(app, plan);
  const bool accounts = resbkupIAM(app, from);
  if (resbkupAddBook(app, from)) SettleAddressBookPlace(app, plan);
  resWAB_Click(app, options, &from);
  // The imports may have changed the identities since the first one rebuilt the table.
  GetInputPaths(app);
  resComplete(app, from, options, &plan);
  ReportMove(app, plan, from, accounts);
  std::vector<std::string> keptFolders;
  for (const std::string& k : app.state.keptStores) {
    app.state.report.done.push_back(texts::StoreKept(k));
    const std::string in = DirectoryFromFile(k);
    if (std::find(keptFolders.begin(), keptFolders.end(), in) == keptFolders.end())
      keptFolders.push_back(in);
  }
  for (const std::string& in : keptFolders)
    app.state.report.done.push_back(texts::KeptHowTo(WithoutTrailingSeparator(in)));
  // What the person must know (mail kept aside, identities mapped) is shown even when all
  // went well.
  const bool tell = plan.Moving() || !app.state.keptStores.empty();
  // A kept backup stays as it was made: the report goes beside the newest one.
  CloseRun(app, options, texts::kRestoreProblemsIntro, texts::kReportOfRestore, kRestoreReportFile,
           IsFullPath(folder) && DirExists(app.p, folder) ? folder : std::string(), kNoExitCode,
           tell ? texts::kRestoreDone : nullptr);
}

}  // namespace lark
