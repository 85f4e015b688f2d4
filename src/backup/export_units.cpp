#include "backup/export_units.h"

#include "core/app.h"
#include "core/settings.h"
#include "core/texts.h"
#include "fs/regedit_run.h"

namespace lark {

std::string ExportCommand(const std::string& winVer, const std::string& file,
                          const std::string& branch) {
  std::string prefix;
  if (winVer == "2K" || winVer == "NT" || winVer == "XP") prefix = "regedit /s /e:A ";
  if (winVer == "SE") prefix = "regedit /s /e ";
  if (prefix.empty()) return std::string();
  return prefix + "\"" + file + "\"  \"" + branch + "\"";
}

bool EnterFolder(App& app, const std::string& folder) {
  IFileSystem& fs = app.p.files;
  if (folder.empty()) return false;
  // The drive first, so that a drive-relative folder lands on its own drive.
  if (folder.size() >= 2 && folder[1] == ':' && !fs.SetCurrentDirectoryA(folder.substr(0, 2)))
    return false;
  return fs.SetCurrentDirectoryA(folder);
}

namespace {

void RunExportUnit(App& app, const char* file, const char* branch, const char* reminder) {
  const std::string folder = StoredBackupFolder(app);
  if (folder == texts::kNoneSelected) {
    app.p.user.MessageBoxA(reminder, texts::kAppTitle);
    return;
  }
  if (!EnterFolder(app, folder)) return;
  const std::string command = ExportCommand(app.state.winVer, file, branch);
  if (command.empty()) return;
  ProcessOwner editor = regedit::Start(app.p, command);
  if (!editor.Started()) return;
  std::string dir = app.p.files.GetCurrentDirectoryA();
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  app.exports.push_back({file, dir + file, branch, std::move(editor)});
}

}  // namespace

void bkupallIdentities(App& app) {
  RunExportUnit(app, kAllIdentitiesFile, kIdentitiesBranch, texts::kFirstRunReminder);
}

void bkupIAM(App& app) {
  RunExportUnit(app, kIamFile, kIamBranch, texts::kFirstRunReminderIam);
}

void bkupAddBook(App& app) {
  RunExportUnit(app, kAddressBookFile, kAddressBookBranch, texts::kFirstRunReminder);
}

}  // namespace lark
