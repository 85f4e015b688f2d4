// "Backup Address Book": the address-book file into the top of the backup folder.
#include "core/app.h"
#include "core/settings.h"
#include "core/texts.h"
#include "fs/folders.h"
#include "fs/shell_copy.h"
#include "ui/handlers.h"

namespace lark {

void addBookFile_Click(App& app) {
  const std::string name = NameFromFullPath(app.state.wabFile);
  app.Form1().SetPanel(2, "");
  // The stored setting decides whether a folder is set: the chooser's path box can show a
  // folder while none is stored, and the copy would then land somewhere unintended.
  const std::string folder = StoredBackupFolder(app);
  if (folder == texts::kNoneSelected) {
    app.p.user.MessageBoxA(texts::kFirstRunReminder, texts::kAppTitle);
    return;
  }
  if (app.state.unattended) app.state.silentCopy = true;
  if (!app.state.wabFile.empty())
    ShellFileCopy(app, app.state.wabFile, folder + "\\" + name, app.state.silentCopy);
  app.Form1().SetPanel(1, texts::kAddressBookCopyComplete);
}

}  // namespace lark
