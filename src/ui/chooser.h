// The folder chooser's own procedures besides its event handlers (see ui/handlers.h).
#pragma once

#include <cstddef>
#include <string>

namespace lark {

class WindowedApp;

// The kind of drive `Drive` is, as a text. A bare letter ("C") or a letter with a colon
// ("C:") is first completed to the drive's root, in the caller's text too.
std::string DriveType(WindowedApp& app, std::string& Drive);

// The user picked a drive in the drive list.
void ChooseDrive(WindowedApp& app, const std::string& drive);
// The user double-clicked a line of the folder list (or pressed Enter on it).
void OpenFolderListItem(WindowedApp& app, std::size_t index);

}  // namespace lark
