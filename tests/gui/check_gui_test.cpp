// Check Backups through the real program: "/v /h" as a scheduled task runs it, and the menu
// item with its progress window as a person uses it, by real clicks.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>

#include "core/texts.h"
#include "driver.h"
#include "res/resource_ids.h"
#include "ui/ids.h"

namespace lark::gui {
namespace {

constexpr DWORD kRunMs = 120000;
const char* const kUserData[] = {"Identities", "Software\\Microsoft\\Internet Account Manager",
                                 "Software\\Microsoft\\WAB", "Software\\TarnKeep"};

class CheckGui : public ::testing::Test {
 protected:
  std::string root, backup;
  void SetUp() override {
    for (const char* b : kUserData) DeleteTree(b);
    root = ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    backup = root + "\\bk";
    WriteAll(root + "\\store\\Inbox.dbx", std::string(4096, 'i'));
    SetText("Identities", "Default User ID", "{A}");
    SetText("Identities\\{A}", "Username", "Main");
    SetText("Identities\\{A}\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root",
            root + "\\store", REG_EXPAND_SZ);
    SetText("Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001", "Account Name",
            "mail");
    SetText("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", root + "\\book\\me.wab");
    WriteAll(root + "\\book\\me.wab", "address book");
    SeedSettings(backup, 1);
  }
  void TearDown() override {
    for (const char* b : kUserData) DeleteTree(b);
  }
  DWORD Run(const std::string& args) {
    auto run = Program::Start(args);
    DWORD code = 99;
    EXPECT_TRUE(run && run->WaitForExit(kRunMs, &code)) << args;
    return code;
  }
  std::string Report() { return ReadAll(backup + "\\CheckReport.txt"); }
};

void Flip(const std::string& path) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekg(2048);
  const char c = static_cast<char>(f.get());
  f.seekp(2048);
  f.put(static_cast<char>(c ^ 1));
}

// Three kept backups, one byte of the store in the middle one flipped: the report names that
// file of that backup and nothing else, and the scheduled check ends with 7; mended, with 0.
TEST_F(CheckGui, ScheduledCheckNamesTheDamagedFileAndEndsWithItsCode) {
  for (int run = 0; run < 3; ++run) ASSERT_EQ(Run("/a /h"), 0u) << run;
  WIN32_FIND_DATAA d;
  HANDLE h = ::FindFirstFileA((backup + "\\Earlier Backups\\2*").c_str(), &d);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::string newest = d.cFileName;  // of the two kept ones, the middle backup
  while (::FindNextFileA(h, &d)) newest = std::max(newest, std::string(d.cFileName));
  ::FindClose(h);
  const std::string damaged = backup + "\\Earlier Backups\\" + newest + "\\Main\\Inbox.dbx";
  Flip(damaged);
  EXPECT_EQ(Run("/v /h"), 7u);
  std::string faults;
  for (std::size_t at = 0, end; (end = Report().find("\r\n", at)) != std::string::npos;
       at = end + 2)
    if (Report().compare(at, 2, "- ") == 0) faults += Report().substr(at, end - at) + "\n";
  EXPECT_EQ(faults, texts::CheckFileDamaged(damaged) + "\n");
  Flip(damaged);
  EXPECT_EQ(Run("/V /H"), 0u);
  std::size_t matching = 0;
  for (std::size_t at = 0; (at = Report().find(" files match\r\n", at)) != std::string::npos; ++at)
    ++matching;
  EXPECT_EQ(matching, 3u) << Report();
  DeleteTree("Software\\TarnKeep");
  EXPECT_EQ(Run("/v /h"), 1u);
}

// A store of 32 GB (sparse, so it costs no disk) keeps the check reading: its bar moves, and a
// real click on Cancel stops it; the program stays, its window usable again.
TEST_F(CheckGui, ProgressMovesAndCancelStopsTheCheck) {
  ASSERT_EQ(Run("/a /h"), 0u);
  const std::string big = backup + "\\Main\\Big.dbx";
  HANDLE f = ::CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = 32ll << 30;
  EXPECT_TRUE(::SetFilePointerEx(f, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(f));
  ::CloseHandle(f);
  WriteAll(backup + "\\Larkmoor.sha256",
           ReadAll(backup + "\\Larkmoor.sha256") + std::string(64, '0') + "  Main/Big.dbx\n");
  auto program = Program::Start();
  ASSERT_NE(program, nullptr);
  HWND main = program->MainWindow();
  ASSERT_NE(main, nullptr);
  ChooseMenu(main, ids::kMnuCheckBackups);
  HWND dlg = program->WaitForWindow(texts::kCheckCaption);
  ASSERT_NE(dlg, nullptr);
  HWND bar = Control(dlg, LARK_IDC_CHECK_BAR);
  auto pos = [&] { return ::SendMessageA(bar, PBM_GETPOS, 0, 0); };
  ASSERT_TRUE(WaitFor([&] { return pos() > 0; }, 30000));
  const LRESULT first = pos();
  EXPECT_TRUE(WaitFor([&] { return pos() > first; }, 10000)) << "the bar stood still";
  EXPECT_EQ(Text(Control(dlg, LARK_IDC_CHECK_FILE)), big);
  Screenshot("check-backups");
  ClickOnScreen(Control(dlg, IDCANCEL));
  std::optional<Dialog> done = WaitForDialog(*program, 10000, {dlg});
  ASSERT_TRUE(done) << "Cancel did not stop the check";
  EXPECT_EQ(done->text.rfind(texts::kCheckCancelledIntro, 0), 0u) << done->text;
  EXPECT_FALSE(::IsWindow(dlg));
  ASSERT_TRUE(Answer(*done, "OK"));
  EXPECT_NE(Report().find(texts::kCheckCancelledLine), std::string::npos);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(main) != FALSE; }, 5000));
  EXPECT_TRUE(program->Running());
}

}  // namespace
}  // namespace lark::gui
