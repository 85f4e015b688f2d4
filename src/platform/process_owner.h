// Owners for a started child process, an event and a started thread: each releases its
// handle exactly once.
#pragma once

#include <utility>

#include "platform/platform.h"

namespace lark {

template <class Handle>
class KernelOwner {
 public:
  KernelOwner() = default;
  KernelOwner(IProcesses& processes, Handle id) : processes_(&processes), id_(id) {}
  ~KernelOwner() { Reset(); }
  KernelOwner(const KernelOwner&) = delete;
  KernelOwner& operator=(const KernelOwner&) = delete;
  KernelOwner(KernelOwner&& o) noexcept
      : processes_(o.processes_), id_(std::exchange(o.id_, Handle())) {}
  KernelOwner& operator=(KernelOwner&& o) noexcept {
    if (this != &o) {
      Reset();
      processes_ = o.processes_;
      id_ = std::exchange(o.id_, Handle());
    }
    return *this;
  }

  bool Started() const { return static_cast<bool>(id_); }
  Handle Id() const { return id_; }
  // Ended once the process or thread has ended (or when none was started).
  WaitOutcome Await(std::uint32_t timeoutMs) {
    return Started() ? processes_->Await(id_, timeoutMs) : WaitOutcome::Ended;
  }
  bool Wait(std::uint32_t timeoutMs) { return Await(timeoutMs) == WaitOutcome::Ended; }
  void Reset() {
    if (id_) processes_->Release(id_);
    id_ = Handle();
  }

 private:
  IProcesses* processes_ = nullptr;
  Handle id_;
};

using ProcessOwner = KernelOwner<ProcessId>;
using SignalOwner = KernelOwner<SignalId>;  // never awaited through the owner: AwaitSignal

// A thread is waited for before its handle goes: what it works on belongs to whoever owns
// this, and must not be freed while the thread still uses it.
class ThreadOwner {
 public:
  ThreadOwner() = default;
  ThreadOwner(IProcesses& processes, ThreadId id) : thread_(processes, id) {}
  ~ThreadOwner() { Join(); }
  ThreadOwner(ThreadOwner&&) noexcept = default;
  ThreadOwner& operator=(ThreadOwner&& o) noexcept {
    if (this != &o) {
      Join();
      thread_ = std::move(o.thread_);
    }
    return *this;
  }

  bool Started() const { return thread_.Started(); }
  // True once the thread has ended (or when none was started); 0 asks without waiting.
  bool Ended(std::uint32_t timeoutMs) { return thread_.Wait(timeoutMs); }
  // Waits for the thread to end and releases it.
  void Join() {
    thread_.Wait(kInfinite);
    thread_.Reset();
  }

 private:
  KernelOwner<ThreadId> thread_;
};

}  // namespace lark
