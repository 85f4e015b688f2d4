// The complete backup: registry exports, their rewrite, the address book, and every
// identity's message store and signatures.
#pragma once

#include <string>
#include <vector>

namespace lark {

class App;
struct RunOptions;
class Manifest;

// How a complete backup ended; also the exit code of an unattended run.
enum class BackupOutcome {
  Complete = 0,              // ran to its end, everything written
  NoBackupFolder = 1,        // no backup folder is set
  BadFolderArgument = 2,     // the backup folder ("/b:" or stored) could not be made or entered
  IdentitiesUnreadable = 3,  // HKEY_CURRENT_USER\Identities could not be opened
  CompleteWithProblems = 4,  // ran to its end, but some parts could not be written
  StoreLooksDamaged = 5,     // backed up, but a store looks damaged; earlier backups were kept
  Stopped = 6,  // stopped before its end (memory ran out); earlier backups as they were
};

// The complete backup, as the main window's button and the command line's "/a" ask for it,
// into options.folder.
void CompleteBackup(App& app, const RunOptions& options);
// The File menu's address-book backup and the command line's "/w".
void addBookFile_Click(App& app, const RunOptions& options);

// "Backup Address Book" (addBookFile_Click); false when the file could not be copied. Within
// a complete backup it goes into the run's staged backup (`target`), its checksum into the
// run's list and its problems into the run's; on its own it goes to the top of the backup
// folder and updates the address book's line of the folder's list. A file already there is
// replaced without asking when the run overwrites or is unattended.
bool BackupAddressBookFile(App& app, const RunOptions& options, Manifest* runManifest = nullptr,
                           std::vector<std::string>* runProblems = nullptr,
                           const std::string& target = "");

}  // namespace lark
