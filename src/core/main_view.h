// What the procedures below the windows use of the main window: its labels, check box,
// status panels and visibility. The window implements these.
#pragma once

#include <cstdint>
#include <string>

namespace lark {

struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kDarkBlue{0, 0, 192};
constexpr Rgb kBlack{0, 0, 0};

struct LabelState {
  std::string text;
  std::string tooltip;
  Rgb colour;
};

class IMainView {
 public:
  virtual ~IMainView() = default;
  virtual std::uintptr_t Handle() const = 0;

  virtual void SetLabel2(const std::string& text) = 0;

  virtual const LabelState& lblbkuppth() const = 0;
  virtual void SetLblbkuppthText(const std::string& text) = 0;
  virtual void SetLblbkuppthTooltip(const std::string& tooltip) = 0;
  virtual void SetLblbkuppthColour(Rgb colour) = 0;

  // 0 unchecked, 1 checked, 2 greyed. A change of value runs the click handler, as a
  // click by the user does.
  virtual int chkOverwrite() const = 0;
  virtual void SetChkOverwrite(int value) = 0;

  // Status-bar panels, numbered from 1.
  virtual const std::string& Panel(int number) const = 0;
  virtual void SetPanel(int number, const std::string& text) = 0;

  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
};

}  // namespace lark
