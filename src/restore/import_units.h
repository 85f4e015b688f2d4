// The three registry imports of a complete restore, each by the registry editor, awaited.
#pragma once

#include <string>
#include <vector>

#include "discovery/identity_match.h"
#include "fs/folders.h"  // IsFullPath

namespace lark {

class App;
class Manifest;

// The editor's silent import of a file of the current directory. The file name stays
// unclosed: it runs to the end of the line, as editors of every version have been given it.
// The 98 family's editor documents /C as "create the registry from this file", which would
// put the three branches of a backup in place of every setting on the machine; importing is
// every editor's default action, so "SE" goes without it.
std::string ImportCommand(const std::string& winVer, const std::string& file);

// Each imports its file from the backup `from` (the newest one, at the top of the backup
// folder, or a kept earlier one) and leaves that folder current. A unit that cannot enter
// the folder ends silently; an editor that cannot be started or awaited is named in the
// run's report; the restore goes on. True when imported.
// With `remap`, the identities that go to a live identity under another key are imported
// under that key (WriteMappedIdentities), through a scratch file beside the newest backup, at
// the top of the backup folder `top`.
bool resbkupAllIdent(App& app, const std::string& from, const std::string& top,
                     const std::vector<IdentityMatch>* remap = nullptr);  // rebuilds the table
bool resbkupIAM(App& app, const std::string& from);
bool resbkupAddBook(App& app, const std::string& from);

// Makes `folder` the current drive and directory and returns it; "" when it is no folder
// ("None Selected"), not a full path, or cannot be entered.
std::string EnterBackupFolder(App& app, const std::string& folder);

// Whether the backup's checksum list vouches for `file` of the backup folder `folder` (or the
// backup has no list, or no such file): a file it does not vouch for is named in the report
// and must not be imported.
bool ListVouchesFor(App& app, const std::string& folder, const std::string& file);
// The same with the backup's list already read (nullptr when it has none).
bool ListVouchesFor(App& app, const Manifest* list, const std::string& folder,
                    const std::string& file);

// Reads a registry file of a backup before the editor imports it: it must be a registry file
// whose every key, written or deleted, lies inside `branch`, the one branch it is for. A file
// that is not is named in the run's report, with the reason, and must not be imported. The
// caller keeps the file open for reading from before this check until the editor has ended,
// so that nobody can change it in between.
bool MayImport(App& app, const std::string& path, const std::string& file,
               const std::string& branch);

// The scratch file that carries the identities, moved to the live keys, to the editor.
inline constexpr const char* kMappedIdentitiesFile = "Larkmoor-identities.reg";

}  // namespace lark
