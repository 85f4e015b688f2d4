// The File menu's backup-folder commands in the real program under Wine: the shell's
// folder browser chosen from and cancelled, and the backup folder opened in the explorer.
#include <gtest/gtest.h>
#include <windows.h>

#include "chooser_gui_support.h"
#include "driver.h"
#include "gui_support.h"
#include "ui/ids.h"

namespace lark::gui {
namespace {

// Wine's explorer opens its folder windows in a process of its own, with this class.
struct ExplorerSearch {
  std::string caption;
  HWND found = nullptr;
};

BOOL CALLBACK FindExplorer(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<ExplorerSearch*>(lp);
  char cls[64] = "";
  ::GetClassNameA(h, cls, sizeof(cls));
  if (std::string(cls) == "ExplorerWClass" && ::IsWindowVisible(h) && Text(h) == s->caption) {
    s->found = h;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForExplorer(const std::string& caption, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  do {
    ExplorerSearch s{caption};
    ::EnumWindows(FindExplorer, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    ::Sleep(100);
  } while (::GetTickCount() - start < timeoutMs);
  return nullptr;
}

class FolderCommandsGui : public ::testing::Test {
 protected:
  std::unique_ptr<Program> program;
  HWND main = nullptr;
  std::string folder;

  void SetUp() override {
    folder = ScratchFolder("commands-stored");
    SeedSettings(folder);
    program = Program::Start();
    ASSERT_NE(program, nullptr) << "could not start " << ExePath();
    main = program->MainWindow();
    ASSERT_NE(main, nullptr);
  }
  std::string Line() { return Text(Control(main, ids::kLblbkuppth)); }
  std::string LineTip() { return TooltipText(*program, main, Control(main, ids::kLblbkuppth)); }
  // The chooser's path box, seen by opening the chooser and closing it again.
  std::string ChooserPathBox() {
    ChooseMenu(main, ids::kMnuCrtbkfldr2);
    HWND chooser = program->WaitForWindow("Select or Create a Backup Folder");
    if (!chooser) return "<no chooser>";
    std::string text = Text(Control(chooser, ids::kTxtbkPth));
    Click(Control(chooser, ids::kCmdClse));
    WaitForGone(chooser, 5000);
    program->MainWindow(5000);
    return text;
  }
  // Opens the folder browser and checks that it is the one the command asks for.
  HWND OpenBrowser() {
    ChooseMenu(main, ids::kMnuBrbkfldr);
    auto dialog = WaitForDialog(*program);
    if (!dialog) return nullptr;
    EXPECT_NE(FindChildWithText(dialog->hwnd, "Select a directory"), nullptr);
    EXPECT_EQ(::GetWindow(dialog->hwnd, GW_OWNER), main);
    return dialog->hwnd;
  }
};

TEST_F(FolderCommandsGui, ChoosingAFolderInTheBrowserStoresAndShowsIt) {
  std::string chosen = ScratchFolder("commands-chosen");
  HWND browser = OpenBrowser();
  ASSERT_NE(browser, nullptr) << "no folder browser";
  ASSERT_TRUE(SelectInFolderBrowser(*program, browser, chosen));
  PressButton(browser, "OK");
  ASSERT_TRUE(WaitForSetting(chosen));
  EXPECT_EQ(SettingType(), static_cast<DWORD>(REG_SZ));
  EXPECT_TRUE(WaitForText(Control(main, ids::kLblbkuppth), chosen));
  EXPECT_EQ(LineTip(), chosen);
  EXPECT_EQ(ChooserPathBox(), chosen);

  // The same folder again is stored again.
  WriteSetting(chosen, REG_EXPAND_SZ);
  browser = OpenBrowser();
  ASSERT_NE(browser, nullptr);
  ASSERT_TRUE(SelectInFolderBrowser(*program, browser, chosen));
  PressButton(browser, "OK");
  ASSERT_TRUE(WaitForGone(browser, 5000));
  ::Sleep(300);
  EXPECT_EQ(SettingType(), static_cast<DWORD>(REG_SZ));
}

TEST_F(FolderCommandsGui, CancellingTheBrowserChangesNothing) {
  HWND browser = OpenBrowser();
  ASSERT_NE(browser, nullptr) << "no folder browser";
  SelectInFolderBrowser(*program, browser, ScratchFolder("commands-not-chosen"));
  PressButton(browser, "Cancel");
  ASSERT_TRUE(WaitForGone(browser, 5000));
  EXPECT_TRUE(NoDialogFor(*program, 500));
  EXPECT_EQ(ReadText("Software\\TarnKeep", "TarnKeep"), folder);
  EXPECT_EQ(Line(), folder);
  EXPECT_EQ(LineTip(), folder);
  EXPECT_EQ(ChooserPathBox(), folder);
}

TEST_F(FolderCommandsGui, OpenBackupFolderShowsTheStoredFolderInTheExplorer) {
  ChooseMenu(main, ids::kMnuOpnbkfldr);
  HWND explorer = WaitForExplorer("commands-stored", 10000);
  EXPECT_NE(explorer, nullptr) << "no explorer window on the backup folder";
  if (explorer) ::PostMessageA(explorer, WM_CLOSE, 0, 0);
  EXPECT_TRUE(NoDialogFor(*program, 300));
  EXPECT_TRUE(program->Running());
}

TEST_F(FolderCommandsGui, OpenBackupFolderWithoutAStoredValueSaysSoAndOpensNothing) {
  DeleteSetting();
  ChooseMenu(main, ids::kMnuOpnbkfldr);
  auto message = WaitForDialog(*program);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->text, "Backup Folder Has Not Been Set");
  EXPECT_EQ(message->title, "Larkmoor");
  EXPECT_EQ(message->buttons, (std::vector<std::string>{"OK"}));
  PressButton(message->hwnd, "OK");
  EXPECT_TRUE(WaitForGone(message->hwnd, 5000));
  EXPECT_EQ(WaitForExplorer("commands-stored", 1000), nullptr);
  EXPECT_TRUE(program->Running());
}

// With "None Selected", or without the settings key, the shell is asked to explore what
// is there ("None Selected", or nothing); the program adds no message of its own.
TEST_F(FolderCommandsGui, OpenBackupFolderWithNoneSelectedOrNoKeyShowsNoMessageOfItsOwn) {
  WriteSetting("None Selected");
  ChooseMenu(main, ids::kMnuOpnbkfldr);
  if (auto d = WaitForDialog(*program, 1500)) {
    EXPECT_NE(d->text, "Backup Folder Has Not Been Set");
    PressButton(d->hwnd, "OK");
  }
  EXPECT_TRUE(program->Running());

  DeleteTree(HKEY_CURRENT_USER, "Software\\TarnKeep");
  ChooseMenu(main, ids::kMnuOpnbkfldr);
  if (auto d = WaitForDialog(*program, 1500)) {
    EXPECT_NE(d->text, "Backup Folder Has Not Been Set");
    PressButton(d->hwnd, "OK");
  }
  EXPECT_TRUE(program->Running());
  EXPECT_TRUE(::IsWindowVisible(main));
}

}  // namespace
}  // namespace lark::gui
