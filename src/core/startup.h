// The steps of start-up, each owned by its subsystem.
#pragma once

namespace lark {

class App;

void FirstRun(App& app);          // creates the settings key with defaults on a first run
void oeb(App& app);               // the backup-folder line, with its reminder
void GetInputPaths(App& app);     // identity discovery
void loadup(App& app);            // the edition and the backup-folder line again
void chkbox(App& app);            // the overwrite option into the check box
void HandleCommandLine(App& app); // the switches; may run a backup and end the program

}  // namespace lark
