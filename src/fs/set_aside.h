// A file that is being replaced: the earlier one waits aside, beside it, until the new one
// has passed its checks (and is then deleted) or has failed them (and then goes back).
#pragma once

#include <string>

#include "platform/platform.h"

namespace lark {

// The name an earlier file waits under while its successor is written: beside it and no
// longer than it, so it fits wherever the file itself fits.
std::string SetAsideNameFor(const std::string& path);

// The name a file's successor is written under beside it, until it has passed its checks and
// takes the file's place in one rename. Never the set-aside name, so that whatever a run
// ended part-way leaves there is never taken for the earlier file.
std::string IncomingNameFor(const std::string& path);

// Moves the file at `path` to its set-aside name, over whatever an earlier run left there.
// Gives that name, or "" when the file could not be moved (held open by another program)
// and stays where it is.
std::string SetAside(const Platform& p, const std::string& path);

// Copies the file at `path` to its set-aside name and leaves it in place, for a successor that
// can only be written over it. The copy is made under the incoming name first, so that a copy
// ended part-way is never taken for the earlier file. Gives the set-aside name, or "" when
// no copy could be made.
std::string CopyAside(const Platform& p, const std::string& path);

// The new file failed: whatever now stands at `path` goes and the file set aside returns.
// Nothing happens when `aside` is ""; afterwards it is "".
void PutBackAside(const Platform& p, std::string& aside, const std::string& path);

// The new file is kept: the one set aside is deleted. Afterwards `aside` is "".
void DropAside(const Platform& p, std::string& aside);

}  // namespace lark
