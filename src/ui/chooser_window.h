// The folder chooser as the procedures see it: the path box, the drive list, the folder
// list and the file list, chained together, and whether the window is shown. Created the
// first time anything refers to it (WindowedApp::Form3), then kept, mostly hidden, until the
// program ends. It works without any window, so the native tests drive it directly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/main_view.h"
#include "platform/platform.h"

namespace lark {

enum class ChooserPart { TxtbkPth, Visible, Drive1, Dir1, File1 };

class IChooserView {
 public:
  virtual ~IChooserView() = default;
  virtual void Refresh(ChooserPart part) = 0;
  virtual void Unload() = 0;
  virtual std::uintptr_t Handle() const = 0;
};

// One line of the folder list: the folders from the drive root down to the current
// folder (open), then the current folder's sub-folders (closed), each one level deeper.
struct FolderItem {
  std::string name;  // "C:\" for the root, otherwise the folder's own name
  std::string path;  // the full path the line stands for
  int level = 0;     // indentation, 0 for the root
  bool open = false;
};

class ChooserWindow {
 public:
  explicit ChooserWindow(IFileSystem& files);

  void SetView(IChooserView* view) { view_ = view; }
  std::uintptr_t Handle() const { return view_ ? view_->Handle() : 0; }

  // What runs when the program or the user changes the drive list's selection or the
  // folder list's path; each runs before the statement that made the change returns.
  void SetChangeHandlers(void (*drive1Change)(void*), void (*dir1Change)(void*), void* context) {
    onDrive1Change_ = drive1Change;
    onDir1Change_ = dir1Change;
    context_ = context;
  }

  // The path box, shared state between the chooser and the main window's commands.
  const std::string& txtbkPth() const { return txtbkPth_; }
  void SetTxtbkPth(const std::string& text) {
    txtbkPth_ = text;
    Changed(ChooserPart::TxtbkPth);
  }
  // The user typed into the path box: the view already shows the text.
  void TypedTxtbkPth(const std::string& text) { txtbkPth_ = text; }

  // The drive list: the machine's drives as "C:", and the selected one ("" for none).
  const std::vector<std::string>& Drives() const { return drives_; }
  const std::string& Drive1() const { return drive1_; }
  // Selects the drive that `drive` begins with; a new selection runs the drive list's
  // change handler. False when there is no such drive.
  bool SetDrive1(const std::string& drive);
  // Puts the selection back without running the change handler.
  void ShowDrive1(const std::string& drive);
  void RefreshDrives();

  // The folder list. Its path is a full path without a trailing "\" (except a drive root);
  // a drive alone ("C:") stands for that drive's current folder.
  const std::string& Dir1Path() const { return dir1Path_; }
  const std::vector<FolderItem>& Dir1Items() const { return dir1Items_; }
  int Dir1ListIndex() const { return dir1ListIndex_; }  // the current folder's line
  // A new path runs the folder list's change handler. False, with nothing changed, when
  // the text names no folder that can be read.
  bool SetDir1Path(const std::string& path);
  void RefreshDir1();

  // The file list: the plain files of one folder (neither hidden nor system), by name.
  const std::string& File1Path() const { return file1Path_; }
  const std::vector<std::string>& File1Items() const { return file1Items_; }
  bool SetFile1Path(const std::string& path);
  void RefreshFile1();

  bool Visible() const { return visible_; }
  void SetVisible(bool visible) {
    visible_ = visible;
    Changed(ChooserPart::Visible);
  }

  void Unload() {
    if (view_) view_->Unload();
    view_ = nullptr;
    visible_ = false;
  }

 private:
  // The full path of the folder `text` names, with the names' case as the file system
  // keeps it; nullopt when it is no folder on a drive or cannot be read.
  std::optional<std::string> ResolveFolder(const std::string& text);
  void Changed(ChooserPart part) {
    if (view_) view_->Refresh(part);
  }
  std::string CurrentFolderOf(char drive);
  std::vector<FindEntry> Folders(const std::string& path);

  IFileSystem& files_;
  IChooserView* view_ = nullptr;
  void (*onDrive1Change_)(void*) = nullptr;
  void (*onDir1Change_)(void*) = nullptr;
  void* context_ = nullptr;

  std::string txtbkPth_;
  std::vector<std::string> drives_;
  std::string drive1_;
  std::string dir1Path_;
  std::vector<FolderItem> dir1Items_;
  int dir1ListIndex_ = -1;
  std::string file1Path_;
  std::vector<std::string> file1Items_;
  bool visible_ = false;
};

}  // namespace lark
