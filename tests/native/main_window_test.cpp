// The main window's own commands and model, without a real window.
#include <gtest/gtest.h>

#include "core/app.h"
#include "core/texts.h"
#include "platform/memory/memory_platform.h"
#include "ui/handlers.h"
#include "ui/ids.h"
#include "ui/main_window_layout.h"

namespace lark {
namespace {

class FakeView : public IMainWindowView {
 public:
  std::vector<MainPart> refreshed;
  int unloads = 0;
  void Refresh(MainPart part) override { refreshed.push_back(part); }
  void Unload() override { ++unloads; }
  std::uintptr_t Handle() const override { return 0x1234; }
};

class MainWindowTest : public ::testing::Test {
 protected:
  MemoryPlatform m;
  App app{m.platform};
  FakeView view;
  void SetUp() override { app.Form1().SetView(&view); }
};

TEST_F(MainWindowTest, StartsWithTheDesignTexts) {
  EXPECT_EQ(app.Form1().Label2().text, "0");
  EXPECT_EQ(app.Form1().Label2().tooltip, "Total number of Identities in Registry.");
  EXPECT_EQ(app.Form1().Label2().colour, (Rgb{0, 0, 192}));
  EXPECT_EQ(app.Form1().lblbkuppth().text, "");
  EXPECT_EQ(app.Form1().chkOverwrite(), 0);
  EXPECT_EQ(app.Form1().Panel(1), "");
  EXPECT_EQ(app.Form1().Panel(2), "");
}

TEST_F(MainWindowTest, NotAvailableYetChangesNothing) {
  app.Form1().SetPanel(1, "a");
  app.Form1().SetPanel(2, "b");
  view.refreshed.clear();
  EXPECT_TRUE(DispatchMainCommand(app, ids::kMnuNotyet));
  EXPECT_EQ(app.Form1().Panel(1), "a");
  EXPECT_EQ(app.Form1().Panel(2), "b");
  EXPECT_TRUE(view.refreshed.empty());
  EXPECT_TRUE(m.shell.executed.empty());
}

TEST_F(MainWindowTest, WebSiteItemClearsPanelTwoAndOpensTheHomePage) {
  app.Form1().SetPanel(1, "Backup Complete");
  app.Form1().SetPanel(2, "3 Identities Backed Up");
  DispatchMainCommand(app, ids::kMnuURL);
  EXPECT_EQ(app.Form1().Panel(1), "Backup Complete");
  EXPECT_EQ(app.Form1().Panel(2), "");
  ASSERT_EQ(m.shell.executed.size(), 1u);
  EXPECT_EQ(m.shell.executed[0].owner, 0x1234u);
  EXPECT_EQ(m.shell.executed[0].verb, "Open");
  EXPECT_EQ(m.shell.executed[0].file, texts::kHomePage);
  EXPECT_EQ(texts::MenuUrlCaption(), std::string("See: ") + texts::kHomePage);
}

TEST_F(MainWindowTest, ExitButtonAndMenuUnloadBothWindowsAndEndTheProcess) {
  for (int id : {ids::kCmdExit, ids::kMnuExit}) {
    MemoryPlatform mp;
    App a{mp.platform};
    FakeView v;
    a.Form1().SetView(&v);
    bool chooserEverLoaded = id == ids::kMnuExit;
    if (chooserEverLoaded) a.Form3();
    a.state.exitCode = 0;
    try {
      DispatchMainCommand(a, id);
      FAIL() << "the process should have ended";
    } catch (const ProcessEnded& e) {
      EXPECT_EQ(e.exitCode, 0);
    }
    EXPECT_EQ(v.unloads, 1);
    EXPECT_FALSE(a.Form1().Loaded());
    EXPECT_FALSE(a.Form3Loaded());
    EXPECT_TRUE(mp.user.messages.empty());
  }
}

TEST_F(MainWindowTest, CloseControlEndsTheProgramOtherModesLetTheCloseGoAhead) {
  short cancel = 0;
  Form_QueryUnload(app, cancel, kUnloadAppTaskManager);
  EXPECT_TRUE(app.Form1().Loaded());
  EXPECT_EQ(cancel, 0);
  EXPECT_THROW(Form_QueryUnload(app, cancel, kUnloadFormControlMenu), ProcessEnded);
  EXPECT_EQ(cancel, 0);
  EXPECT_FALSE(app.Form1().Loaded());
  EXPECT_TRUE(m.user.messages.empty());
}

TEST_F(MainWindowTest, ProgramChangeOfTheCheckBoxRunsItsClickOnlyWhenTheValueChanges) {
  view.refreshed.clear();
  app.Form1().SetChkOverwrite(0);
  EXPECT_TRUE(view.refreshed.empty());
  app.Form1().SetChkOverwrite(1);
  ASSERT_EQ(view.refreshed.size(), 1u);
  EXPECT_EQ(view.refreshed[0], MainPart::ChkOverwrite);
}

TEST_F(MainWindowTest, ChooserIsLoadedOnFirstReferenceOnly) {
  EXPECT_FALSE(app.Form3Loaded());
  ChooserWindow& first = app.Form3();
  EXPECT_TRUE(app.Form3Loaded());
  EXPECT_EQ(&first, &app.Form3());
  EXPECT_FALSE(first.Visible());
}

TEST(MainWindowLayout, TwipsBecomePixelsAtTheScreensDpi) {
  EXPECT_EQ(TwipsToPixels(kClientWidthTwips, 96), 446);
  EXPECT_EQ(TwipsToPixels(kClientHeightTwips, 96), 217);
  EXPECT_EQ(TwipsToPixels(1440, 120), 120);
  // The status bar fills the bottom of the client area exactly.
  EXPECT_EQ(kStatusBarTopTwips + kStatusBarHeightTwips, kClientHeightTwips);
  // Focus order: Exit, overwrite, backup, restore.
  std::vector<int> tabOrder;
  for (const ControlSpec& c : kMainControls)
    if (c.kind != ControlKind::Label) tabOrder.push_back(c.id);
  EXPECT_EQ(tabOrder, (std::vector<int>{ids::kCmdExit, ids::kChkOverwrite, ids::kCmdComplete,
                                        ids::kCmdRestore}));
}

}  // namespace
}  // namespace lark
