// "Check Backups" from the File menu or the command line's "/v".
#include <memory>

#include "ui/handlers.h"
#include "ui/windowed_app.h"

namespace lark {

void mnuCheckBackups_Click(WindowedApp& app, const RunOptions& options) {
  app.Form1().SetPanel(2, "");
  std::unique_ptr<ICheckView> view;
  if (app.makeCheckView && options.PersonThere()) view = app.makeCheckView();
  const CheckOutcome outcome = CheckBackups(app, options, view.get());
  // After "/a" on the same line, the backup's own code comes first.
  if (options.unattended && app.state.exitCode == 0) app.state.exitCode = static_cast<int>(outcome);
}

}  // namespace lark
