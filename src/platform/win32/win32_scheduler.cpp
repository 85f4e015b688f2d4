#include "platform/win32/win32_scheduler.h"

#include <windows.h>
// The scheduler's class and interface ids are defined here, not taken from a library that
// would tie the program to mstask.dll.
#include <initguid.h>
#include <mstask.h>
#include <objbase.h>

#include <string>

#include "platform/win32/handles.h"

namespace lark {

namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 0 ? n : 1, L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
  wide.resize(n > 0 ? n - 1 : 0);
  return wide;
}

// Takes a text the scheduler allocated, and frees it.
std::string Narrow(LPWSTR text) {
  std::string narrow;
  if (!text) return narrow;
  const int n = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n > 1) {
    narrow.assign(n, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], n, nullptr, nullptr);
    narrow.resize(n - 1);
  }
  ::CoTaskMemFree(text);
  return narrow;
}

LocalTime FromSystemTime(const SYSTEMTIME& t) {
  return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute};
}

TaskTrigger FromTrigger(const TASK_TRIGGER& t) {
  TaskTrigger r;
  r.hour = t.wStartHour;
  r.minute = t.wStartMinute;
  r.begin = LocalTime{t.wBeginYear, t.wBeginMonth, t.wBeginDay, 0, 0};
  switch (t.TriggerType) {
    case TASK_TIME_TRIGGER_DAILY:
      r.kind = TaskTrigger::Kind::Daily;
      r.interval = t.Type.Daily.DaysInterval;
      break;
    case TASK_TIME_TRIGGER_WEEKLY:
      r.kind = TaskTrigger::Kind::Weekly;
      r.interval = t.Type.Weekly.WeeksInterval;
      r.daysOfWeek = t.Type.Weekly.rgfDaysOfTheWeek;
      break;
    case TASK_EVENT_TRIGGER_AT_LOGON: r.kind = TaskTrigger::Kind::AtLogon; break;
    default: r.kind = TaskTrigger::Kind::Other; break;
  }
  if (t.rgFlags & TASK_TRIGGER_FLAG_DISABLED) r.kind = TaskTrigger::Kind::Other;
  return r;
}

TASK_TRIGGER ToTrigger(const TaskTrigger& t) {
  TASK_TRIGGER r{};
  r.cbTriggerSize = sizeof(r);
  r.wBeginYear = static_cast<WORD>(t.begin.year);
  r.wBeginMonth = static_cast<WORD>(t.begin.month);
  r.wBeginDay = static_cast<WORD>(t.begin.day);
  r.wStartHour = static_cast<WORD>(t.hour);
  r.wStartMinute = static_cast<WORD>(t.minute);
  switch (t.kind) {
    case TaskTrigger::Kind::Weekly:
      r.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
      r.Type.Weekly.WeeksInterval = static_cast<WORD>(t.interval);
      r.Type.Weekly.rgfDaysOfTheWeek = static_cast<WORD>(t.daysOfWeek);
      break;
    case TaskTrigger::Kind::AtLogon: r.TriggerType = TASK_EVENT_TRIGGER_AT_LOGON; break;
    default:
      r.TriggerType = TASK_TIME_TRIGGER_DAILY;
      r.Type.Daily.DaysInterval = static_cast<WORD>(t.interval);
      break;
  }
  return r;
}

// The current user as the scheduler names accounts: DOMAIN\user on the NT family.
std::wstring CurrentAccount() {
  char user[257] = "";
  DWORD size = sizeof(user);
  if (!::GetUserNameA(user, &size)) return std::wstring();
  char domain[256] = "";
  const DWORD n = ::ExpandEnvironmentStringsA("%USERDOMAIN%", domain, sizeof(domain));
  const std::string d = n > 0 && n <= sizeof(domain) && domain[0] != '%' ? domain : "";
  return Wide(d.empty() ? std::string(user) : d + "\\" + user);
}

// The password is held no longer than the call that hands it over.
void Wipe(std::wstring& secret) {
  volatile wchar_t* p = secret.empty() ? nullptr : &secret[0];
  for (std::size_t i = 0; i < secret.size(); ++i) p[i] = L'\0';
}

constexpr DWORD kMaxRunMs = 72u * 60 * 60 * 1000;  // the scheduler's own default

}  // namespace

Win32TaskScheduler::~Win32TaskScheduler() {
  if (scheduler_) scheduler_->Release();
}

long Win32TaskScheduler::Open() {
  if (tried_) return openCode_;
  tried_ = true;
  void* made = nullptr;
  openCode_ = ::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_ITaskScheduler, &made);
  if (SUCCEEDED(openCode_)) scheduler_ = static_cast<::ITaskScheduler*>(made);
  return openCode_;
}

TaskAccount Win32TaskScheduler::Account() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof(v);
  if (!::GetVersionExA(&v) || v.dwPlatformId != VER_PLATFORM_WIN32_NT) return TaskAccount::None;
  // Windows XP (5.1) was the first to run a task for a logged-on user without a password.
  if (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1))
    return TaskAccount::LoggedOn;
  return TaskAccount::WithPassword;
}

