// The main window as the procedures see it: its labels, check box, status panels and
// visibility. A view (the Win32 window, or nothing in native tests) is told of each change.
#pragma once

#include <cstdint>
#include <string>

#include "ui/main_window_layout.h"

namespace lark {

enum class MainPart { Label2, Lblbkuppth, ChkOverwrite, Panel1, Panel2, Visible };

class IMainWindowView {
 public:
  virtual ~IMainWindowView() = default;
  virtual void Refresh(MainPart part) = 0;
  virtual void Unload() = 0;  // destroys the window
  virtual std::uintptr_t Handle() const = 0;
};

struct LabelState {
  std::string text;
  std::string tooltip;
  Rgb colour;
};

class MainWindow {
 public:
  MainWindow();

  void SetView(IMainWindowView* view) { view_ = view; }
  std::uintptr_t Handle() const { return view_ ? view_->Handle() : 0; }

  const LabelState& Label2() const { return label2_; }
  void SetLabel2(const std::string& text);

  const LabelState& lblbkuppth() const { return lblbkuppth_; }
  void SetLblbkuppthText(const std::string& text);
  void SetLblbkuppthTooltip(const std::string& tooltip);
  void SetLblbkuppthColour(Rgb colour);

  // 0 unchecked, 1 checked, 2 greyed. A change of value runs the click handler, as a
  // click by the user does.
  int chkOverwrite() const { return chkOverwrite_; }
  void SetChkOverwrite(int value);
  void SetChkOverwriteHandler(void (*onClick)(void*), void* context) {
    onClick_ = onClick;
    onClickContext_ = context;
  }

  // Status-bar panels, numbered from 1.
  const std::string& Panel(int number) const { return panels_[number == 2 ? 1 : 0]; }
  void SetPanel(int number, const std::string& text);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  bool Loaded() const { return loaded_; }
  void Unload();

 private:
  void Changed(MainPart part) {
    if (view_ && loaded_) view_->Refresh(part);
  }
  IMainWindowView* view_ = nullptr;
  LabelState label2_;
  LabelState lblbkuppth_;
  int chkOverwrite_ = 0;
  std::string panels_[2];
  bool visible_ = false;
  bool loaded_ = true;
  void (*onClick_)(void*) = nullptr;
  void* onClickContext_ = nullptr;
};

}  // namespace lark
