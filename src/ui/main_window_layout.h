// Where each control of the main window sits, in twips (1440 to the inch), and how it looks.
#pragma once

#include <cstdint>

#include "core/main_view.h"
#include "core/texts.h"
#include "ui/ids.h"

namespace lark {

enum class ControlKind { Label, Button, CheckBox };

struct ControlSpec {
  int id;
  ControlKind kind;
  const char* text;
  const char* tooltip;           // nullptr: none
  int left, top, width, height;  // twips, inside the client area
  bool bigBoldFont;              // Arial 11.25 pt bold instead of Arial 9 pt
  Rgb colour;
};

constexpr int kClientWidthTwips = 6690;
constexpr int kClientHeightTwips = 3255;
constexpr int kStatusBarTopTwips = 2880;
constexpr int kStatusBarHeightTwips = 375;
constexpr int kFontTenthsOfPoint = 90;           // Arial 9 pt
constexpr int kBigFontHundredthsOfPoint = 1125;  // Arial 11.25 pt bold

// In creation order. The buttons and the check box appear in their tab order
// (Exit, overwrite, backup, restore), which is the order Windows moves the focus in.
constexpr ControlSpec kMainControls[] = {
    {ids::kLabel1, ControlKind::Label, texts::kLabel1, nullptr, 240, 120, 2055, 255, false, kBlack},
    {ids::kLabel2, ControlKind::Label, texts::kLabel2Initial, texts::kLabel2Tip, 2520, 120, 375,
     255, false, kDarkBlue},
    {ids::kLblbkip, ControlKind::Label, texts::kLblbkip, texts::kLblbkipTip, 240, 600, 1215, 255,
     false, kBlack},
    {ids::kLblbkuppth, ControlKind::Label, "", nullptr, 1680, 600, 4455, 255, true, kDarkBlue},
    {ids::kCmdExit, ControlKind::Button, texts::kCmdExit, texts::kCmdExitTip, 5040, 2280, 1215, 375,
     false, kBlack},
    {ids::kChkOverwrite, ControlKind::CheckBox, texts::kChkOverwrite, nullptr, 240, 2280, 3735, 255,
     false, kBlack},
    {ids::kCmdComplete, ControlKind::Button, texts::kCmdComplete, nullptr, 240, 1080, 6015, 375,
     false, kBlack},
    {ids::kCmdRestore, ControlKind::Button, texts::kCmdRestore, nullptr, 240, 1680, 6015, 375,
     false, kBlack},
};

inline int TwipsToPixels(int twips, int dpi) {
  // Rounded to the nearest pixel, as MulDiv does.
  long long n = static_cast<long long>(twips) * dpi;
  return static_cast<int>((n + 720) / 1440);
}

}  // namespace lark
