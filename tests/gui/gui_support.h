// Shared set-up for the GUI tests: the registry state the program starts from.
#pragma once

#include <windows.h>

#include <string>

namespace lark::gui {

// Deletes a registry branch with all its subkeys.
void DeleteTree(HKEY root, const std::string& key);
// Stores a backup folder (creating it on disk) so that start-up shows no reminder.
void SeedSettings(const std::string& folder, DWORD overwrite = 0);
// A scratch folder of the test run, created empty.
std::string ScratchFolder(const std::string& name);
// Reads a REG_SZ / REG_DWORD value of HKEY_CURRENT_USER; "" / -1 when missing.
std::string ReadText(const std::string& key, const std::string& name);
long ReadDword(const std::string& key, const std::string& name);

}  // namespace lark::gui
