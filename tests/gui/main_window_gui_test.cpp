// The main window as a user meets it: started for real under Wine and driven from outside.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "driver.h"
#include "gui_support.h"
#include "ui/ids.h"
#include "ui/main_window_layout.h"

namespace lark::gui {
namespace {

class MainWindowGui : public ::testing::Test {
 protected:
  std::unique_ptr<Program> program;
  HWND main = nullptr;

  void SetUp() override {
    SeedSettings(ScratchFolder("main-window"));
    program = Program::Start();
    ASSERT_NE(program, nullptr) << "could not start " << ExePath();
    main = program->MainWindow();
    ASSERT_NE(main, nullptr) << "the main window did not appear";
  }
};

TEST_F(MainWindowGui, ShowsEveryControlWhereItBelongs) {
  EXPECT_EQ(Text(main), "Outlook Express Larkmoor Backup");
  RECT client;
  ::GetClientRect(main, &client);
  int dpi = ScreenDpi();
  EXPECT_EQ(client.right, TwipsToPixels(kClientWidthTwips, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(kClientHeightTwips, dpi));

  for (const ControlSpec& c : kMainControls) {
    HWND h = Control(main, c.id);
    ASSERT_NE(h, nullptr) << c.text;
    EXPECT_TRUE(::IsWindowVisible(h)) << c.text;
    if (c.id != ids::kLblbkuppth) {
      EXPECT_EQ(Text(h), c.text);
    }
    RECT r = ChildRect(main, h);
    EXPECT_EQ(r.left, TwipsToPixels(c.left, dpi)) << c.text;
    EXPECT_EQ(r.top, TwipsToPixels(c.top, dpi)) << c.text;
    EXPECT_EQ(r.right - r.left, TwipsToPixels(c.width, dpi)) << c.text;
    EXPECT_EQ(r.bottom - r.top, TwipsToPixels(c.height, dpi)) << c.text;
    if (c.tooltip) {
      EXPECT_EQ(TooltipText(*program, main, h), c.tooltip) << c.text;
    }
  }
  // Buttons are plain push buttons: none is a default button.
  for (int id : {ids::kCmdComplete, ids::kCmdRestore, ids::kCmdExit}) {
    LONG style = ::GetWindowLongA(Control(main, id), GWL_STYLE);
    EXPECT_EQ(style & 0x0F, BS_PUSHBUTTON) << id;
  }

  HWND sb = Control(main, ids::kSb1);
  ASSERT_NE(sb, nullptr);
  EXPECT_EQ(StatusPanelCount(sb), 2);
  EXPECT_EQ(StatusText(sb, 1), "");
  EXPECT_EQ(StatusText(sb, 2), "");
  RECT r = ChildRect(main, sb);
  EXPECT_EQ(r.bottom, client.bottom);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, client.right);
  SaveScreenshot(main, "main-window");
}

TEST_F(MainWindowGui, ExitHoldsTheFocusAndTabFollowsTheStatedOrder) {
  ::Sleep(300);
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(main, nullptr), &info));
  EXPECT_EQ(info.hwndFocus, Control(main, ids::kCmdExit));
  std::vector<int> order;
  HWND h = Control(main, ids::kCmdExit);
  for (int i = 0; i < 4; ++i) {
    order.push_back(::GetDlgCtrlID(h));
    h = ::GetNextDlgTabItem(main, h, FALSE);
  }
  EXPECT_EQ(order, (std::vector<int>{ids::kCmdExit, ids::kChkOverwrite, ids::kCmdComplete,
                                     ids::kCmdRestore}));
  EXPECT_EQ(::GetDlgCtrlID(h), ids::kCmdExit);
}

TEST_F(MainWindowGui, ExitButtonEndsTheProgram) {
  Click(Control(main, ids::kCmdExit));
  DWORD code = 1234;
  ASSERT_TRUE(program->WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(MainWindowGui, ExitMenuItemEndsTheProgram) {
  ChooseMenu(main, ids::kMnuExit);
  DWORD code = 1234;
  ASSERT_TRUE(program->WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(MainWindowGui, CloseControlEndsTheProgramWithoutAsking) {
  CloseFromControl(main);
  EXPECT_TRUE(program->WaitForExit(10000));
}

TEST_F(MainWindowGui, ClosingByTheTaskManagerLeavesNoProcessBehind) {
  CloseByTaskManager(main);
  EXPECT_TRUE(program->WaitForExit(10000));
}

TEST_F(MainWindowGui, NotAvailableYetDoesNothing) {
  ChooseMenu(main, ids::kMnuNotyet);
  EXPECT_TRUE(NoDialogFor(*program, 700));
  EXPECT_TRUE(program->Running());
  EXPECT_TRUE(::IsWindowVisible(main));
  EXPECT_EQ(StatusText(Control(main, ids::kSb1), 1), "");
  EXPECT_EQ(StatusText(Control(main, ids::kSb1), 2), "");
}

// The test prefix sends http addresses to a recorder instead of a browser.
TEST_F(MainWindowGui, WebSiteItemOpensTheHomePageInTheBrowser) {
  const char* record = "C:\\larkmoor-gui\\opened-url.txt";
  ::DeleteFileA(record);
  ChooseMenu(main, ids::kMnuURL);
  std::string opened;
  for (int i = 0; i < 100 && opened.empty(); ++i) {
    ::Sleep(100);
    std::ifstream in(record);
    opened.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  EXPECT_NE(opened.find(LARK_HOME_PAGE), std::string::npos) << opened;
  EXPECT_TRUE(program->Running());
  EXPECT_EQ(StatusText(Control(main, ids::kSb1), 2), "");
}

}  // namespace
}  // namespace lark::gui
