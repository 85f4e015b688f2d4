// An owner for one started child process: releases its handle exactly once.
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

}  // namespace lark
