// The real Task Scheduler 1.0, reached through COM at run time only: mstask.dll is never among
// the program's imports, so a Windows 98 or NT 4.0 without the scheduler still runs it.
#pragma once

#include "platform/task_scheduler.h"

struct ITaskScheduler;

namespace lark {

class Win32TaskScheduler : public IScheduledTasks {
 public:
  Win32TaskScheduler() = default;
  ~Win32TaskScheduler() override;
  Win32TaskScheduler(const Win32TaskScheduler&) = delete;
  Win32TaskScheduler& operator=(const Win32TaskScheduler&) = delete;

  long Open() override;
  TaskAccount Account() override;
  long Read(const std::string& name, ScheduledTask* task) override;
  long Write(const std::string& name, const ScheduledTask& task,
             const std::string& password) override;
  long Delete(const std::string& name) override;
  std::string ProgramPath() override;

 private:
  ::ITaskScheduler* scheduler_ = nullptr;
  bool tried_ = false;
  long openCode_ = kSOk;
};

}  // namespace lark
