// Start-up and the command line: they may run a backup and end the program, so they sit
// above the engine and the windows.
#pragma once

namespace lark {

class WindowedApp;

// The main window's load procedure, run once before any command can be chosen.
void Form_Load(WindowedApp& app);
// The switches; may run a backup and end the program.
void HandleCommandLine(WindowedApp& app);

}  // namespace lark
