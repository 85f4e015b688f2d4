// "Export Mail..." through real clicks: the stores all ticked at first, one unticked, the
// export with its progress, and Cancel part-way.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>

#include "common/sample_mail.h"
#include "driver.h"
#include "res/resource_ids.h"
#include "ui/ids.h"

namespace lark::gui {
namespace {

using testing::DbxWriter;
using testing::SampleMessages;

constexpr DWORD kRunMs = 120000;
const char* const kUserData[] = {"Identities", "Software\\Microsoft\\Internet Account Manager",
                                 "Software\\Microsoft\\WAB", "Software\\TarnKeep"};

class ExportGui : public ::testing::Test {
 protected:
  std::string root, store, backup;
  std::unique_ptr<Program> program;
  HWND main = nullptr;

  void SetUp() override {
    for (const char* b : kUserData) DeleteTree(b);
    root = ScratchFolder("ExportGui");
    store = root + "\\store";
    backup = root + "\\bk";
    // Enough mail in the Inbox for the export to take a few seconds.
    hosted::WriteRaw(store + "\\Inbox.dbx", DbxWriter::Messages(SampleMessages(1500)).bytes);
    hosted::WriteRaw(store + "\\Work.dbx", DbxWriter::Messages(SampleMessages(3)).bytes);
    SetText("Identities", "Default User ID", "{A}");
    SetText("Identities\\{A}", "Username", "Main");
    SetText("Identities\\{A}\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root", store,
            REG_EXPAND_SZ);
    SetText("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", root + "\\book\\me.wab");
    WriteAll(root + "\\book\\me.wab", "address book");
    SeedSettings(backup, 1);
    auto run = Program::Start("/a /h");
    DWORD code = 99;
    ASSERT_TRUE(run && run->WaitForExit(kRunMs, &code));
    ASSERT_EQ(code, 0u);
    program = Program::Start();
    ASSERT_NE(program, nullptr);
    main = program->MainWindow();
    ASSERT_NE(main, nullptr);
  }
  void TearDown() override {
    program.reset();
    for (const char* b : kUserData) DeleteTree(b);
  }
  // Opens the dialog, types the folder and unticks Work.dbx by a click and the space bar.
  HWND Open(const std::string& target) {
    ChooseMenu(main, ids::kMnuExportMail);
    HWND dlg = program->WaitForWindow("Export Mail", kRunMs);
    if (!dlg) return nullptr;
    HWND list = Control(dlg, LARK_IDC_EX_LIST);
    EXPECT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);  // Main, Inbox, Work
    for (int row = 0; row < 3; ++row) EXPECT_TRUE(RowTicked(list, row)) << row;
    ClickRowOnScreen(list, 2);
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return !RowTicked(list, 2); }, 5000));
    EXPECT_TRUE(RowTicked(list, 1));
    ::SendMessageA(Control(dlg, LARK_IDC_EX_FOLDER), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(target.c_str()));
    return dlg;
  }
};

TEST_F(ExportGui, ExportsWhatIsTickedAndCancelStopsPartWay) {
  const std::string out = root + "\\out";
  ::CreateDirectoryA(out.c_str(), nullptr);
  HWND dlg = Open(out);
  ASSERT_NE(dlg, nullptr);
  Screenshot("export-mail");
  ClickOnScreen(Control(dlg, IDOK));
  std::optional<Dialog> done = WaitForDialog(*program, kRunMs, {dlg});
  ASSERT_TRUE(done);
  EXPECT_EQ(done->text.rfind("The mail export finished:\r\nExported into " + out, 0), 0u)
      << done->text;
  Screenshot("export-mail-done");
  ASSERT_TRUE(Answer(*done, "OK"));
  EXPECT_EQ(Files(out + "\\Main\\Inbox").size(), 1500u);
  EXPECT_FALSE(::GetFileAttributesA((out + "\\Main\\Work").c_str()) != INVALID_FILE_ATTRIBUTES);

  // Cancel while it runs: what was written stays, and the report says where it stopped.
  const std::string part = root + "\\part";
  dlg = Open(part);
  ASSERT_NE(dlg, nullptr);
  ClickOnScreen(Control(dlg, IDOK));
  HWND status = Control(dlg, LARK_IDC_EX_STATUS);
  ASSERT_TRUE(
      WaitFor([&] { return Text(status).rfind("Exporting Main, Inbox: ", 0) == 0; }, kRunMs));
  Screenshot("export-mail-progress");
  ClickOnScreen(Control(dlg, IDCANCEL));
  done = WaitForDialog(*program, kRunMs, {dlg});
  ASSERT_TRUE(done);
  EXPECT_NE(done->text.find("cancelled here: incomplete"), std::string::npos) << done->text;
  ASSERT_TRUE(Answer(*done, "OK"));
  const std::size_t written = Files(part + "\\Main\\Inbox").size();
  EXPECT_LT(written, 1500u);
  EXPECT_NE(ReadAll(part + "\\ExportReport.txt").find("cancelled"), std::string::npos);
}

}  // namespace
}  // namespace lark::gui
