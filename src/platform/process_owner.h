// Owners for a started child process and for a started thread: each releases its handle
// exactly once.
#pragma once

#include <utility>

#include "platform/platform.h"

namespace lark {

class ProcessOwner {
 public:
  ProcessOwner() = default;
  ProcessOwner(IProcesses& processes, ProcessId id) : processes_(&processes), id_(id) {}
  ~ProcessOwner() { Reset(); }
  ProcessOwner(const ProcessOwner&) = delete;
  ProcessOwner& operator=(const ProcessOwner&) = delete;
  ProcessOwner(ProcessOwner&& o) noexcept
      : processes_(o.processes_), id_(std::exchange(o.id_, 0)) {}
  ProcessOwner& operator=(ProcessOwner&& o) noexcept {
    if (this != &o) {
      Reset();
      processes_ = o.processes_;
      id_ = std::exchange(o.id_, 0);
    }
    return *this;
  }

  bool Started() const { return id_ != 0; }
  ProcessId Id() const { return id_; }
  // Ended once the process has ended (or when none was started).
  WaitOutcome Await(std::uint32_t timeoutMs) {
    return Started() ? processes_->Await(id_, timeoutMs) : WaitOutcome::Ended;
  }
  bool Wait(std::uint32_t timeoutMs) { return Await(timeoutMs) == WaitOutcome::Ended; }
  void Reset() {
    if (id_ != 0) processes_->Release(id_);
    id_ = 0;
  }

 private:
  IProcesses* processes_ = nullptr;
  ProcessId id_ = 0;
};

// A thread is waited for before its handle goes: what it works on belongs to whoever owns
// this, and must not be freed while the thread still uses it.
class ThreadOwner {
 public:
  ThreadOwner() = default;
  ThreadOwner(IProcesses& processes, ProcessId id) : process_(processes, id) {}
  ~ThreadOwner() { Join(); }
  ThreadOwner(ThreadOwner&&) noexcept = default;
  ThreadOwner& operator=(ThreadOwner&& o) noexcept {
    if (this != &o) {
      Join();
      process_ = std::move(o.process_);
    }
    return *this;
  }

  bool Started() const { return process_.Started(); }
  ProcessId Id() const { return process_.Id(); }
  // True once the thread has ended (or when none was started); 0 asks without waiting.
  bool Ended(std::uint32_t timeoutMs) { return process_.Wait(timeoutMs); }
  // Waits for the thread to end and releases it.
  void Join() {
    process_.Wait(kInfinite);
    process_.Reset();
  }

 private:
  ProcessOwner process_;
};

}  // namespace lark
