// Scheduled backups in-process on Wine's real Task Scheduler 1.0, which stores tasks as .job
// files and reads them back (nothing runs them there): the notice a windowed start gives of a
// scheduled run that failed or did not happen, a task made by hand replaced, and a Windows
// without the scheduler.
#include <ctime>

#include "platform/win32/win32_scheduler.h"
#include "ui/schedule.h"
#include "win_support.h"

namespace lark::test {
namespace {

// A Windows 98 or NT 4.0 without Internet Explorer 5: the scheduler's class is not registered.
struct NoScheduler : IScheduledTasks {
  long Open() override { return kClassNotRegistered; }
  TaskAccount Account() override { return TaskAccount::None; }
  long Read(const std::string&, ScheduledTask*) override { return kClassNotRegistered; }
  long Write(const std::string&, const ScheduledTask&, const std::string&) override {
    return kClassNotRegistered;
  }
  long Delete(const std::string&) override { return kClassNotRegistered; }
  std::string ProgramPath() override { return "C:\\Program Files\\Larkmoor\\larkmoor.exe"; }
};

// The local time `days` ago, as backups are named.
std::string DaysAgo(int days) {
  const std::time_t t = std::time(nullptr) - days * 86400;
  char text[32] = "";
  std::strftime(text, sizeof text, "%Y-%m-%d %H.%M.%S", std::localtime(&t));
  return text;
}

class ScheduleTest : public WinTest {
 protected:
  Win32TaskScheduler scheduler;
  IScheduledTasks* tasks = &scheduler;

