#include "restore/complete_restore.h"

#include <string>
#include <vector>

#include "backup/store_folder.h"
#include "core/app.h"
#include "core/settings.h"
#include "core/startup.h"
#include "core/texts.h"
#include "discovery/identities.h"
#include "fs/folders.h"
#include "fs/safe_name.h"
#include "fs/shell_copy.h"
#include "restore/import_units.h"
#include "ui/handlers.h"

namespace lark {

namespace {

void ReportProblems(App& app, const std::vector<std::string>& problems) {
  if (problems.empty()) return;
  std::string text = texts::kRestoreProblemsIntro;
  for (const std::string& p : problems) text += "\r\n" + p;
  app.p.user.MessageBoxA(text, texts::kAppTitle);
}

// Copies one identity's files from its folder (the current directory) into its store.
void RestoreIdentity(App& app, const std::string& folderName, const std::string& store,
                     std::vector<std::string>& problems) {
  MainWindow& f = app.Form1();
  if (!MakeFolder(app, store)) {
    problems.push_back(texts::RestoreStoreNotCreated(store));
    return;
  }
  std::vector<std::string> entries;
  try {
    entries = FileList(app, "*.dbx");
  } catch (const SearchError&) {
    problems.push_back(texts::RestoreIdentityFolderUnreadable(folderName));
    return;
  }
  if (f.chkOverwrite() == 1) app.state.silentCopy = true;
  if (f.chkOverwrite() == 0) app.state.silentCopy = false;
  // Named by its full path: some shells resolve a bare name wrongly in a folder whose name
  // starts with "..", as a mended display name such as "..\x" gives.
  std::string here = app.p.files.GetCurrentDirectoryA();
  if (!here.empty() && here.back() != '\\') here += '\\';
  for (const std::string& entry : entries) {
    if (entry == kNotRestoredFile) continue;
    // An empty folder lists one empty name; copying it would hand the shell the store
    // folder itself as a destination, so only its status text remains. A copy the shell
    // could not make (a store file held open by the mail client) is named at the end.
    if (!entry.empty() &&
        !ShellFileCopy(app, here + entry, store + "\\" + entry, app.state.silentCopy))
      problems.push_back(texts::RestoreFileNotCopied(store + "\\" + entry));
    f.SetPanel(1, entry + texts::kEntryRestoreComplete);
  }
}

}  // namespace

void resComplete(App& app) {
  const std::string folder = StoredBackupFolder(app);
  if (folder == texts::kNoneSelected) {
    app.p.user.MessageBoxA(texts::kFirstRunReminder, texts::kAppTitle);
    return;
  }
  std::vector<std::string> problems;
  if (EnterBackupFolder(app).empty()) {
    ReportProblems(app, {texts::RestoreFolderUnavailable(folder)});
    return;
  }
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
    if (name != shared && !DirExists(app, name)) name = shared;
    if (!DirExists(app, name)) continue;
    const StoreFolder store = ReadStoreFolder(app, app.state.identKey[i]);
    // An identity that never used the mail client has no store to put files into.
    if (store.kind == StoreFolder::Kind::Empty) continue;
    // Nor has one whose store is unknown, or relative: that would put the files back
    // into the backup folder itself.
    if (store.kind != StoreFolder::Kind::Folder || !IsFullPath(store.path)) {
      problems.push_back(texts::RestoreNoStoreFolder(app.state.identName[i]));
      continue;
    }
    if (!app.p.files.SetCurrentDirectoryA(name)) {
      problems.push_back(texts::RestoreIdentityFolderUnreadable(name));
      continue;
    }
    RestoreIdentity(app, name, store.path, problems);
    // The next identity's folder is looked up by its relative name.
    if (!EnterFolder(app, folder)) {
      problems.push_back(texts::RestoreFolderUnavailable(folder));
      ReportProblems(app, problems);
      return;
    }
  }
  app.Form1().SetPanel(1, texts::kRestoreComplete);
  ReportProblems(app, problems);
}

void cmdRestore_Click(App& app) {
  resbkupAllIdent(app);
  resbkupIAM(app);
  resbkupAddBook(app);
  resWAB_Click(app);
  // The imports may have changed the identities since the first one rebuilt the table.
  GetInputPaths(app);
  resComplete(app);
}

}  // namespace lark
