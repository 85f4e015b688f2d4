// The File menu's backup-folder commands: make a new folder (through the chooser), set an
// existing one (through the shell's folder browser), and open the folder in the explorer.
#include "ui/folder_commands.h"

#include "core/registry_access.h"
#include "core/settings.h"
#include "core/texts.h"
#include "platform/reg_key.h"
#include "ui/handlers.h"
#include "ui/windowed_app.h"

namespace lark {

std::string BrowseForFolder(WindowedApp& app, std::uintptr_t hwnd) {
  return app.p.shell.BrowseForFolder(hwnd, texts::kBrowseTitle, kBifReturnOnlyFsDirs)
      .value_or(std::string());
}

void crtbkfldr2_Click(WindowedApp& app) {
  app.Form1().SetPanel(2, "");
  app.Form1().SetVisible(false);
  app.Form3().SetVisible(true);
}

void brbkfldr_Click(WindowedApp& app) {
  MainWindow& main = app.Form1();
  main.SetPanel(2, "");
  app.state.browseResult = BrowseForFolder(app, main.Handle());
  if (app.state.browseResult.empty()) return;
  StoreBackupFolder(app.p, app.state.browseResult);
  main.SetLblbkuppthText(StoredBackupFolder(app.p));
  main.SetLblbkuppthTooltip(StoredBackupFolder(app.p));
  // The chooser loads first if it never was, then shows what was stored.
  ChooserWindow& chooser = app.Form3();
  chooser.SetTxtbkPth(StoredBackupFolder(app.p));
}

void opnbkfldr_Click(WindowedApp& app) {
  app.Form1().SetPanel(2, "");
  std::string path;
  {
    IRegistry& reg = app.p.registry;
    RegKeyOwner key(reg);
    if (reg.RegOpenKeyExA(kHkeyCurrentUser, kSettingsKey, kKeyAllAccess, key.Receive()) ==
        kErrorSuccess) {
      long probe = ProbeValue(reg, key.get(), kFolderValue);
      if (probe == kErrorFileNotFound) {
        app.p.user.MessageBoxA(texts::kBackupFolderNotSet, texts::kAppTitle);
        return;
      }
      if (probe == kErrorMoreData) path = StoredBackupFolder(app.p);
    }
  }
  app.p.shell.ShellExecuteA(0, texts::kExploreVerb, path, "", "", kSwShowNormal);
}

}  // namespace lark