  void SetUp() override {
    ::CoInitialize(nullptr);
    WinTest::SetUp();
    scheduler.Delete(kBackupTaskName);
    scheduler.Delete(kCheckTaskName);
    Settings();
    Seeded("{A}", "Main");
  }
  void TearDown() override {
    scheduler.Delete(kBackupTaskName);
    scheduler.Delete(kCheckTaskName);
    WinTest::TearDown();
    ::CoUninitialize();
  }
  void ScheduleDaily(const std::string& since) {
    ScheduleChoice daily;
    daily.kind = ScheduleChoice::Kind::Daily;
    ASSERT_EQ(
        scheduler.Write(
            kBackupTaskName,
            BackupTask(daily, "C:\\l.exe", backup, {2026, 1, 1, 0, 0}, TaskAccount::LoggedOn), ""),
        kSOk);
    SetText("Software\\TarnKeep", kScheduleSinceValue, since);
  }
  // The top of the backup folder holds a complete backup made then, whose report ended so.
  void NewestBackup(const std::string& made, int code) {
    WriteAll(backup + "\\IAM.reg", "REGEDIT4\r\n");
    BackupInfo info;
    info.made = made;
    WriteAll(backup + "\\Larkmoor.info", BackupInfoText(info));
    WriteAll(backup + "\\BackupReport.txt",
             texts::ReportHeading(texts::kReportOfBackup, made, backup) + texts::kReportAllWell +
                 "\r\n\r\n" + texts::ReportExitCode(code) + "\r\n");
  }
  // A start of the program: the boxes it showed, and the exit code when it ended.
  std::vector<std::string> Start(const std::string& commandLine = "", int* ended = nullptr,
                                 ScheduleForm* shown = nullptr) {
    user.messages.clear();
    WindowedApp app(p);
    app.scheduler = tasks;
    app.state.commandLine = commandLine;
    app.askSchedule = [shown](const ScheduleForm& form) {
      if (shown) *shown = form;
      return std::optional<ScheduleChoice>();
    };
    const int code = EndedWith([&] {
      Form_Load(app);
      if (shown) mnuSchedule_Click(app);
    });
    if (ended) *ended = code;
    return user.messages;
  }
};

TEST_F(ScheduleTest, AFailedScheduledBackupIsToldOnceAndOnlyToAPerson) {
  ScheduleDaily(DaysAgo(10));
  const std::string made = DaysAgo(0);
  NewestBackup(made, 4);
  const std::string told = texts::BackupRunFailed(
      made.substr(0, 10) + " " + made.substr(11, 2) + ":" + made.substr(14, 2), 4,
      backup + "\\BackupReport.txt");
  EXPECT_EQ(Start(), std::vector<std::string>{told});
  EXPECT_EQ(Start(), std::vector<std::string>{}) << "told again";
  // Forgotten what was told: a scheduled run, or a start without a schedule, tells nothing.
  int ended = -1;
  SetText("Software\\TarnKeep", kNoticeValue, "");
  EXPECT_EQ(Start("/a /h /b:" + std::string(300, 'x'), &ended), std::vector<std::string>{});
  EXPECT_EQ(ended, 2);
  scheduler.Delete(kBackupTaskName);
  EXPECT_EQ(Start(), std::vector<std::string>{});
}

TEST_F(ScheduleTest, AScheduleWithoutABackupForTwiceItsIntervalIsTold) {
  struct Case {
    const char* what;
    int madeDaysAgo;  // -1: no backup
    int sinceDaysAgo;
    int toldDaysAgo;  // the date the notice names; -1: no notice
    bool diskThere;
  } cases[] = {
      {"last backup 5 days ago", 5, 30, 5, true},
      {"none, scheduled 3 days ago", -1, 3, 3, true},
      {"none, scheduled just now", -1, 0, -1, true},
      {"backup yesterday", 1, 30, -1, true},
      {"old backup, scheduled yesterday", 40, 1, -1, true},
      {"backup disk unplugged", -1, 30, -1, false},
  };
  for (const Case& c : cases) {
    Recreate(backup);
    ScheduleDaily(DaysAgo(c.sinceDaysAgo));
    SetText("Software\\TarnKeep", kNoticeValue, "");
    if (c.madeDaysAgo >= 0) NewestBackup(DaysAgo(c.madeDaysAgo), 0);
    if (!c.diskThere) RemoveTree(backup);
    std::vector<std::string> expected;
    if (c.toldDaysAgo >= 0) {
      const std::string date = DaysAgo(c.toldDaysAgo);
      expected.push_back(texts::NoBackupSince(date.substr(0, 10) + " " + date.substr(11, 2) + ":" +
                                              date.substr(14, 2)));
    }
    EXPECT_EQ(Start(), expected) << c.what;
  }
}

TEST_F(ScheduleTest, ATaskOfThatNameMadeByHandIsShownAndReplaced) {
  ScheduledTask byHand;
  byHand.application = "C:\\old\\oldbackup.exe";
  byHand.parameters = "/a";
  byHand.triggers.push_back(TaskTrigger{TaskTrigger::Kind::Daily, 3, 0, 1, 0, {2026, 1, 1, 0, 0}});
  ASSERT_EQ(scheduler.Write(kBackupTaskName, byHand, ""), kSOk);
  ScheduleForm shown;
  Start("", nullptr, &shown);
  EXPECT_TRUE(Holds(shown.state, texts::ScheduleRunsOther("C:\\old\\oldbackup.exe /a")));
  EXPECT_EQ(shown.choice.kind, ScheduleChoice::Kind::Daily);
  EXPECT_EQ(shown.choice.time, "03:00");

  WindowedApp app(p);
  app.scheduler = tasks;
  app.askSchedule = [](const ScheduleForm& form) {
    ScheduleChoice c = form.choice;
    c.kind = ScheduleChoice::Kind::AtLogon;
    return std::optional<ScheduleChoice>(c);
  };
  mnuSchedule_Click(app);
  ScheduledTask now;
  ASSERT_EQ(scheduler.Read(kBackupTaskName, &now), kSOk);
  EXPECT_EQ(now.application, QuotedProgram(scheduler.ProgramPath()));
  EXPECT_EQ(now.parameters, "/a /h /b:" + backup);
  ASSERT_EQ(now.triggers.size(), 1u);
  EXPECT_EQ(now.triggers[0].kind, TaskTrigger::Kind::AtLogon);
}

TEST_F(ScheduleTest, WithoutTheSchedulerTheProgramStartsBacksUpAndOffersTheCommandLine) {
  NoScheduler none;
  tasks = &none;
  ScheduleForm shown;
  EXPECT_EQ(Start("", nullptr, &shown), std::vector<std::string>{});
  EXPECT_FALSE(shown.available);
  EXPECT_TRUE(Holds(shown.state,
                    "schtasks /create /sc daily /st 18:30 /tn \"Larkmoor backup\" /tr "
                    "\"\\\"C:\\Program Files\\Larkmoor\\larkmoor.exe\\\" /a /h /b:" +
                        backup + "\""));
  int ended = -1;
  Start("/a /h", &ended);
  EXPECT_EQ(ended, 0);
  EXPECT_TRUE(Exists(backup + "\\Main\\Inbox.dbx"));
}

TEST(ScheduleChoice, OnlyAWholeTimeOfDayAndAtLeastOneDayAreSaved) {
  const struct {
    ScheduleChoice::Kind kind;
    const char* time;
    unsigned days;
    const char* problem;
  } cases[] = {
      {ScheduleChoice::Kind::Daily, "18:30", 0, ""},
      {ScheduleChoice::Kind::Daily, "7:05", 0, ""},
      {ScheduleChoice::Kind::Daily, "24:00", 0, texts::kScheduleBadTime},
      {ScheduleChoice::Kind::Daily, "18:60", 0, texts::kScheduleBadTime},
      {ScheduleChoice::Kind::Daily, "18:3", 0, texts::kScheduleBadTime},
      {ScheduleChoice::Kind::Daily, "1830", 0, texts::kScheduleBadTime},
      {ScheduleChoice::Kind::Weekly, "-1:30", kTaskMonday, texts::kScheduleBadTime},
      {ScheduleChoice::Kind::Weekly, "18:30", 0, texts::kScheduleNoDays},
      {ScheduleChoice::Kind::AtLogon, "", 0, ""},
      {ScheduleChoice::Kind::Off, "x", 0, ""},
  };
  for (const auto& c : cases) {
    ScheduleChoice choice;
    choice.kind = c.kind;
    choice.time = c.time;
    choice.days = c.days;
    EXPECT_EQ(ChoiceProblem(choice), c.problem) << c.time;
  }
}

}  // namespace
}  // namespace lark::test
