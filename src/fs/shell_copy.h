// The one way files are copied: a single copy by the Windows shell.
#pragma once

#include <string>

namespace lark {

class App;

// Copies src to dest (a folder, or the full path of the target file) with the shell's file
// operation. NoConfirm: replace existing files without asking. True exactly when the shell
// reports success.
bool ShellFileCopy(App& app, const std::string& src, const std::string& dest,
                   bool NoConfirm = false);

}  // namespace lark
