// The shell copy: one SHFileOperationA request per call.
#include "fs/shell_copy.h"

namespace lark {

bool ShellFileCopy(const Platform& p, const std::string& src, const std::string& dest,
                   bool NoConfirm, bool hiddenRun) {
  if (src.find('\0') != std::string::npos || dest.find('\0') != std::string::npos) return false;
  unsigned flags = kFofAllowUndo;
  if (NoConfirm) flags |= kFofNoConfirmation;
  // Nobody is there to answer the shell's own error or folder questions in a hidden run.
  if (hiddenRun) flags |= kFofNoConfirmation | kFofNoErrorUi | kFofNoConfirmMkDir | kFofSilent;
  return p.shell.FileCopy(src, dest, flags) == 0;
}

}  // namespace lark
