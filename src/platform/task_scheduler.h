// The Windows Task Scheduler as the program uses it (Task Scheduler 1.0: ITaskScheduler,
// ITask, ITaskTrigger, IPersistFile), one task by its name at a time. The Win32 layer makes
// the scheduler with CoCreateInstance when asked, so that a Windows without it still starts
// the program. Codes are the scheduler's HRESULTs, as numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lark {

constexpr long kSOk = 0;
constexpr long kHresultFileNotFound = static_cast<long>(0x80070002u);  // no task of that name
constexpr long kClassNotRegistered = static_cast<long>(0x80040154u);   // no scheduler installed

constexpr std::uint32_t kTaskFlagDisabled = 0x4;
constexpr std::uint32_t kTaskFlagRunOnlyIfLoggedOn = 0x2000;

// The days of a weekly trigger, as the scheduler numbers them.
constexpr unsigned kTaskSunday = 0x1;
constexpr unsigned kTaskMonday = 0x2;
constexpr unsigned kTaskSaturday = 0x40;

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

struct TaskTrigger {
  enum class Kind { Daily, Weekly, AtLogon, Other };
  Kind kind = Kind::Daily;
  int hour = 0, minute = 0;
  unsigned interval = 1;    // every so many days or weeks
  unsigned daysOfWeek = 0;  // kTaskSunday ... kTaskSaturday, for Weekly
  LocalTime begin;          // the first day it may fire
};

// What a task is made of, and (when read) what the scheduler says of it.
struct ScheduledTask {
  std::string application;  // as stored: a path holding blanks is quoted
  std::string parameters;
  std::string workingDirectory;
  std::uint32_t flags = 0;
  std::vector<TaskTrigger> triggers;
  // Read back only.
  std::optional<LocalTime> nextRun;  // none: the scheduler names no next time
  std::optional<LocalTime> lastRun;  // none: it has never run
  std::uint32_t exitCode = 0;        // of the last run, when there was one
  long startError = 0;               // why the last run could not start, 0 when it did
};

// Whose account a task runs in, as this Windows has it.
enum class TaskAccount {
  None,          // Windows 98 and ME: no accounts, the task runs for whoever is logged on
  LoggedOn,      // Windows XP and later: the current user while logged on, no password
  WithPassword,  // Windows NT 4.0 and 2000: the scheduler asks for the user's password
};

class IScheduledTasks {
 public:
  virtual ~IScheduledTasks() = default;
  // Makes the scheduler object the first time; its code from then on (kSOk when it exists).
  virtual long Open() = 0;
  virtual TaskAccount Account() = 0;
  // kHresultFileNotFound when there is no task of that name.
  virtual long Read(const std::string& name, ScheduledTask* task) = 0;
  // Makes the task, or changes the one of that name in place (its old triggers go), and
  // saves it. password is handed to the scheduler only where Account() asks for one.
  virtual long Write(const std::string& name, const ScheduledTask& task,
                     const std::string& password) = 0;
  virtual long Delete(const std::string& name) = 0;
  // The program's own file (GetModuleFileNameA).
  virtual std::string ProgramPath() = 0;
};

}  // namespace lark
