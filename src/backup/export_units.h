// The three registry exports of a complete backup, each by the registry editor.
#pragma once

#include <string>
#include <vector>

#include "fs/backup_layout.h"
#include "fs/backup_set.h"
#include "platform/platform.h"
#include "platform/process_owner.h"

namespace lark {

class App;
class Manifest;

// The editor's wait before an export is rewritten; an export still being written after
// this long is left as it is rather than rewritten under its writer.
inline constexpr unsigned kExportWaitMs = 5 * 60 * 1000;

// An export this run started: where its file lands, the editor writing it, and where the
// previous file of that name waits until the new one is complete.
struct StartedExport {
  std::string file;  // bare name
  std::string path;  // full path
  std::string branch;
  bool doubled = false;  // the identities branch was given with its final backslash doubled
  std::string relPath;   // as the checksum list names it
  std::string aside;     // the previous file while the editor runs; "" when none was moved
  bool hadPrevious = false;
  FileInfo previous;  // of a previous file that stayed in place (read-only, in use)
  bool started = false;
  ProcessOwner editor;
};

// Sets the previous file aside (a file held open by another program stays where it is) and
// starts the editor on the branch in `folder` (the current directory, where it is started).
StartedExport StartExport(App& app, const std::string& folder, const std::string& file,
                          const std::string& branch, const std::string& relPath);

// Awaits the editor and checks that the file is this run's; rewrites it, lists its checksum
// and deletes the previous file. Otherwise the previous file goes back and the export is
// named in problems. The identities export gets its second try here.
void FinishExport(App& app, StartedExport& e, Manifest& manifest,
                  std::vector<std::string>& problems);

// The registry editor's export command for the current edition; "" when it has none.
std::string ExportCommand(const std::string& winVer, const std::string& file,
                          const std::string& branch);

// Each starts its export into the folder `target` (the run's staged backup) and into
// `exports`, where the run awaits it; with no target (no backup folder set), each reminds the
// user.
void bkupallIdentities(App& app, std::vector<StartedExport>& exports, const std::string& target);
void bkupIAM(App& app, std::vector<StartedExport>& exports, const std::string& target);
void bkupAddBook(App& app, std::vector<StartedExport>& exports, const std::string& target);

}  // namespace lark
