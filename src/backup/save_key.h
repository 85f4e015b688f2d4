// Saving a registry branch as a hive file, with the backup privilege.
#pragma once

#include <string>

#include "platform/platform.h"

namespace lark {

class App;

// Switches the named privilege on in the program's own token.
bool EnablePrivilege(App& app, const std::string& seName);

// Saves the branch sKeyName below lPredefinedKey into sFileName. The previous file of that
// name is replaced only once the new one has been saved: a failed save keeps it.
bool SaveKey(App& app, const std::string& sKeyName, const std::string& sFileName,
             RegKey lPredefinedKey);

}  // namespace lark
