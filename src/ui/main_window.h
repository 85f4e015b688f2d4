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

class MainWindow : public IMainView {
 public:
  MainWindow();

  void SetView(IMainWindowView* view) { view_ = view; }
  std::uintptr_t Handle() const override { return view_ ? view_->Handle() : 0; }

  const LabelState& Label2() const { return label2_; }
  void SetLabel2(const std::string& text) override;

  const LabelState& lblbkuppth() const override { return lblbkuppth_; }
  void SetLblbkuppthText(const std::string& text) override;
  void SetLblbkuppthTooltip(const std::string& tooltip) override;
  void SetLblbkuppthColour(Rgb colour) override;

  int chkOverwrite() const override { return chkOverwrite_; }
  void SetChkOverwrite(int value) override;
  void SetChkOverwriteHandler(void (*onClick)(void*), void* context) {
    onClick_ = onClick;
    onClickContext_ = context;
  }

  const std::string& Panel(int number) const override { return panels_[number == 2 ? 1 : 0]; }
  void SetPanel(int number, const std::string& text) override;

  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override;

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
