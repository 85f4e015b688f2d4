// Scheduled backups: the task "Larkmoor backup" that runs this program with "/a /h /b:<folder>",
// and "Larkmoor check" with "/v /h" once a week; what File > Schedule Backups... shows and
// saves, and the notice at a windowed start of a scheduled run that failed or did not happen.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/task_scheduler.h"

namespace lark {

class WindowedApp;

inline constexpr const char* kBackupTaskName = "Larkmoor backup";
inline constexpr const char* kCheckTaskName = "Larkmoor check";
// In the settings key: the notices already given, and when a schedule was first seen.
inline constexpr const char* kNoticeValue = "ScheduleNotice";
inline constexpr const char* kScheduleSinceValue = "ScheduleSince";

struct ScheduleChoice {
  enum class Kind { Off, Daily, Weekly, AtLogon };
  Kind kind = Kind::Off;
  std::string time = "18:30";   // hours:minutes, as the person wrote it
  unsigned days = kTaskMonday;  // for Weekly: kTaskSunday ... kTaskSaturday
  bool check = false;
  std::string password;  // where Windows asks for one; handed to the scheduler only
};

// What the dialog shows. Without a scheduler the choice cannot be changed, and `state` says
// what to use instead.
struct ScheduleForm {
  ScheduleChoice choice;
  std::string state;
  bool available = true;
  bool askPassword = false;
};

// "H:MM" or "HH:MM" within a day.
bool ParseTime(const std::string& text, int* hour, int* minute);
// Why the choice cannot be saved, in words; "" when it can.
std::string ChoiceProblem(const ScheduleChoice& choice);

// The program's path as a task's application: quoted where it holds blanks.
std::string QuotedProgram(const std::string& path);
// The tasks as this program makes them, starting `today`.
ScheduledTask BackupTask(const ScheduleChoice& choice, const std::string& program,
                         const std::string& folder, const LocalTime& today, TaskAccount account);
ScheduledTask CheckTask(const ScheduleChoice& choice, const std::string& program,
                        const LocalTime& today, TaskAccount account);
// The choice a task stands for; a trigger the dialog does not offer shows as Daily at its time.
ScheduleChoice ChoiceOf(const ScheduledTask& task);
// The folder "/b:" gives in a task's parameters, "" when none.
std::string TaskFolder(const std::string& parameters);

// File > Schedule Backups...
void mnuSchedule_Click(WindowedApp& app);
// At a windowed start with a schedule: one message box when the newest scheduled backup (or
// check) ended with a code other than 0, or no complete backup was made for twice the
// schedule's interval; each only once.
void NoticeMissedRuns(WindowedApp& app);

}  // namespace lark
