// "Backup Address Book": the address-book file into the top of the backup folder.
#include "backup/complete_backup.h"
#include "core/app.h"
#include "core/settings.h"
#include "core/texts.h"
#include "fs/folders.h"
#include "fs/shell_copy.h"
#include "ui/handlers.h"

namespace lark {

bool BackupAddressBookFile(App& app) {
  const std::string name = NameFromFullPath(app.state.wabFile);
  app.Form1().SetPanel(2, "");
  // The stored setting decides whether a folder is set: the chooser's path box can show a
  // folder while none is stored, and the copy would then land somewhere unintended. So
  // would a setting that is not a full path: it names a folder relative to wherever the
  // current directory happens to be, or the root of the current drive.
  const std::string folder = StoredBackupFolder(app);
  if (folder == texts::kNoneSelected || !IsFullPath(folder)) {
    app.p.user.MessageBoxA(texts::kFirstRunReminder, texts::kAppTitle);
    return true;
  }
  if (app.state.unattended) app.state.silentCopy = true;
  bool copied = true;
  if (!app.state.wabFile.empty())
    copied = ShellFileCopy(app, app.state.wabFile, folder + "\\" + name, app.state.silentCopy);
  app.Form1().SetPanel(1, texts::kAddressBookCopyComplete);
  return copied;
}

void addBookFile_Click(App& app) { BackupAddressBookFile(app); }

}  // namespace lark
