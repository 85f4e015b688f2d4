// The program as one object: the platform it runs on, the state shared by every
// procedure, and what the procedures use of its main window. Every procedure takes the App
// it works for; the windows (WindowedApp, with the folder chooser) complete it.
#pragma once

#include <string>
#include <vector>

#include "core/main_view.h"
#include "core/run_report.h"
#include "platform/platform.h"

namespace lark {

// What a front asks of one run (a backup, a restore, a check, an export), built by the front
// when the run starts and handed to every step that needs it; nothing of it outlives the run.
// The window fills it from its check box, the command line from its switches and the stored
// setting; the engine reads no control.
struct RunOptions {
  bool overwrite = false;   // files already at the target are replaced without asking
  bool unattended = false;  // a command-line run: its outcome is the exit code, no wait on a person
  bool hidden = false;      // "/h" with it: no window, nobody to answer anything
  std::string folder;       // the backup folder as the setting held it when the run began
  bool PersonThere() const { return !(unattended && hidden); }
};

struct AppState {
  long identCount = 0;
  std::vector<std::string> identKey;
  std::vector<std::string> identName;
  std::string winVer;  // "SE", "NT", "2K", "XP" or empty
  std::string wabFile;
  std::string browseResult;
  std::string fixedDriveRoot;
  std::string commandLine;  // the program's arguments, as Windows passed them; a hidden
                            // run's (ReadSwitches(...).HiddenUnattended()) shows no window
  int exitCode = 0;         // what the process ends with when it leaves through Exit
  std::vector<std::string> unseenMessages;  // message boxes a hidden run did not show
  RunReport report;                         // of the complete backup or restore under way
  std::vector<std::string> runNotes;        // for the next backup's report (a "/g:" not used)
  std::vector<std::string> keptStores;      // live stores a restore moved aside, where to
};

class App {
 public:
  App(const Platform& platform, IMainView& form1);
  virtual ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  const Platform& p;
  AppState state;

  IMainView& Form1() { return form1_; }

 private:
  IMainView& form1_;
};

}  // namespace lark
