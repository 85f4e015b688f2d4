// The event handlers of the two windows, by the names of their controls and events.
// The Win32 views call them; so do the native tests.
#pragma once

namespace lark {

class App;

// Main window.
void Form_Load(App& app);
void Form_QueryUnload(App& app, short& cancel, short unloadMode);
void cmdComplete_Click(App& app);
void cmdRestore_Click(App& app);
void chkOverwrite_Click(App& app);
void cmdExit_Click(App& app);
void addBookFile_Click(App& app);
void crtbkfldr2_Click(App& app);
void opnbkfldr_Click(App& app);
void brbkfldr_Click(App& app);
void resWAB_Click(App& app);
void Exit_Click(App& app);
void Notyet_Click(App& app);
void mnuURL_Click(App& app);

// Folder chooser.
void Form3_Load(App& app);
void Form3_QueryUnload(App& app, short& cancel, short unloadMode);
void Drive1_Change(App& app);
void Dir1_Change(App& app);
void cmdMkFolder_Click(App& app);
void cmdSetPath_Click(App& app);
void cmdClse_Click(App& app);

// Runs the handler bound to a chooser button id; false if none is.
bool DispatchChooserCommand(App& app, int id);

// Runs the handler bound to a main-window control or menu command id; false if none is.
bool DispatchMainCommand(App& app, int id);

// Unload modes of Form_QueryUnload.
constexpr short kUnloadFormControlMenu = 0;  // the window's own close control or window menu
constexpr short kUnloadFormCode = 1;         // the program closed it
constexpr short kUnloadAppWindows = 2;       // Windows is shutting down or the user logs off
constexpr short kUnloadAppTaskManager = 3;   // the task manager closed it

}  // namespace lark
