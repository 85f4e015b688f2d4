// The folder chooser as a user meets it: opened from the File menu of the real program
// under Wine, its lists read and its buttons pressed from outside.
#include <gtest/gtest.h>
#include <windows.h>

#include "chooser_gui_support.h"
#include "driver.h"
#include "gui_support.h"
#include "ui/chooser_layout.h"
#include "ui/ids.h"

namespace lark::gui {
namespace {

constexpr const char* kCaption = "Select or Create a Backup Folder";

class ChooserGui : public ::testing::Test {
 protected:
  std::unique_ptr<Program> program;
  HWND main = nullptr;
  HWND chooser = nullptr;

  // Starts the program with `stored` as the backup folder ("None Selected" answers the
  // reminder start-up shows), in the current folder `cwd`, and opens the chooser.
  void Open(const std::string& stored, const std::string& cwd = "") {
    SeedSettings(stored == "None Selected" ? ScratchFolder("unused") : stored);
    if (stored == "None Selected") WriteSetting(stored);
    program = Program::Start("", cwd);
    ASSERT_NE(program, nullptr) << "could not start " << ExePath();
    if (stored == "None Selected") {
      auto reminder = WaitForDialog(*program);
      ASSERT_TRUE(reminder.has_value());
      EXPECT_EQ(reminder->text, "Please Select A Backup Folder Before Proceeding Further");
      PressButton(reminder->hwnd, "OK");
    }
    main = program->MainWindow();
    ASSERT_NE(main, nullptr);
    ChooseMenu(main, ids::kMnuCrtbkfldr2);
    chooser = program->WaitForWindow(kCaption);
    ASSERT_NE(chooser, nullptr) << "the chooser did not appear";
    ::Sleep(200);
  }
  HWND C(int id) const { return Control(chooser, id); }

