// The three registry exports of a complete backup, each by the registry editor.
#pragma once

#include <string>
#include <vector>

#include "fs/backup_set.h"
#include "platform/platform.h"
#include "platform/process_owner.h"

namespace lark {

class App;
class Manifest;

inline constexpr const char* kIdentitiesBranch = "HKEY_CURRENT_USER\\Identities\\";
inline constexpr const char* kIamBranch =
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Internet Account Manager\\Accounts";
inline constexpr const char* kAddressBookBranch = "HKEY_CURRENT_USER\\Software\\Microsoft\\WAB";

// An export this run started: where its file lands, the editor writing it, and where the
// previous file of that name waits until the new one is complete.
struct StartedExport {
  std::string file;  // bare name
  std::string path;  // full path
  std::string branch;
  std::string relPath;  // as the checksum list names it
  std::string aside;    // the previous file while the editor runs; "" when none was moved
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

// Each starts its export into `exports`, where the run awaits it.
void bkupallIdentities(App& app, std::vector<StartedExport>& exports);
void bkupIAM(App& app, std::vector<StartedExport>& exports);
void bkupAddBook(App& app, std::vector<StartedExport>& exports);

// Makes the folder the current drive and directory; false when it cannot be entered.
bool EnterFolder(App& app, const std::string& folder);

}  // namespace lark
