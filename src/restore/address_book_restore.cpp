// "Restore Address Book": a saved address-book file, chosen by the user, copied into the
// folder of the address book in use.
#include <cctype>
#include <memory>
#include <optional>
#include <string>

#include "core/app.h"
#include "core/run_report.h"
#include "core/texts.h"
#include "discovery/edition.h"
#include "discovery/mail_client.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/shell_copy.h"
#include "fs/text.h"
#include "restore/complete_restore.h"
#include "restore/import_units.h"

namespace lark {

namespace {
constexpr unsigned kOfnOverwritePrompt = 0x2;

}  // namespace

void resWAB_Click(App& app, const RunOptions& options, const std::string* restoring) {
  IMainView& f = app.Form1();
  if (!restoring) {
    app.state.report = RunReport();
    if (!WaitForMailClientClosed(app.p.user)) return;
  }
  f.SetPanel(2, "");
  // Read afresh: the address-book import may just have changed it.
  app.state.wabFile = AddressBookPath(app.p);
  const std::string target = DirectoryFromFile(app.state.wabFile);
  // Without a recorded address book there is no folder to copy into; a relative one would
  // land wherever the current directory happens to be.
  if (!IsFullPath(target)) return;

  // Within a restore, the backup it reads from (a kept one, perhaps) holds the address book.
  const std::string& folder = restoring && !restoring->empty() ? *restoring : options.folder;
  OpenFileRequest request;
  request.initialDir = folder;
  request.fileName = texts::kAddressBookOffered;
  request.filter = texts::kAddressBookFilter;
  request.flags = kOfnOverwritePrompt;
  const std::optional<std::string> chosen = app.p.user.OpenFileDialog(request);
  if (!chosen || chosen->empty()) return;  // cancelled: nothing copied, nothing reported

  // A file chosen inside the backup folder is checked against the backup's list like the
  // stores; one from elsewhere is the user's own choice and is copied as it is.
  const std::string prefix = folder + "\\";
  const std::string destination = target + NameFromFullPath(*chosen);
  bool mayCopy = true;
  if (IsFullPath(folder) && chosen->size() > prefix.size() && StartsWithName(*chosen, prefix)) {
    const std::unique_ptr<Manifest> manifest = BackupManifest(app.p.files, folder);
    mayCopy = MayPutBack(app, manifest.get(), *chosen, chosen->substr(prefix.size()), destination);
  }
  if (mayCopy) {
    // Nobody asked: the address book in use stays until the copy is whole.
    const bool copied = options.overwrite ? PutBack(app, Vouch::Good, *chosen, destination)
                                          : AskedPutBack(app, *chosen, target, destination);
    if (copied) app.state.report.done.push_back(texts::AddressBookRestored(destination));
  }
  f.SetPanel(1, texts::kAddressBookCopyComplete);
  // On its own, the command reports at once; within a complete restore, at its end.
  if (!restoring)
    CloseRun(app, options, texts::kRestoreProblemsIntro, texts::kReportOfAddressBookRestore,
             kRestoreReportFile, std::string(), kNoExitCode);
}

}  // namespace lark
