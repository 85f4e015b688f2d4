// Turns an identity's display name into the name of its folder in the backup folder.
#pragma once

#include <string>

namespace lark {

// A name Windows accepts as a single folder name comes back unchanged. Anything else (a
// character Windows refuses in file names, a control character, an empty name, "." or "..",
// a trailing dot or blank, a device name such as CON or LPT1, more than 255 characters)
// is mended so that the result is always one plain folder name inside its parent: the
// identity's files can never land anywhere but its own folder.
std::string SafeFolderName(const std::string& displayName);

}  // namespace lark
