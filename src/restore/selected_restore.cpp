#include "restore/selected_restore.h"

#include <cctype>
#include <memory>
#include <unordered_map>

#include "core/app.h"
#include "core/run_report.h"
#include "core/settings.h"
#include "core/texts.h"
#include "discovery/edition.h"
#include "discovery/identities.h"
#include "discovery/identity_match.h"
#include "discovery/mail_client.h"
#include "discovery/store_folder.h"
#include "fs/backup_layout.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/regedit_run.h"
#include "fs/safe_name.h"
#include "fs/shell_copy.h"
#include "fs/text.h"
#include "restore/complete_restore.h"
#include "restore/identity_reg.h"
#include "restore/import_units.h"

namespace lark {

bool RestoreChoice::Empty() const {
  for (const Identity& i : identities)
    if (i.settings || !i.stores.empty()) return false;
  return !accounts && !addressBook;
}

namespace {

bool Exists(IFileSystem& files, const std::string& path) {
  return files.GetFileAttributesA(path) != kInvalidFileAttributes;
}

ItemCheck Check(const Platform& p, const Manifest* manifest, const std::string& folder,
                const std::string& relPath) {
  ItemCheck c;
  std::string path = folder + "\\" + relPath;
  for (char& ch : path)
    if (ch == '/') ch = '\\';
  const Vouch v = CheckFile(p.streams, manifest, path, relPath);
  c.verifies = v == Vouch::Good || v == Vouch::NoList;
  c.listed = v != Vouch::Unlisted;
  return c;
}

// The files of a folder that are message stores the restore may put back: visible .dbx
// files, but never the record of what the mail server already delivered.
std::vector<FindEntry> StoresIn(IFileSystem& files, const std::string& folder) {
  std::vector<FindEntry> all, stores;
  if (files.FindFiles(folder + "\\*.dbx", &all) != kErrorSuccess) return stores;
  constexpr std::uint32_t skip =
      kFileAttributeHidden | kFileAttributeSystem | kFileAttributeDirectory;
  for (const FindEntry& e : all)
    if (!(e.attributes & skip) && e.name != kNotRestoredFile && !IsDeviceName(e.name))
      stores.push_back(e);
  return stores;
}

// The identity's store folder: the live one when the identity is there, else the one the
// backup recorded for it.
std::string StoreFolderOf(const Platform& p, const std::string& key, const std::string& recorded,
                          bool hasRecorded) {
  StoreFolder live = ReadStoreFolder(p, key);
  if (live.kind == StoreFolder::Kind::Folder) return IsFullPath(live.path) ? live.path : "";
  if (live.kind == StoreFolder::Kind::Empty || !hasRecorded) return "";
  if (recorded == kEmptyIdentityMarker) return "";
  const std::string path = WithoutTrailingSeparator(
      recorded.find('%') == std::string::npos ? recorded
                                              : p.shell.ExpandEnvironmentStringsA(recorded));
  return IsFullPath(path) ? path : "";
}

// The backup's folder of an identity: the name the backup gave it, or, in backups made before
// identities of one name got folders of their own, the shared one.
std::string IdentityFolder(const Platform& p, const std::string& backup, const std::string& name,
                           const std::string& folderName) {
  if (DirExists(p, backup + "\\" + folderName)) return folderName;
  const std::string shared = SafeFolderName(name);
  if (DirExists(p, backup + "\\" + shared)) return shared;
  return "";
}

// The backup's identities by key, each with the name of its folder in the backup, worked out
// once: a choice may name every identity of a backup that holds thousands.
class IdentityIndex {
 public:
  explicit IdentityIndex(const BackupContents& c) {
    std::vector<std::string> names, keys;
    for (std::size_t i = 0; i < c.identities.size(); ++i) {
      byKey_.emplace(FoldedName(c.identities[i].key), i);
      names.push_back(c.identities[i].name);
      keys.push_back(c.identities[i].key);
    }
    folders_ = IdentityFolderNames(names, keys);
  }
  // The identity's place in the backup's list, or npos.
  std::size_t Find(const std::string& key) const {
    auto it = byKey_.find(FoldedName(key));
    return it == byKey_.end() ? std::string::npos : it->second;
  }
  const std::string& FolderName(std::size_t i) const { return folders_[i]; }

