// Runs of the Windows registry editor as a child process: one command line, started
// minimised and active in the current directory, which the caller has pointed at the
// folder of the file to export or import. The editor's exit code means nothing (it is 0
// whatever happened), so a run tells only whether it started and whether it has ended.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "platform/process_owner.h"

namespace lark::regedit {

// How long an awaited run may take before the caller goes on without it: far longer than
// any export or import of a user's branches, short of hanging the program for good.
constexpr std::uint32_t kWaitMs = 10 * 60 * 1000;

// A start that fails is tried again this often, a moment apart: under Wine a child process
// now and then fails to start on a busy machine, and the next try starts it.
constexpr int kStartTries = 4;
constexpr std::uint32_t kStartPauseMs = 250;

// Starts the editor without waiting for it; the owner can await it later. A command that
// cannot be started gives an owner that is not Started() and counts as ended.
ProcessOwner Start(const Platform& p, const std::string& commandLine);

enum class Run {
  Ended,       // it started and has ended
  NotStarted,  // it could not be started, not even on the later tries
  Running,     // still running when the time was up
  NotAwaited,  // it started, but its end could not be waited for
};

// Starts the editor and waits for it to end.
Run RunAndWait(const Platform& p, const std::string& commandLine,
               std::uint32_t timeoutMs = kWaitMs);

// What an awaited editor came to.
Run Outcome(WaitOutcome waited);

}  // namespace lark::regedit
