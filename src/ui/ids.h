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
constexpr int kMnuResSel = 2007;
constexpr int kMnuCheckBackups = 2009;
constexpr int kMnuSchedule = 2010;
constexpr int kMnuExportMail = 2008;
constexpr int kMnuNotyet = 2101;
constexpr int kMnuURL = 2102;

// Folder chooser controls.
constexpr int kChooserLabel7 = 3001;
constexpr int kLblSelFolder = 3002;
constexpr int kLblFilesNFolder = 3003;
constexpr int kDrive1 = 3004;
constexpr int kDir1 = 3005;
constexpr int kFile1 = 3006;
constexpr int kCmdMkFolder = 3007;
constexpr int kCmdSetPath = 3008;
constexpr int kLblbkPth = 3009;
constexpr int kTxtbkPth = 3010;
constexpr int kChooserLabel1 = 3011;
constexpr int kChooserLabel2 = 3012;
constexpr int kChooserLabel6 = 3013;
constexpr int kChooserLabel3 = 3014;
constexpr int kChooserLabel4 = 3015;
constexpr int kChooserLabel5 = 3016;
constexpr int kCmdClse = 3017;

}  // namespace lark::ids