  // Answers the input box of "Create New Backup Folder".
  void CreateFolder(const std::string& name) {
    Click(C(ids::kCmdMkFolder));
    auto box = WaitForDialog(*program);
    ASSERT_TRUE(box.has_value()) << "no input box";
    EXPECT_NE(FindChildWithText(box->hwnd, "Enter folder name"), nullptr);
    EXPECT_EQ(::GetWindow(box->hwnd, GW_OWNER), chooser) << "the input box belongs to the chooser";
    EXPECT_EQ(box->title, "");
    HWND edit = FindChildOfClass(box->hwnd, "Edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(Text(edit), "");
    TypeInto(edit, name);
    PressButton(box->hwnd, "OK");
    ASSERT_TRUE(WaitForGone(box->hwnd, 5000));
  }

  void ExpectMainBack() {
    EXPECT_TRUE(WaitForGone(chooser, 5000)) << "the chooser is still shown";
    EXPECT_NE(program->MainWindow(5000), nullptr) << "the main window did not come back";
    EXPECT_TRUE(program->Running());
  }
};

TEST_F(ChooserGui, LooksAsDesignedWithTheStoredFolderOpen) {
  std::string folder = ScratchFolder("chooser-stored");
  ::CreateDirectoryA((folder + "\\Sub A").c_str(), nullptr);
  ::CreateDirectoryA((folder + "\\sub b").c_str(), nullptr);
  for (const char* f : {"\\b.txt", "\\A.dat", "\\hidden.txt"}) {
    HANDLE h = ::CreateFileA((folder + f).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ::CloseHandle(h);
  }
  ::SetFileAttributesA((folder + "\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  Open(folder);

  EXPECT_FALSE(::IsWindowVisible(main)) << "the main window stays hidden while choosing";
  RECT client;
  ::GetClientRect(chooser, &client);
  int dpi = ScreenDpi();
  EXPECT_EQ(client.right, TwipsToPixels(kChooserClientWidthTwips, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(kChooserClientHeightTwips, dpi));
  for (const ChooserControlSpec& c : kChooserControls) {
    HWND h = C(c.id);
    ASSERT_NE(h, nullptr) << c.id;
    EXPECT_TRUE(::IsWindowVisible(h)) << c.id;
    if (c.kind == ChooserControlKind::Label || c.kind == ChooserControlKind::Button) {
      EXPECT_EQ(Text(h), c.text);
    }
    RECT r = ChildRect(chooser, h);
    EXPECT_EQ(r.left, TwipsToPixels(c.left, dpi)) << c.id;
    EXPECT_EQ(r.top, TwipsToPixels(c.top, dpi)) << c.id;
    EXPECT_EQ(r.right - r.left, TwipsToPixels(c.width, dpi)) << c.id;
    EXPECT_EQ(r.bottom - r.top, TwipsToPixels(c.height, dpi)) << c.id;
    if (c.tooltip) {
      EXPECT_EQ(LongTooltipText(*program, chooser, h), c.tooltip) << c.id;
    }
  }
  EXPECT_EQ(Text(C(ids::kCmdSetPath)), "Set Selected  Folder As Backup");

  EXPECT_EQ(Text(C(ids::kTxtbkPth)), folder);
  EXPECT_EQ(Text(C(ids::kDrive1)), "C:");
  EXPECT_EQ(ListItems(C(ids::kDir1)),
            (std::vector<std::string>{"C:\\", "larkmoor-gui", "chooser-stored", "Sub A", "sub b"}));
  EXPECT_EQ(ListSelection(C(ids::kDir1)), 2);
  EXPECT_EQ(ListItems(C(ids::kFile1)), (std::vector<std::string>{"A.dat", "b.txt"}));

  // The path box holds the focus; Tab goes through the stated order and comes round.
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(chooser, nullptr), &info));
  EXPECT_EQ(info.hwndFocus, C(ids::kTxtbkPth));
  std::vector<int> order;
  HWND h = C(ids::kTxtbkPth);
  for (int i = 0; i < 7; ++i) {
    order.push_back(::GetDlgCtrlID(h));
    h = ::GetNextDlgTabItem(chooser, h, FALSE);
  }
  EXPECT_EQ(order, (std::vector<int>{ids::kTxtbkPth, ids::kCmdClse, ids::kCmdMkFolder, ids::kDrive1,
                                     ids::kDir1, ids::kFile1, ids::kCmdSetPath}));
  EXPECT_EQ(::GetDlgCtrlID(h), ids::kTxtbkPth);
  // A Tab pressed in the path box moves the focus on to Close.
  ::PostMessageA(C(ids::kTxtbkPth), WM_KEYDOWN, VK_TAB, 0x000F0001);
  ::PostMessageA(C(ids::kTxtbkPth), WM_KEYUP, VK_TAB, 0xC00F0001);
  ::Sleep(300);
  ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(chooser, nullptr), &info));
  EXPECT_EQ(info.hwndFocus, C(ids::kCmdClse));
  SaveScreenshot(chooser, "chooser");
}

TEST_F(ChooserGui, WithNoneSelectedItOffersTheFixedDrivesCurrentFolder) {
  std::string cwd = ScratchFolder("chooser-cwd");
  Open("None Selected", cwd);
  EXPECT_EQ(Text(C(ids::kTxtbkPth)), cwd);
  EXPECT_EQ(Text(C(ids::kDrive1)), "C:");
  auto items = ListItems(C(ids::kDir1));
  ASSERT_GE(items.size(), 3u);
  EXPECT_EQ(items[2], "chooser-cwd");
  EXPECT_EQ(ListSelection(C(ids::kDir1)), 2);
  // Offering a folder stores nothing.
  EXPECT_EQ(ReadText("Software\\TarnKeep", "TarnKeep"), "None Selected");
}

TEST_F(ChooserGui, DoubleClickOpensAFolderAndCreatingThereJoinsWithOneBackslash) {
  std::string folder = ScratchFolder("chooser-sub");
  ::CreateDirectoryA((folder + "\\Inner").c_str(), nullptr);
  Open(folder);
  HWND dir = C(ids::kDir1);
  DoubleClickListItem(dir, 3);  // "Inner"
  ASSERT_TRUE(WaitForText(C(ids::kTxtbkPth), folder + "\\Inner"));
  EXPECT_EQ(ListItems(dir).back(), "Inner");
  EXPECT_EQ(ListSelection(dir), 3);

  CreateFolder("New");
  EXPECT_EQ(Text(C(ids::kTxtbkPth)), folder + "\\Inner\\New");
  DWORD a = ::GetFileAttributesA((folder + "\\Inner\\New").c_str());
  EXPECT_TRUE(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(ListItems(dir).back(), "New") << "the folder list shows the new folder";
  // Creating it again fails quietly and leaves the path in the box.
  CreateFolder("New");
  EXPECT_TRUE(NoDialogFor(*program, 700));
  EXPECT_EQ(Text(C(ids::kTxtbkPth)), folder + "\\Inner\\New");
  // Nothing is stored until "Set Selected  Folder As Backup".
  EXPECT_EQ(ReadText("Software\\TarnKeep", "TarnKeep"), folder);

  // From the keyboard: Enter opens the selected line.
  ::SetForegroundWindow(chooser);
  ::SendMessageA(dir, LB_SETCURSEL, 1, 0);  // "larkmoor-gui"
  ::PostMessageA(dir, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  ::PostMessageA(dir, WM_KEYUP, VK_RETURN, 0xC01C0001);
  EXPECT_TRUE(WaitForText(C(ids::kTxtbkPth), "C:\\larkmoor-gui"));
}

TEST_F(ChooserGui, CreatingAtADriveRootGivesNoDoubledBackslash) {
  const std::string made = "C:\\LarkmoorRootTest";
  ::RemoveDirectoryA(made.c_str());
  Open(ScratchFolder("chooser-root"));
  DoubleClickListItem(C(ids::kDir1), 0);  // "C:\"
  ASSERT_TRUE(WaitForText(C(ids::kTxtbkPth), "C:\\"));
  CreateFolder("LarkmoorRootTest");
  EXPECT_EQ(Text(C(ids::kTxtbkPth)), made);
  DWORD a = ::GetFileAttributesA(made.c_str());
  EXPECT_TRUE(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY));
  ::RemoveDirectoryA(made.c_str());
}

// A typed path is stored as it is, even when no such folder exists.
TEST_F(ChooserGui, ATypedPathIsStoredAndSettingItTwiceWritesOnlyOnce) {
  Open(ScratchFolder("chooser-set"));
  const std::string second = "C:\\larkmoor-gui\\no such folder";
  TypeInto(C(ids::kTxtbkPth), second);
  Click(C(ids::kCmdSetPath));
  ASSERT_TRUE(WaitForSetting(second));
  EXPECT_EQ(SettingType(), static_cast<DWORD>(REG_SZ));
  // Retype the stored value behind the program's back: a second write would make it REG_SZ.
  WriteSetting(second, REG_EXPAND_SZ);
  Click(C(ids::kCmdSetPath));
  ::Sleep(700);
  EXPECT_EQ(SettingType(), static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_TRUE(::IsWindowVisible(chooser)) << "the chooser stays open";
  EXPECT_TRUE(NoDialogFor(*program, 300));
  Click(C(ids::kCmdClse));
  ExpectMainBack();
  EXPECT_EQ(Text(Control(main, ids::kLblbkuppth)), second);
  EXPECT_EQ(TooltipText(*program, main, Control(main, ids::kLblbkuppth)), second);
}

TEST_F(ChooserGui, CloseBringsTheMainWindowBackAndTheChooserKeepsItsState) {
  std::string folder = ScratchFolder("chooser-close");
  Open(folder);
  TypeInto(C(ids::kTxtbkPth), "typed but not set");
  Click(C(ids::kCmdClse));
  ExpectMainBack();
  EXPECT_EQ(ReadText("Software\\TarnKeep", "TarnKeep"), folder);
  ChooseMenu(main, ids::kMnuCrtbkfldr2);
  HWND again = program->WaitForWindow(kCaption);
  ASSERT_EQ(again, chooser) << "the same window comes back";
  EXPECT_EQ(Text(C(ids::kTxtbkPth)), "typed but not set");
}

TEST_F(ChooserGui, EveryOtherWayOfClosingAlsoBringsTheMainWindowBack) {
  Open(ScratchFolder("chooser-close-control"));
  struct Way {
    const char* name;
    void (*close)(HWND chooser, HWND pathBox);
  } ways[] = {
      {"close control", [](HWND c, HWND) { CloseFromControl(c); }},
      {"plain close request", [](HWND c, HWND) { CloseByTaskManager(c); }},
      {"Esc",
       [](HWND, HWND box) {
         ::PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
         ::PostMessageA(box, WM_KEYUP, VK_ESCAPE, 0xC0010001);
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    way.close(chooser, C(ids::kTxtbkPth));
    ExpectMainBack();
    ChooseMenu(main, ids::kMnuCrtbkfldr2);
    ASSERT_EQ(program->WaitForWindow(kCaption), chooser);
  }
}

}  // namespace
}  // namespace lark::gui
