// The folder chooser: its load, the chained drive, folder and file lists, and its buttons.
#include "ui/chooser.h"

#include "core/registry_access.h"
#include "core/settings.h"
#include "core/texts.h"
#include "fs/folders.h"
#include "ui/handlers.h"
#include "ui/ids.h"
#include "ui/windowed_app.h"

namespace lark {

namespace {

std::string DriveOf(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
}

bool IsBlank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

}  // namespace

std::string DriveType(WindowedApp& app, std::string& Drive) {
  if (Drive.size() == 1)
    Drive += ":\\";
  else if (Drive.size() == 2 && Drive[1] == ':')
    Drive += "\\";
  switch (app.p.files.GetDriveTypeA(Drive)) {
    case kDriveRemovable: return texts::kRemovableDrive;
    case kDriveFixed: return texts::kFixedDrive;
    case kDriveRemote: return texts::kRemoteDrive;
    case kDriveCdRom: return texts::kCdRom;
    case kDriveRamDisk: return texts::kRamDisk;
    default: return texts::kDriveDoesntExist;
  }
}

void Form3_Load(WindowedApp& app) {
  ChooserWindow& f = app.Form3();
  std::string& root = app.state.fixedDriveRoot;
  for (char letter = 'B'; letter <= 'Z'; ++letter) {
    root = std::string(1, letter) + ":\\";
    if (DriveType(app, root) == texts::kFixedDrive) {
      f.SetDrive1(root.substr(0, 2));
      break;
    }
  }

  f.SetTxtbkPth(StoredBackupFolder(app.p));

  if (f.txtbkPth() == texts::kNoneSelected) {
    // Offer the first fixed drive's current folder instead of the marker.
    for (char letter = 'B'; letter <= 'Z'; ++letter) {
      root = std::string(1, letter) + ":\\";
      if (DriveType(app, root) == texts::kFixedDrive) {
        f.SetDir1Path(root.substr(0, 2));
        f.RefreshDir1();
        break;
      }
      f.SetTxtbkPth(f.Dir1Path());
      f.RefreshDir1();
    }
  }

  if (f.txtbkPth() != texts::kNoneSelected) {
    if (DirExists(app.p, f.txtbkPth()))
      f.SetDir1Path(f.txtbkPth());
    else
      ForgetBackupFolder(app.p);
  }
}

void Drive1_Change(WindowedApp& app) {
  ChooserWindow& f = app.Form3();
  if (!f.SetDir1Path(f.Drive1())) {
    // No medium or no access: say so and go back to the drive the folder list still shows.
    app.p.user.MessageBoxA(texts::DriveCannotBeRead(f.Drive1()), texts::kAppTitle);
    f.ShowDrive1(DriveOf(f.Dir1Path()));
    return;
  }
  f.RefreshDir1();
}

void Dir1_Change(WindowedApp& app) {
  ChooserWindow& f = app.Form3();
  f.SetFile1Path(f.Dir1Path());
  f.SetTxtbkPth(f.File1Path());
  f.RefreshFile1();
}

void ChooseDrive(WindowedApp& app, const std::string& drive) {
  ChooserWindow& f = app.Form3();
  if (f.SetDrive1(drive)) return;
  // The drive went away since the list was filled.
  app.p.user.MessageBoxA(texts::DriveCannotBeRead(drive), texts::kAppTitle);
  f.RefreshDrives();
  f.ShowDrive1(DriveOf(f.Dir1Path()));
}

void OpenFolderListItem(WindowedApp& app, std::size_t index) {
  ChooserWindow& f = app.Form3();
  if (index >= f.Dir1Items().size()) return;
  std::string path = f.Dir1Items()[index].path;
  if (f.SetDir1Path(path)) return;
  app.p.user.MessageBoxA(texts::FolderCannotBeOpened(path), texts::kAppTitle);
  f.RefreshDir1();
}

void cmdMkFolder_Click(WindowedApp& app) {
  std::optional<std::string> name = app.p.user.InputBox(texts::kEnterFolderName, "");
  if (!name || name->empty()) return;
  ChooserWindow& f = app.Form3();
  std::string folder = f.File1Path();
  std::string path = JoinPath(folder, *name);
  f.SetTxtbkPth(path);
  if (!app.p.files.CreateDirectoryA(path)) return;
  f.RefreshDir1();
}

void cmdSetPath_Click(WindowedApp& app) {
  ChooserWindow& f = app.Form3();
  std::string text = f.txtbkPth();
  if (StoredBackupFolder(app.p) == text) return;
  // An empty box names no folder; storing it would make the current directory the backup.
  if (IsBlank(text)) return;
  StoreBackupFolder(app.p, text);
  MainWindow& main = app.Form1();
  main.SetLblbkuppthText(StoredBackupFolder(app.p));
  // The line's tooltip shows the full path where the line is too short: keep it current.
  main.SetLblbkuppthTooltip(StoredBackupFolder(app.p));
}

void cmdClse_Click(WindowedApp& app) {
  app.Form1().SetVisible(true);
  app.Form3().SetVisible(false);
}

void Form3_QueryUnload(WindowedApp& app, short& cancel, short /*unloadMode*/) {
  // However the chooser is asked to close, it closes as its Close button does: it stays
  // loaded, and the main window comes back.
  cancel = -1;
  cmdClse_Click(app);
}

bool DispatchChooserCommand(WindowedApp& app, int id) {
  switch (id) {
    case ids::kCmdMkFolder: cmdMkFolder_Click(app); return true;
    case ids::kCmdSetPath: cmdSetPath_Click(app); return true;
    case ids::kCmdClse: cmdClse_Click(app); return true;
    default: return false;
  }
}

}  // namespace lark
