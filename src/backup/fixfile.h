// Rewrites an exported registry file so that its key lines carry single separators.
#pragma once

#include <string>

#include "platform/platform.h"

namespace lark {

enum class FixResult {
  Unchanged,  // nothing to collapse: the file was left exactly as it was
  Rewritten,  // the new text replaced the old file in one step
  Missing,    // no such file: nothing was created
  Failed,     // could not be read, written or replaced: the old file is kept whole
};

// The registry editor doubles the separator in key lines when the branch it was given
// ends in a backslash ([HKEY_CURRENT_USER\Identities\\{...}]). Each run of backslashes in a
// key line (a line that starts with "[") is halved, a pair becoming one; value lines, where
// a doubled backslash is the editor's escape for one, are never touched. Single-byte files
// and UTF-16LE files with their byte-order mark are both handled, a block at a time.
FixResult fixfile(const Platform& p, const std::string& FileName);

}  // namespace lark
