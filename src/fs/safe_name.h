// Turns an identity's display name into the name of its folder in the backup folder.
#pragma once

#include <string>
#include <vector>

namespace lark {

// A name Windows accepts as a single folder name comes back unchanged. Anything else (a
// character Windows refuses in file names, a control character, an empty name, "." or "..",
// a trailing dot or blank, a device name such as CON or LPT1, more than 255 characters)
// is mended so that the result is always one plain folder name inside its parent: the
// identity's files can never land anywhere but its own folder.
std::string SafeFolderName(const std::string& displayName);

// Whether Windows takes the name for a device (CON, NUL, COM1 ..., whatever the extension):
// a file of that name can be made only by other means, and opening it by name opens the
// device.
bool IsDeviceName(const std::string& name);

// The folder of each identity in the backup folder, for the names and keys of the identity
// table in table order: its SafeFolderName, unless another identity's name gives the same
// folder (folder names are equal whatever their letter case; blank, empty and unread names
// all give "_"), or the name is that of the earlier backups' folder. Then each of those identities'
// folders carries a blank and its key after the name, so that no identity's files can replace
// another's. Backup and restore both find an identity's folder by this rule.
std::vector<std::string> IdentityFolderNames(const std::vector<std::string>& names,
                                             const std::vector<std::string>& keys);

}  // namespace lark
