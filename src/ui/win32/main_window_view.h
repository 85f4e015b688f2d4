// The main window as a real Win32 window: renders the MainWindow model and forwards
// clicks and menu choices to the named handlers.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "ui/win32/window_support.h"
#include "ui/windowed_app.h"

namespace lark {

class MainWindowView : public IMainWindowView {
 public:
  explicit MainWindowView(WindowedApp& app);
  ~MainWindowView() override;
  MainWindowView(const MainWindowView&) = delete;
  MainWindowView& operator=(const MainWindowView&) = delete;
  // Creates the window, hidden; Form_Load shows it.
  bool Create(HINSTANCE instance);
  HWND hwnd() const { return hwnd_; }

  void Refresh(MainPart part) override;
  void Unload() override;
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }

  // Runs one command to its end with the window closed to input. A command can wait on a
  // question of the shell, which has no owner and keeps the message loop turning: without
  // this a click would start a second command inside the first, or Exit would end the
  // program in the middle of a copy. A command asked for while one runs is ignored.
  void RunCommand(const std::function<void()>& command);
  bool Busy() const { return busy_; }

 private:
  template <class View>
  friend LRESULT CALLBACK ViewWindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  void UpdateTool(HWND control, const std::string& text);
  HMENU BuildMenu();

  WindowedApp& app_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND statusBar_ = nullptr;
  Font font_;
  Font bigFont_;
  bool closeFromControl_ = false;
  bool busy_ = false;
};

}  // namespace lark
