// Saving a registry branch as a hive file, with the backup privilege.
#pragma once

#include <string>

#include "platform/platform.h"

namespace lark {

// Switches the named privilege on in the program's own token.
bool EnablePrivilege(const Platform& p, const std::string& seName);

// Saves the branch sKeyName below lPredefinedKey into sFileName. The previous file of that
// name is replaced only once the new one has been saved: a failed save keeps it.
bool SaveKey(const Platform& p, const std::string& sKeyName, const std::string& sFileName,
             RegKey lPredefinedKey);

}  // namespace lark
