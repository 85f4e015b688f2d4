// The three registry imports of a complete restore, each by the registry editor, awaited.
#pragma once

#include <string>

#include "fs/folders.h"  // IsFullPath

namespace lark {

class App;

// The editor's silent import of a file of the current directory. The file name stays
// unclosed: it runs to the end of the line, as editors of every version have been given it.
// The 98 family's editor documents /C as "create the registry from this file", which would
// put the three branches of a backup in place of every setting on the machine; importing is
// every editor's default action, so "SE" goes without it.
std::string ImportCommand(const std::string& winVer, const std::string& file);

// Each imports its file from the backup folder and leaves that folder current. A unit that
// cannot enter the folder or start the editor ends silently; the restore goes on.
void resbkupAllIdent(App& app);  // also rebuilds the identity table from what it imported
void resbkupIAM(App& app);
void resbkupAddBook(App& app);

// Reads a registry file of a backup before the editor imports it: it must be a registry file
// whose every key, written or deleted, lies inside `branch`, the one branch it is for. A file
// that is not is named in the run's report, with the reason, and must not be imported. The
// caller keeps the file open for reading from before this check until the editor has ended,
// so that nobody can change it in between.
bool MayImport(App& app, const std::string& path, const std::string& file,
               const std::string& branch);

// Makes the stored backup folder the current drive and directory and returns it; "" when
// no folder is set, the setting is not a full path, or the folder cannot be entered.
std::string EnterBackupFolder(App& app);

}  // namespace lark
