// The File menu's backup-folder commands besides their handlers (see ui/handlers.h).
#pragma once

#include <cstdint>
#include <string>

namespace lark {

class WindowedApp;

// The shell's folder browser, owned by hwnd: the chosen folder's path, or "" when the user
// cancels or picks an item that is no file-system folder.
std::string BrowseForFolder(WindowedApp& app, std::uintptr_t hwnd);

}  // namespace lark
