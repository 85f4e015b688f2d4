// The one way files are copied: a single copy by the Windows shell.
#pragma once

#include <string>

#include "platform/platform.h"

namespace lark {

// Copies src to dest (a folder, or the full path of the target file) with the shell's file
// operation. NoConfirm: replace existing files without asking. hiddenRun: nobody is there,
// so the shell shows no error and asks nothing either. True exactly when the shell
// reports success. A path holding a NUL character would reach the shell as a list of
// paths, so it copies nothing and gives false.
bool ShellFileCopy(const Platform& p, const std::string& src, const std::string& dest,
                   bool NoConfirm, bool hiddenRun);

}  // namespace lark