 private:
  std::unordered_map<std::string, std::size_t> byKey_;
  std::vector<std::string> folders_;
};

void RestoreSettings(App& app, const BackupContents& c, const Manifest* list,
                     const BackupIdentity& identity, const std::string& top) {
  RunReport& report = app.state.report;
  const std::string name = identity.name;
  if (!identity.hasSettings) {
    report.problems.push_back(texts::SettingsNotInBackup(name));
    return;
  }
  if (EnterBackupFolder(app, c.folder).empty()) {
    report.problems.push_back(texts::RestoreFolderUnavailable(c.folder));
    return;
  }
  if (!ListVouchesFor(app, list, c.folder, kAllIdentitiesFile)) return;
  // The identity's keys alone go to the editor, in a file beside the newest backup: the kept
  // ones stay as they were made.
  const std::string scratch = top + "\\" + kIdentityScratchFile;
  // One that goes to a live identity under another key is imported under that key.
  IdentityMatch match;
  match.kind = IdentityMatch::Kind::Matched;
  match.backupKey = identity.key;
  match.liveKey = identity.liveKey;
  const std::string from = c.folder + "\\" + kAllIdentitiesFile;
  const bool written =
      identity.liveKey.empty()
          ? WriteIdentityReg(app.p.streams, from, identity.key, scratch)
          : WriteMappedIdentities(app.p.streams, from, {match}, scratch, identity.key);
  if (!written) {
    RemoveFile(app.p, scratch);
    report.problems.push_back(texts::SettingsNotWritten(name));
    return;
  }
  // The identity's keys are taken out by their key lines as the editor writes them; a line
  // the editor would read as a key but that is written otherwise (a blank before its bracket,
  // after a lone CR) comes along inside them. Held open until the editor has read it.
  std::unique_ptr<IFileReader> held = app.p.streams.OpenRead(scratch);
  const bool imported =
      held &&
      MayImport(app, scratch, kAllIdentitiesFile,
                kIdentitiesBranch + (identity.liveKey.empty() ? identity.key : identity.liveKey)) &&
      EnterBackupFolder(app, top) == top &&
      regedit::RunAndWait(app.p, ImportCommand(app.state.winVer, kIdentityScratchFile)) ==
          regedit::Run::Ended;
  held.reset();
  RemoveFile(app.p, scratch);
  if (!imported) {
    report.problems.push_back(texts::SettingsNotImported(name));
    return;
  }
  app.Form1().SetPanel(1, texts::kAllIdentitiesImportComplete);
  report.done.push_back(texts::SettingsRestored(name));
  GetInputPaths(app);
}

void RestoreAddressBook(App& app, const BackupContents& c, const Manifest* list) {
  RunReport& report = app.state.report;
  if (!resbkupAddBook(app, c.folder)) {
    report.problems.push_back(texts::kAddressBookNotRestored);
    return;
  }
  if (c.wabFile.empty()) return;
  // Where the address book lives now: the import may just have changed it.
  app.state.wabFile = AddressBookPath(app.p);
  const std::string folder = DirectoryFromFile(app.state.wabFile);
  if (!IsFullPath(folder)) {
    report.problems.push_back(texts::kAddressBookNotRestored);
    return;
  }
  const std::string target = folder + c.wabFile;
  if (PutBackChecked(app, list, c.folder + "\\" + c.wabFile, c.wabFile, target)) {
    report.done.push_back(texts::AddressBookRestored(target));
    app.Form1().SetPanel(1, texts::kAddressBookCopyComplete);
  }
}

void RestoreStores(App& app, const BackupContents& c, const Manifest* list,
                   const BackupIdentity& identity, const std::string& ownFolderName,
                   const std::vector<std::string>& files) {
  RunReport& report = app.state.report;
  // Settings restored a moment ago may have given the identity its store folder.
  std::string store = identity.storeFolder;
  const StoreFolder live =
      ReadStoreFolder(app.p, identity.liveKey.empty() ? identity.key : identity.liveKey);
  if (live.kind == StoreFolder::Kind::Folder && IsFullPath(live.path)) store = live.path;
  const std::string folderName = IdentityFolder(app.p, c.folder, identity.name, ownFolderName);
  if (store.empty() || folderName.empty()) {
    for (const std::string& f : files)
      report.problems.push_back(texts::StoreNoFolder(identity.name, f));
    return;
  }
  if (!CreatePath(app.p, store)) {
    report.problems.push_back(texts::RestoreStoreNotCreated(store));
    return;
  }
  for (const std::string& file : files) {
    const std::string target = store + "\\" + file;
    // Started since the restore began: it would write its own state over the store.
    if (OutlookExpressRunning(app.p.user)) {
      report.problems.push_back(texts::StoreMailClientRunning(target));
      continue;
    }
    if (PutBackChecked(app, list, c.folder + "\\" + folderName + "\\" + file,
                       ManifestPath(folderName, file), target)) {
      report.done.push_back(texts::StoreRestored(target));
      app.Form1().SetPanel(1, file + texts::kEntryRestoreComplete);
    }
  }
}

}  // namespace

bool PutBackChecked(App& app, const Manifest* list, const std::string& source,
                    const std::string& relPath, const std::string& target) {
  return PutBack(app, CheckFile(app.p.streams, list, source, relPath), source, target);
}

BackupContents ReadBackupContents(App& app, const std::string& folder, bool readStores) {
  BackupContents c;
  c.folder = folder;
  const std::unique_ptr<Manifest> manifest = BackupManifest(app.p.files, folder);
  const Manifest* list = manifest.get();
  GetInputPaths(app);
  const std::size_t n = UsableIdentities(app.state);

  std::vector<RegIdentity> recorded;
  const std::string regFile = folder + "\\" + kAllIdentitiesFile;
  if (Exists(app.p.files, regFile)) {
    ReadRegIdentities(app.p.streams, regFile, &recorded);
    c.settings = Check(app.p, list, folder, kAllIdentitiesFile);
  }
  // A backup whose identities file is missing still has the live identities' folders.
  if (recorded.empty())
    for (std::size_t i = 0; i < n; ++i)
      recorded.push_back(RegIdentity{app.state.identKey[i], app.state.identName[i], "", false});
  std::vector<std::string> names, keys;
  for (const RegIdentity& r : recorded) {
    names.push_back(r.name);
    keys.push_back(r.key);
  }
  const std::vector<std::string> folders = IdentityFolderNames(names, keys);
  // The same matching as the complete restore's: a backup from another PC goes to this PC's
  // identities of the same names.
  std::vector<NamedIdentity> backupIds, liveIds;
  for (const RegIdentity& r : recorded) backupIds.push_back(NamedIdentity{r.key, r.name});
  for (std::size_t i = 0; i < n; ++i)
    liveIds.push_back(NamedIdentity{app.state.identKey[i], app.state.identName[i]});
  const std::vector<IdentityMatch> matches = MatchIdentities(backupIds, liveIds);
  for (std::size_t k = 0; k < recorded.size(); ++k) {
    const RegIdentity& r = recorded[k];
    BackupIdentity b;
    b.key = r.key;
    b.name = r.name;
    b.hasSettings = Exists(app.p.files, regFile);
    b.live = matches[k].kind != IdentityMatch::Kind::Created;
    if (matches[k].kind == IdentityMatch::Kind::Matched) {
      b.liveKey = matches[k].liveKey;
      b.liveName = matches[k].liveName;
    }
    b.storeFolder =
        StoreFolderOf(app.p, b.liveKey.empty() ? r.key : b.liveKey, r.storeRoot, r.hasStoreRoot);
    const std::string sub = IdentityFolder(app.p, folder, r.name, folders[k]);
    if (!sub.empty()) {
      for (const FindEntry& e : StoresIn(app.p.files, folder + "\\" + sub)) {
        BackupStore s;
        s.file = e.name;
        s.path = folder + "\\" + sub + "\\" + e.name;
        FileInfo info;
        if (app.p.files.GetFileInfo(s.path, &info)) {
          s.size = info.size;
          s.written = info.lastWrite;
        }
        if (readStores || !list) {
          s.check = Check(app.p, list, folder, ManifestPath(sub, e.name));
        } else {
          s.check.listed = list->Find(ManifestPath(sub, e.name)) != nullptr;
          s.check.pending = s.check.listed;
          s.check.verifies = false;
        }
        FileInfo liveInfo;
        if (!b.storeFolder.empty() &&
            app.p.files.GetFileInfo(b.storeFolder + "\\" + e.name, &liveInfo)) {
          s.liveExists = true;
          s.liveNewer = liveInfo.lastWrite > s.written;
          s.liveLarger = liveInfo.size > s.size;
        }
        b.stores.push_back(s);
      }
    }
    if (b.hasSettings || !b.stores.empty()) c.identities.push_back(b);
  }

  if (Exists(app.p.files, folder + "\\" + kIamFile)) {
    c.accounts = true;
    c.accountsCheck = Check(app.p, list, folder, kIamFile);
  }
  if (Exists(app.p.files, folder + "\\" + kAddressBookFile)) {
    c.addressBook = true;
    c.addressBookCheck = Check(app.p, list, folder, kAddressBookFile);
    std::vector<FindEntry> books;
    if (app.p.files.FindFiles(folder + "\\*.wab", &books) == kErrorSuccess)
      for (const FindEntry& e : books)
        if (!(e.attributes & kFileAttributeDirectory) && c.wabFile.empty()) {
          c.wabFile = e.name;
          const ItemCheck wab = Check(app.p, list, folder, e.name);
          if (!wab.verifies) c.addressBookCheck = wab;
        }
  }
  return c;
}

void RestoreSelected(App& app, const BackupContents& c, const RestoreChoice& choice) {
  if (choice.Empty()) return;
  // Never while Outlook Express holds its stores open: it would write its own state over the
  // restored ones when it ends.
  if (!WaitForMailClientClosed(app.p.user)) return;
  app.state.report = RunReport();
  RunReport& report = app.state.report;
  const std::string top = StoredBackupFolder(app.p);
  if (!SameName(c.folder, top)) report.done.push_back(texts::RestoredFromKept(c.folder));
  app.Form1().SetPanel(2, "");
  const std::unique_ptr<Manifest> list = BackupManifest(app.p.files, c.folder);
  const IdentityIndex index(c);
  // Settings first: an identity restored whole needs its keys before its stores.
  for (const RestoreChoice::Identity& ci : choice.identities) {
    const std::size_t i = index.Find(ci.key);
    if (i != std::string::npos && ci.settings)
      RestoreSettings(app, c, list.get(), c.identities[i], top);
  }
  if (choice.accounts && !resbkupIAM(app, c.folder))
    report.problems.push_back(texts::kAccountsNotRestored);
  if (choice.addressBook) RestoreAddressBook(app, c, list.get());
  for (const RestoreChoice::Identity& ci : choice.identities) {
    const std::size_t i = index.Find(ci.key);
    if (i != std::string::npos && !ci.stores.empty())
      RestoreStores(app, c, list.get(), c.identities[i], index.FolderName(i), ci.stores);
  }
  app.Form1().SetPanel(1, texts::kRestoreComplete);
  // Asked for in the window only: somebody is there to read its box.
  CloseRun(app, RunOptions(), texts::kRestoreProblemsIntro, texts::kReportOfSelectedRestore,
           kRestoreReportFile, IsFullPath(top) && DirExists(app.p, top) ? top : std::string(), -1,
           texts::kSelectedRestoreDone);
}

}  // namespace lark
