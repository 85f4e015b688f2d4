// "Export Mail..." through real clicks: the stores all ticked at first, one unticked, the
// export with its progress, and Cancel part-way; what a whole export writes the Wine tests show.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>

#include "common/dbx_writer.h"
#include "driver.h"
#include "res/resource_ids.h"
#include "ui/ids.h"

namespace lark::gui {
namespace {

using testing::DbxWriter;
using testing::SampleMessages;

// Enough mail in the Inbox for the export to take a few seconds under Wine; Work unticked.
TEST(ExportGui, ExportsWhatIsTickedAndCancelStopsPartWay) {
  for (const char* b : kUserBranches) DeleteTree(b);
  struct Cleanup {  // after the program below has closed
    ~Cleanup() {
      for (const char* b : kUserBranches) DeleteTree(b);
    }
  } cleanup;
  const std::string root = ScratchFolder("ExportGui"), store = root + "\\store";
  hosted::WriteRaw(store + "\\Inbox.dbx", DbxWriter::Messages(SampleMessages(1500)).bytes);
  hosted::WriteRaw(store + "\\Work.dbx", DbxWriter::Messages(SampleMessages(3)).bytes);
  SeedProfile(root, store);
  DWORD code = 99;
  auto backup = Program::Start("/a /h");
  ASSERT_TRUE(backup && backup->WaitForExit(kRunMs, &code) && code == 0) << code;
  auto program = Program::Start();
  HWND main = program->MainWindow();
  ASSERT_NE(main, nullptr);
  const std::string target = root + "\\out";
  ChooseMenu(main, ids::kMnuExportMail);
  HWND dlg = program->WaitForWindow("Export Mail", kRunMs);
  ASSERT_NE(dlg, nullptr);
  HWND list = Control(dlg, LARK_IDC_EX_LIST);
  ASSERT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);  // Main, Inbox, Work
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(RowTicked(list, row)) << row;
  ClickRowOnScreen(list, 2);
  ASSERT_TRUE(WaitFor([&] { return SelectedRow(list) == 2; }, 5000));
  PressKey(VK_SPACE);
  EXPECT_TRUE(WaitFor([&] { return !RowTicked(list, 2); }, 5000));
  ::SendMessageA(Control(dlg, LARK_IDC_EX_FOLDER), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(target.c_str()));
  Screenshot("export-mail");
  ClickOnScreen(Control(dlg, IDOK));
  // Cancel while it runs: what was written stays, and the report says where it stopped.
  HWND status = Control(dlg, LARK_IDC_EX_STATUS);
  ASSERT_TRUE(
      WaitFor([&] { return Text(status).rfind("Exporting Main, Inbox: ", 0) == 0; }, kRunMs));
  Screenshot("export-mail-progress");
  ClickOnScreen(Control(dlg, IDCANCEL));
  std::optional<Dialog> done = WaitForDialog(*program, kRunMs, {dlg});
  ASSERT_TRUE(done);
  EXPECT_EQ(done->text.rfind("The mail export finished:\r\nExported into " + target, 0), 0u);
  EXPECT_NE(done->text.find("cancelled here: incomplete"), std::string::npos);
  ASSERT_TRUE(Answer(*done, "OK"));
  const std::size_t written = Files(target + "\\Main\\Inbox").size();
  EXPECT_TRUE(written > 0 && written < 1500) << written;
  EXPECT_EQ(::GetFileAttributesA((target + "\\Main\\Work").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace lark::gui
