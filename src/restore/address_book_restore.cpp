// "Restore Address Book": a saved address-book file, chosen by the user, copied into the
// folder of the address book in use.
#include <optional>
#include <string>

#include "core/app.h"
#include "core/registry_access.h"
#include "core/texts.h"
#include "discovery/edition.h"
#include "fs/folders.h"
#include "fs/shell_copy.h"
#include "restore/import_units.h"
#include "ui/handlers.h"

namespace lark {

namespace {
constexpr unsigned kOfnOverwritePrompt = 0x2;
}

void resWAB_Click(App& app) {
  MainWindow& f = app.Form1();
  f.SetPanel(2, "");
  // Read afresh: the address-book import may just have changed it.
  app.state.wabFile = RegistryGetKeyValue(app.p, kHkeyCurrentUser, kWabFileKey, "").AsText();
  const std::string target = DirectoryFromFile(app.state.wabFile);
  // Without a recorded address book there is no folder to copy into; a relative one would
  // land wherever the current directory happens to be.
  if (!IsFullPath(target)) return;

  OpenFileRequest request;
  request.initialDir = f.lblbkuppth().text;
  request.fileName = texts::kAddressBookOffered;
  request.filter = texts::kAddressBookFilter;
  request.flags = kOfnOverwritePrompt;
  const std::optional<std::string> chosen = app.p.user.OpenFileDialog(request);
  if (!chosen || chosen->empty()) return;  // cancelled: nothing copied, nothing reported

  if (app.state.unattended) app.state.silentCopy = true;
  ShellFileCopy(app, *chosen, target, app.state.silentCopy);
  f.SetPanel(1, texts::kAddressBookCopyComplete);
}

}  // namespace lark
