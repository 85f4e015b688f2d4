// Start-up: the main window's load procedure, run once before any command can be chosen.
#include "program/startup.h"

#include "core/quiet_user.h"
#include "core/settings.h"
#include "discovery/edition.h"
#include "discovery/identities.h"
#include "ui/schedule.h"
#include "ui/windowed_app.h"

namespace lark {

void Form_Load(WindowedApp& app) {
  FirstRun(app);
  oeb(app);
  app.Form1().SetPanel(2, "");
  app.Form1().SetPanel(1, "");
  GetInputPaths(app);
  // A scheduled run with "/h" never shows the window, not even for a moment.
  app.Form1().SetVisible(!IsHiddenUnattendedRun(app.state.commandLine));
  loadup(app);
  chkbox(app);
  HandleCommandLine(app);
  // After the switches: an "/a" run has ended the program by now, and a person is there.
  NoticeMissedRuns(app);
}

}  // namespace lark
