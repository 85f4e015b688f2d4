// Control and menu command ids of the two windows. The GUI tests drive the program
// through these numbers (another process cannot read a window's menu).
#pragma once

namespace lark::ids {

// Main window controls.
constexpr int kLabel1 = 1001;
constexpr int kLabel2 = 1002;
constexpr int kLblbkip = 1003;
constexpr int kLblbkuppth = 1004;
constexpr int kCmdComplete = 1005;
constexpr int kCmdRestore = 1006;
constexpr int kChkOverwrite = 1007;
constexpr int kCmdExit = 1008;
constexpr int kSb1 = 1009;

// Main window menu items.
constexpr int kMnuAddBookFile = 2001;
constexpr int kMnuCrtbkfldr2 = 2002;
constexpr int kMnuOpnbkfldr = 2003;
constexpr int kMnuBrbkfldr = 2004;
constexpr int kMnuResWAB = 2005;
constexpr int kMnuExit = 2006;
constexpr int kMnuNotyet = 2101;
constexpr int kMnuURL = 2102;

}  // namespace lark::ids
