// Starting the registry editor, awaited or not.
#include "fs/regedit_run.h"

namespace lark::regedit {

ProcessOwner Start(const Platform& p, const std::string& commandLine) {
  for (int attempt = 1;; ++attempt) {
    ProcessOwner editor(p.processes, p.processes.Start(commandLine, kSwShowMinimized));
    if (editor.Started() || attempt == kStartTries) return editor;
    p.processes.Pause(kStartPauseMs);
  }
}

Run Outcome(WaitOutcome waited) {
  switch (waited) {
    case WaitOutcome::Ended: return Run::Ended;
    case WaitOutcome::Running: return Run::Running;
    case WaitOutcome::Failed: return Run::NotAwaited;
  }
  return Run::NotAwaited;
}

Run RunAndWait(const Platform& p, const std::string& commandLine, std::uint32_t timeoutMs) {
  ProcessOwner editor = Start(p, commandLine);
  if (!editor.Started()) return Run::NotStarted;
  return Outcome(editor.Await(timeoutMs));
}

}  // namespace lark::regedit