long Win32TaskScheduler::Read(const std::string& name, ScheduledTask* task) {
  if (FAILED(Open())) return openCode_;
  IUnknown* raw = nullptr;
  HRESULT hr = scheduler_->Activate(Wide(name).c_str(), IID_ITask, &raw);
  if (FAILED(hr)) return hr;
  ComPtr<ITask> t(static_cast<ITask*>(raw));
  *task = ScheduledTask();
  LPWSTR text = nullptr;
  if (SUCCEEDED(t.get()->GetApplicationName(&text))) task->application = Narrow(text);
  text = nullptr;
  if (SUCCEEDED(t.get()->GetParameters(&text))) task->parameters = Narrow(text);
  text = nullptr;
  if (SUCCEEDED(t.get()->GetWorkingDirectory(&text))) task->workingDirectory = Narrow(text);
  DWORD flags = 0;
  if (SUCCEEDED(t.get()->GetFlags(&flags))) task->flags = flags;
  WORD count = 0;
  t.get()->GetTriggerCount(&count);
  for (WORD i = 0; i < count; ++i) {
    ITaskTrigger* rawTrigger = nullptr;
    if (FAILED(t.get()->GetTrigger(i, &rawTrigger))) continue;
    ComPtr<ITaskTrigger> trigger(rawTrigger);
    TASK_TRIGGER data{};
    data.cbTriggerSize = sizeof(data);
    if (SUCCEEDED(trigger.get()->GetTrigger(&data))) task->triggers.push_back(FromTrigger(data));
  }
  SYSTEMTIME when{};
  if (t.get()->GetNextRunTime(&when) == S_OK && when.wYear != 0)
    task->nextRun = FromSystemTime(when);
  // Wine answers S_OK with an empty time for a task that never ran; Windows says so.
  when = SYSTEMTIME{};
  if (t.get()->GetMostRecentRunTime(&when) == S_OK && when.wYear != 0)
    task->lastRun = FromSystemTime(when);
  DWORD exitCode = 0;
  hr = t.get()->GetExitCode(&exitCode);
  if (hr == S_OK) task->exitCode = exitCode;
  if (FAILED(hr)) task->startError = hr;
  return S_OK;
}

long Win32TaskScheduler::Write(const std::string& name, const ScheduledTask& task,
                               const std::string& password) {
  if (FAILED(Open())) return openCode_;
  const std::wstring wideName = Wide(name);
  // A task of that name (made by hand, or by an earlier version) is changed, not doubled; and
  // it stays as it was until the one save below.
  IUnknown* raw = nullptr;
  HRESULT hr = scheduler_->Activate(wideName.c_str(), IID_ITask, &raw);
  if (FAILED(hr)) hr = scheduler_->NewWorkItem(wideName.c_str(), CLSID_CTask, IID_ITask, &raw);
  if (FAILED(hr)) return hr;
  ComPtr<ITask> t(static_cast<ITask*>(raw));
  ITask* item = t.get();
  if (FAILED(hr = item->SetApplicationName(Wide(task.application).c_str())) ||
      FAILED(hr = item->SetParameters(Wide(task.parameters).c_str())) ||
      FAILED(hr = item->SetWorkingDirectory(Wide(task.workingDirectory).c_str())) ||
      FAILED(hr = item->SetMaxRunTime(kMaxRunMs)))
    return hr;
  const TaskAccount account = Account();
  hr = item->SetFlags(task.flags);
  // A scheduler older than Windows XP's may refuse the "only while logged on" flag; there the
  // task runs with the password it is given, whether or not the user is logged on.
  if (FAILED(hr) && account == TaskAccount::WithPassword)
    hr = item->SetFlags(task.flags & ~static_cast<DWORD>(TASK_FLAG_RUN_ONLY_IF_LOGGED_ON));
  if (FAILED(hr)) return hr;
  switch (account) {
    case TaskAccount::None: break;
    case TaskAccount::LoggedOn:
      hr = item->SetAccountInformation(CurrentAccount().c_str(), nullptr);
      break;
    case TaskAccount::WithPassword: {
      std::wstring secret = Wide(password);
      hr = item->SetAccountInformation(CurrentAccount().c_str(), secret.c_str());
      Wipe(secret);
      break;
    }
  }
  if (FAILED(hr)) return hr;
  WORD count = 0;
  item->GetTriggerCount(&count);
  while (count > 0)
    if (FAILED(hr = item->DeleteTrigger(--count))) return hr;
  for (const TaskTrigger& wanted : task.triggers) {
    WORD index = 0;
    ITaskTrigger* rawTrigger = nullptr;
    if (FAILED(hr = item->CreateTrigger(&index, &rawTrigger))) return hr;
    ComPtr<ITaskTrigger> trigger(rawTrigger);
    TASK_TRIGGER data = ToTrigger(wanted);
    if (FAILED(hr = trigger.get()->SetTrigger(&data))) return hr;
  }
  void* rawFile = nullptr;
  if (FAILED(hr = item->QueryInterface(IID_IPersistFile, &rawFile))) return hr;
  ComPtr<IPersistFile> file(static_cast<IPersistFile*>(rawFile));
  return file.get()->Save(nullptr, TRUE);
}

long Win32TaskScheduler::Delete(const std::string& name) {
  if (FAILED(Open())) return openCode_;
  return scheduler_->Delete(Wide(name).c_str());
}

std::string Win32TaskScheduler::ProgramPath() {
  char path[MAX_PATH + 1] = "";
  const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n < MAX_PATH ? n : 0);
}

}  // namespace lark
