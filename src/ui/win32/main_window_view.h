// The main window as a real Win32 window: renders the MainWindow model and forwards
// clicks and menu choices to the named handlers.
#pragma once

#include <windows.h>

#include "ui/win32/window_support.h"

#include <memory>

#include "core/app.h"

namespace lark {

class MainWindowView : public IMainWindowView {
 public:
  explicit MainWindowView(App& app);
  ~MainWindowView() override;
  // Creates the window, hidden; Form_Load shows it.
  bool Create(HINSTANCE instance);
  HWND hwnd() const { return hwnd_; }

  void Refresh(MainPart part) override;
  void Unload() override;
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }

 private:
  template <class View>
  friend LRESULT CALLBACK ViewWindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  void UpdateTool(HWND control, const std::string& text);
  HMENU BuildMenu();

  App& app_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND statusBar_ = nullptr;
  HFONT font_ = nullptr;
  HFONT bigFont_ = nullptr;
  HICON icon_ = nullptr;
  bool closeFromControl_ = false;
};

}  // namespace lark
