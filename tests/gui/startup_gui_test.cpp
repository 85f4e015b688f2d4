// Start-up, the complete backup and the command line, as a user and a scheduler meet them.
#include <windows.h>

#include <gtest/gtest.h>

#include "driver.h"
#include "gui_support.h"
#include "ui/ids.h"

namespace lark::gui {
namespace {

const char* kFirstReminder = "Please select a backup folder or create one from the Tools menu.";
const char* kSecondReminder = "Please Select A Backup Folder Before Proceeding Further";

void SetText(const std::string& key, const char* name, const std::string& value,
             DWORD type = REG_SZ) {
  HKEY k;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                    nullptr);
  ::RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
  ::RegCloseKey(k);
}

// Two identities with small stores, and an address book.
void SeedProfile(const std::string& root) {
  DeleteTree(HKEY_CURRENT_USER, "Identities");
  SetText("Identities", "Default User ID", "{A}");
  for (auto [id, name] : {std::pair<const char*, const char*>{"{A}", "Main"}, {"{B}", "Work"}}) {
    std::string store = root + "\\store" + name;
    ::CreateDirectoryA(store.c_str(), nullptr);
    HANDLE f = ::CreateFileA((store + "\\Inbox.dbx").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, 0, nullptr);
    DWORD n;
    ::WriteFile(f, "mail", 4, &n, nullptr);
    ::CloseHandle(f);
    SetText(std::string("Identities\\") + id, "Username", name);
    SetText(std::string("Identities\\") + id + "\\Software\\Microsoft\\Outlook Express\\5.0",
            "Store Root", store, REG_EXPAND_SZ);
  }
  SetText("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", root + "\\storeMain\\Inbox.dbx");
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string WaitForPanel(HWND main, int panel, const std::string& want, DWORD ms = 20000) {
  std::string got;
  for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < ms; ::Sleep(100)) {
    got = StatusText(Control(main, ids::kSb1), panel);
    if (got == want) break;
  }
  return got;
}

class StartupGui : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteTree(HKEY_CURRENT_USER, "Software\\TarnKeep");
    DeleteTree(HKEY_CURRENT_USER, "Identities");
    DeleteTree(HKEY_CURRENT_USER, "Software\\Microsoft\\WAB");
  }
  void TearDown() override { DeleteTree(HKEY_CURRENT_USER, "Identities"); }
};

TEST_F(StartupGui, FirstRunRemindsTwiceThenShowsNoneSelected) {
  auto program = Program::Start();
  ASSERT_NE(program, nullptr);
  auto first = WaitForDialog(*program);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->text, kFirstReminder);
  EXPECT_EQ(first->title, "Larkmoor");
  EXPECT_EQ(first->buttons, (std::vector<std::string>{"OK"}));
  SaveScreenshot(first->hwnd, "first-run-reminder");
  ASSERT_TRUE(PressButton(first->hwnd, "OK"));
  ASSERT_TRUE(WaitForGone(first->hwnd));
  auto second = WaitForDialog(*program, kDefaultTimeoutMs, {first->hwnd});
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->text, kSecondReminder);
  PressButton(second->hwnd, "OK");
  HWND main = program->MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Text(Control(main, ids::kLblbkuppth)), "None Selected");
  EXPECT_EQ(TooltipText(*program, main, Control(main, ids::kLblbkuppth)), "None Selected");
  EXPECT_EQ(ReadText("Software\\TarnKeep", "TarnKeep"), "None Selected");
  EXPECT_EQ(ReadDword("Software\\TarnKeep", "BackupOverWrite"), 0);
  EXPECT_EQ(::SendMessageA(Control(main, ids::kChkOverwrite), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(NoDialogFor(*program, 500));
}

TEST_F(StartupGui, NormalRunShowsTheFolderTheIdentitiesAndTheOption) {
  std::string folder = ScratchFolder("startup");
  SeedSettings(folder, 1);
  SeedProfile(folder);
  auto program = Program::Start();
  HWND main = program->MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(NoDialogFor(*program, 500));
  EXPECT_EQ(Text(Control(main, ids::kLblbkuppth)), folder);
  EXPECT_EQ(TooltipText(*program, main, Control(main, ids::kLblbkuppth)), folder);
  EXPECT_EQ(Text(Control(main, ids::kLabel2)), "2");
  EXPECT_EQ(::SendMessageA(Control(main, ids::kChkOverwrite), BM_GETCHECK, 0, 0), BST_CHECKED);
  // A click stores the option at once.
  Click(Control(main, ids::kChkOverwrite));
  ::Sleep(300);
  EXPECT_EQ(ReadDword("Software\\TarnKeep", "BackupOverWrite"), 0);
  SaveScreenshot(main, "main-window-normal-run");
}

TEST_F(StartupGui, CompleteBackupFromTheWindowReportsInTheStatusBar) {
  std::string folder = ScratchFolder("gui-backup");
  SeedSettings(folder, 1);
  SeedProfile(folder);
  auto program = Program::Start();
  HWND main = program->MainWindow();
  ASSERT_NE(main, nullptr);
  Click(Control(main, ids::kCmdComplete));
  EXPECT_EQ(WaitForPanel(main, 1, "Backup Complete"), "Backup Complete");
  EXPECT_EQ(WaitForPanel(main, 2, "2 Identities Backed Up"), "2 Identities Backed Up");
  EXPECT_TRUE(Exists(folder + "\\Main\\Inbox.dbx"));
  EXPECT_TRUE(Exists(folder + "\\Work\\Inbox.dbx"));
  EXPECT_TRUE(Exists(folder + "\\AllIdentities.reg"));
  EXPECT_TRUE(NoDialogFor(*program, 300));
  SaveScreenshot(main, "after-complete-backup");
}

TEST_F(StartupGui, UnattendedHiddenRunBacksUpIntoTheCommandLineFolderAndExits) {
  std::string folder = ScratchFolder("unattended");
  SeedSettings(ScratchFolder("unattended-old"), 1);
  SeedProfile(folder);
  auto program = Program::Start("/a /h /b:" + folder + "\\Backup Here");
  DWORD code = 99;
  ASSERT_TRUE(program->WaitForExit(60000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ReadText("Software\\TarnKeep", "TarnKeep"), folder + "\\Backup Here");
  EXPECT_TRUE(Exists(folder + "\\Backup Here\\Main\\Inbox.dbx"));
  EXPECT_TRUE(Exists(folder + "\\Backup Here\\AllIdentities.reg"));
}

TEST_F(StartupGui, UnattendedRunWithABadFolderEndsWithItsCodeAndKeepsTheSetting) {
  std::string folder = ScratchFolder("bad-folder");
  SeedSettings(folder, 0);
  auto program = Program::Start("/a /b:Q:\\No\\Such\\Place");
  DWORD code = 99;
  ASSERT_TRUE(program->WaitForExit(30000, &code));
  EXPECT_EQ(code, 2u);
  EXPECT_EQ(ReadText("Software\\TarnKeep", "TarnKeep"), folder);
}

TEST_F(StartupGui, HideSwitchWithoutUnattendedLeavesTheWindowOpen) {
  SeedSettings(ScratchFolder("h-only"), 0);
  auto program = Program::Start("/H");
  HWND main = program->MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(::IsWindowVisible(main));
  EXPECT_TRUE(program->Running());
}

}  // namespace
}  // namespace lark::gui
