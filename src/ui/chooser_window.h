// The folder chooser as the procedures see it. Created the first time anything refers to
// it (App::Form3), then kept, mostly hidden, until the program ends.
#pragma once

#include <cstdint>
#include <string>

namespace lark {

enum class ChooserPart { TxtbkPth, Visible, Lists };

class IChooserView {
 public:
  virtual ~IChooserView() = default;
  virtual void Refresh(ChooserPart part) = 0;
  virtual void Unload() = 0;
  virtual std::uintptr_t Handle() const = 0;
};

class ChooserWindow {
 public:
  void SetView(IChooserView* view) { view_ = view; }

  // The path box, shared state between the chooser and the main window's commands.
  const std::string& txtbkPth() const { return txtbkPth_; }
  void SetTxtbkPth(const std::string& text) {
    txtbkPth_ = text;
    Changed(ChooserPart::TxtbkPth);
  }

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
  void Changed(ChooserPart part) {
    if (view_) view_->Refresh(part);
  }
  IChooserView* view_ = nullptr;
  std::string txtbkPth_;
  bool visible_ = false;
};

}  // namespace lark
