// The folder chooser as a real Win32 window: renders the ChooserWindow model (a drop-down
// list of drives, a folder list drawn as an indented tree, a file list and the path box)
// and forwards the user's choices, clicks and close requests to the named handlers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "ui/win32/window_support.h"
#include "ui/windowed_app.h"

namespace lark {

class ChooserView : public IChooserView {
 public:
  // setDialogOwner is told which window should own the message boxes and the input box:
  // the chooser while it is shown, the main window otherwise.
  ChooserView(WindowedApp& app, ChooserWindow& model,
              std::function<void(std::uintptr_t)> setDialogOwner);
  ~ChooserView() override;
  ChooserView(const ChooserView&) = delete;
  ChooserView& operator=(const ChooserView&) = delete;

  // Creates the window, hidden.
  bool Create(HINSTANCE instance);
  HWND hwnd() const { return hwnd_; }

  void Refresh(ChooserPart part) override;
  void Unload() override;
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }

 private:
  template <class View>
  friend LRESULT CALLBACK ViewWindowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK FolderListProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(int id, int code, HWND control);
  void CreateControls();
  void DrawFolderItem(const DRAWITEMSTRUCT& dis);
  void DriveChosen();
  void RequestClose();

  WindowedApp& app_;
  ChooserWindow& model_;
  std::function<void(std::uintptr_t)> setDialogOwner_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  Font font_;
  Icon folderClosed_;
  Icon folderOpen_;
  HWND focusBeforeDeactivation_ = nullptr;
  bool settingText_ = false;  // the path box is being filled from the model
};

}  // namespace lark
