// Where each control of the folder chooser sits, in twips (1440 to the inch), with its
// text and tooltip.
#pragma once

#include "core/texts.h"
#include "ui/ids.h"
#include "ui/main_window_layout.h"

namespace lark {

enum class ChooserControlKind { Label, Button, PathBox, DriveList, FolderList, FileList };

struct ChooserControlSpec {
  int id;
  ChooserControlKind kind;
  const char* text;     // at start; the lists and the path box take theirs from the model
  const char* tooltip;  // nullptr: none
  int left, top, width, height;
};

constexpr int kChooserClientWidthTwips = 7830;
constexpr int kChooserClientHeightTwips = 6960;

// The controls that take the focus come first, in the order Tab moves through them
// (path box, Close, Create, drives, folders, files, Set); the labels follow.
constexpr ChooserControlSpec kChooserControls[] = {
    {ids::kTxtbkPth, ChooserControlKind::PathBox, texts::kNoneSelected, texts::kTxtbkPthTip, 240,
     3480, 7335, 285},
    {ids::kCmdClse, ChooserControlKind::Button, texts::kCmdClse, texts::kCmdClseTip, 6360, 6360,
     1215, 375},
    {ids::kCmdMkFolder, ChooserControlKind::Button, texts::kCmdMkFolder, texts::kCmdMkFolderTip,
     120, 1440, 2295, 375},
    {ids::kDrive1, ChooserControlKind::DriveList, "", texts::kDrive1Tip, 240, 720, 1935, 315},
    {ids::kDir1, ChooserControlKind::FolderList, "", texts::kDir1Tip, 2760, 720, 1935, 2115},
    {ids::kFile1, ChooserControlKind::FileList, "", texts::kFile1Tip, 5160, 720, 2295, 2040},
    {ids::kCmdSetPath, ChooserControlKind::Button, texts::kCmdSetPath, texts::kCmdSetPathTip, 120,
     2400, 2415, 375},
    {ids::kChooserLabel7, ChooserControlKind::Label, texts::kChooserLabel7, nullptr, 240, 240, 1095,
     255},
    {ids::kLblSelFolder, ChooserControlKind::Label, texts::kLblSelFolder, nullptr, 2760, 240, 855,
     255},
    {ids::kLblFilesNFolder, ChooserControlKind::Label, texts::kLblFilesNFolder, nullptr, 5280, 240,
     1215, 255},
    {ids::kLblbkPth, ChooserControlKind::Label, texts::kLblbkPth, nullptr, 240, 3000, 1215, 255},
    {ids::kChooserLabel1, ChooserControlKind::Label, texts::kChooserLabel1, nullptr, 240, 4080,
     1215, 255},
    {ids::kChooserLabel2, ChooserControlKind::Label, texts::kChooserLabel2, nullptr, 240, 4560,
     3855, 255},
    {ids::kChooserLabel6, ChooserControlKind::Label, texts::kChooserLabel6, nullptr, 360, 4920, 255,
     255},
    {ids::kChooserLabel3, ChooserControlKind::Label, texts::kChooserLabel3, nullptr, 240, 5280,
     5295, 255},
    {ids::kChooserLabel4, ChooserControlKind::Label, texts::kChooserLabel4, nullptr, 240, 5760,
     5655, 495},
    {ids::kChooserLabel5, ChooserControlKind::Label, texts::kChooserLabel5, nullptr, 240, 6480,
     2175, 255},
};

}  // namespace lark
