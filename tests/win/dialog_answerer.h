// Answers the message-box style dialogs of this process (window class "#32770") from a
// helper thread, so that a test of a call that asks a question can run unattended and can
// never hang: past its deadline, the answerer cancels whatever is still open.
#pragma once

#include <windows.h>

#include <atomic>
#include <set>
#include <string>

namespace lark::test {

class DialogAnswerer {
 public:
  // button: the control id to press (IDYES, IDNO, ...).
  explicit DialogAnswerer(int button, DWORD deadlineMs = 20000)
      : button_(button), deadline_(::GetTickCount() + deadlineMs) {
    thread_ = ::CreateThread(nullptr, 0, &DialogAnswerer::Run, this, 0, nullptr);
  }
  ~DialogAnswerer() {
    stop_ = true;
    if (thread_) {
      ::WaitForSingleObject(thread_, 5000);
      ::CloseHandle(thread_);
    }
  }
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  int Answered() const { return answered_; }

 private:
  static DWORD WINAPI Run(LPVOID self) {
    auto* me = static_cast<DialogAnswerer*>(self);
    while (!me->stop_) {
      ::EnumWindows(&DialogAnswerer::Visit, reinterpret_cast<LPARAM>(me));
      ::Sleep(50);
    }
    return 0;
  }

  static BOOL CALLBACK Visit(HWND window, LPARAM self) {
    auto* me = reinterpret_cast<DialogAnswerer*>(self);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    char cls[32] = "";
    ::GetClassNameA(window, cls, sizeof(cls));
    if (pid != ::GetCurrentProcessId() || std::string(cls) != "#32770" ||
        !::IsWindowVisible(window) || me->seen_.count(window))
      return TRUE;
    me->seen_.insert(window);
    bool late = static_cast<LONG>(::GetTickCount() - me->deadline_) > 0;
    int id = late ? IDCANCEL : me->button_;
    HWND button = ::GetDlgItem(window, id);
    if (!button) id = IDCANCEL;
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    if (!late) ++me->answered_;
    return TRUE;
  }

  int button_;
  DWORD deadline_;
  HANDLE thread_ = nullptr;
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
  std::set<HWND> seen_;  // touched by the helper thread only
};

}  // namespace lark::test
