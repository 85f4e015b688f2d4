// File > Schedule Backups... in the real program, through a person's clicks and keys; each
// task is read back through the Task Scheduler's own interface (under Wine it stores the task
// as a .job file; nothing runs it).
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdlib>

#include "driver.h"
#include "platform/win32/win32_scheduler.h"
#include "res/resource_ids.h"
#include "ui/ids.h"
#include "ui/schedule.h"

namespace lark::gui {
namespace {

class ScheduleGui : public ::testing::Test {
 protected:
  Win32TaskScheduler scheduler;
  std::string backup;
  std::unique_ptr<Program> program;
  HWND main = nullptr;

  void SetUp() override {
    ::CoInitialize(nullptr);
    DeleteTree("Software\\TarnKeep");
    backup = ScratchFolder("schedule") + "\\bk";
    SeedSettings(backup, 0);
    scheduler.Delete(kBackupTaskName);
    scheduler.Delete(kCheckTaskName);
    program = Program::Start();
    ASSERT_NE(program, nullptr);
    main = program->MainWindow();
    ASSERT_NE(main, nullptr);
  }
  void TearDown() override {
    program.reset();
    scheduler.Delete(kBackupTaskName);
    scheduler.Delete(kCheckTaskName);
    DeleteTree("Software\\TarnKeep");
    ::CoUninitialize();
  }
  // Opens the dialog, chooses as a person would, and presses OK.
  void Choose(int kind, const char* time, const std::vector<int>& dayRows, bool tickCheck,
              const char* shot = nullptr) {
    ChooseMenu(main, ids::kMnuSchedule);
    const std::optional<Dialog> d = WaitForDialog(*program);
    ASSERT_TRUE(d);
    ASSERT_EQ(d->title, "Schedule Backups");
    ClickOnScreen(Control(d->hwnd, kind));
    if (time)
      ::SendMessageA(Control(d->hwnd, LARK_IDC_SCH_TIME), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(time));
    for (int row : dayRows) {
      ClickOnScreen(Control(d->hwnd, LARK_IDC_SCH_DAYS));
      PressKey(VK_HOME);
      for (int i = 0; i < row; ++i) PressKey(VK_DOWN);
      PressKey(VK_SPACE);
    }
    if (tickCheck) ClickOnScreen(Control(d->hwnd, LARK_IDC_SCH_CHECK));
    if (shot) Screenshot(shot);
    ClickOnScreen(Control(d->hwnd, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(d->hwnd); })) << "the dialog stayed";
  }
};

TEST_F(ScheduleGui, TheDialogMakesChangesAndDeletesTheTask) {
  const char* exe = std::getenv("LARK_EXE");
  const std::string program = exe ? exe : "";
  ASSERT_FALSE(program.empty()) << "LARK_EXE names the program";
  Choose(LARK_IDC_SCH_DAILY, "18:30", {}, false, "schedule-daily");
  ScheduledTask task;
  ASSERT_EQ(scheduler.Read(kBackupTaskName, &task), kSOk);
  EXPECT_EQ(task.application, QuotedProgram(program));
  EXPECT_EQ(task.parameters, "/a /h /b:" + backup);
  EXPECT_EQ(task.workingDirectory + "\\", program.substr(0, program.rfind('\\') + 1));
  EXPECT_EQ(task.flags, kTaskFlagRunOnlyIfLoggedOn);  // Wine is an NT Windows after XP
  ASSERT_EQ(task.triggers.size(), 1u);
  EXPECT_EQ(task.triggers[0].kind, TaskTrigger::Kind::Daily);
  EXPECT_EQ(task.triggers[0].hour * 100 + task.triggers[0].minute, 1830);
  EXPECT_EQ(task.triggers[0].interval, 1u);
  EXPECT_EQ(scheduler.Read(kCheckTaskName, &task), kHresultFileNotFound);

  // Monday stays ticked from before; Friday (the fifth row) is ticked now, and the check.
  Choose(LARK_IDC_SCH_WEEKLY, "07:05", {4}, true, "schedule-weekly");
  ASSERT_EQ(scheduler.Read(kBackupTaskName, &task), kSOk);
  ASSERT_EQ(task.triggers.size(), 1u);
  EXPECT_EQ(task.triggers[0].kind, TaskTrigger::Kind::Weekly);
  EXPECT_EQ(task.triggers[0].daysOfWeek, kTaskMonday | (kTaskMonday << 4));
  EXPECT_EQ(task.triggers[0].hour * 100 + task.triggers[0].minute, 705);
  ASSERT_EQ(scheduler.Read(kCheckTaskName, &task), kSOk);
  EXPECT_EQ(task.parameters, "/v /h");
  ASSERT_EQ(task.triggers.size(), 1u);
  EXPECT_EQ(task.triggers[0].daysOfWeek, kTaskSunday);

  Choose(LARK_IDC_SCH_OFF, nullptr, {}, false);
  EXPECT_EQ(scheduler.Read(kBackupTaskName, &task), kHresultFileNotFound);
  EXPECT_EQ(scheduler.Read(kCheckTaskName, &task), kHresultFileNotFound);
}

}  // namespace
}  // namespace lark::gui
