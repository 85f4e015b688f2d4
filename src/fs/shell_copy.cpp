// The shell copy: one SHFileOperationA request per call.
#include "fs/shell_copy.h"

#include "core/app.h"

namespace lark {

bool ShellFileCopy(App& app, const std::string& src, const std::string& dest, bool NoConfirm) {
  if (src.find('\0') != std::string::npos || dest.find('\0') != std::string::npos) return false;
  unsigned flags = kFofAllowUndo;
  if (NoConfirm) flags |= kFofNoConfirmation;
  // Nobody is there to answer the shell's own error or folder questions in a hidden run.
  if (app.state.hiddenRun) flags |= kFofNoConfirmation | kFofNoErrorUi | kFofNoConfirmMkDir | kFofSilent;
  return app.p.shell.FileCopy(src, dest, flags) == 0;
}

}  // namespace lark
