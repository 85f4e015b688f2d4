// Starting the registry editor, awaited or not.
#include "fs/regedit_run.h"

namespace lark::regedit {

ProcessOwner Start(const Platform& p, const std::string& commandLine) {
  return ProcessOwner(p.processes, p.processes.Start(commandLine, kSwShowMinimized));
}

bool RunAndWait(const Platform& p, const std::string& commandLine, std::uint32_t timeoutMs) {
  ProcessOwner editor = Start(p, commandLine);
  return editor.Started() && editor.Wait(timeoutMs);
}

}  // namespace lark::regedit
