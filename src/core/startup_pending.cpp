// Start-up steps whose subsystems are not built yet; each does nothing until it lands.
#include "core/app.h"
#include "core/startup.h"

namespace lark {

void FirstRun(App&) {}
void oeb(App&) {}
void GetInputPaths(App&) {}
void loadup(App&) {}
void chkbox(App&) {}
void HandleCommandLine(App&) {}

}  // namespace lark
