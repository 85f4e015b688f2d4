// Every text the user sees, spelled once. Blanks and spelling are exactly as shown to
// users of earlier versions, including the ones that look odd ("Adress", trailing blanks).
#pragma once

// The input box's buttons. Macros, because the resource script that lays the box out reads
// them too; everything below is C++ and hidden from it.
#define LARK_TEXT_INPUT_OK "OK"
#define LARK_TEXT_INPUT_CANCEL "Cancel"

#ifndef RC_INVOKED

#include <cstdint>
#include <string>

#ifndef LARK_VERSION_STRING
#define LARK_VERSION_STRING "1.0.0"
#endif
#ifndef LARK_HOME_PAGE
#define LARK_HOME_PAGE "http://larkmoor.example.org/"
#endif

namespace lark::texts {

// The application's own title, used by message boxes that have no title of their own.
inline constexpr const char* kAppTitle = "Larkmoor";
inline constexpr const char* kHomePage = LARK_HOME_PAGE;
inline constexpr const char* kVersion = LARK_VERSION_STRING;

// ---- main window ----
inline constexpr const char* kMainCaption = "Outlook Express Larkmoor Backup";
inline constexpr const char* kLabel1 = "Number Of Identities:";
inline constexpr const char* kLabel2Initial = "0";
inline constexpr const char* kLabel2Tip = "Total number of Identities in Registry.";
inline constexpr const char* kLblbkip = "Backup Folder";
inline constexpr const char* kLblbkipTip = "Path to folder used for backup.";
inline constexpr const char* kCmdComplete = "Complete Backup ";
inline constexpr const char* kCmdRestore = "Complete Restore";
inline constexpr const char* kChkOverwrite = "Check here to overwrite backed up files.";
inline constexpr const char* kCmdExit = "&Exit";
inline constexpr const char* kCmdExitTip = "Exit the program.";
inline constexpr const char* kMenuFile = "&File";
inline constexpr const char* kMenuAddBookFile = "Backup Address Book";
inline constexpr const char* kMenuCrtbkfldr2 = "Make A New Backup Folder";
inline constexpr const char* kMenuOpnbkfldr = "Open Backup Folder";
inline constexpr const char* kMenuBrbkfldr = "Set Existing Folder As Backup";
inline constexpr const char* kMenuResWAB = "Restore Address Book";
inline constexpr const char* kMenuExit = "E&xit";
inline constexpr const char* kMenuHelp = "&Help";
inline constexpr const char* kMenuNotyet = "Not Available Yet";
inline constexpr const char* kMenuUrlPrefix = "See: ";
inline constexpr const char* kOpenVerb = "Open";  // how the web-site item asks for the page
inline std::string MenuUrlCaption() { return std::string(kMenuUrlPrefix) + kHomePage; }

// ---- settings and start-up ----
inline constexpr const char* kNoneSelected = "None Selected";
inline constexpr const char* kFirstRunReminder =
    "Please select a backup folder or create one from the Tools menu.";
// The same reminder as the accounts export has always worded it: a blank, no full stop.
inline constexpr const char* kFirstRunReminderIam =
    "Please select a backup folder or create one from the Tools menu ";
inline constexpr const char* kSelectFolderReminder =
    "Please Select A Backup Folder Before Proceeding Further";
inline constexpr const char* kCreateKeyFailed =
    "Error opening or creating registry key -- aborting.";

// ---- complete backup ----
inline constexpr const char* kAdressBookBackupComplete = "Adress Book Backup Complete";
inline constexpr const char* kBackupComplete = "Backup Complete";
inline constexpr const char* kIdentitiesBackedUp = " Identities Backed Up";
inline constexpr const char* kAddressBookCopyComplete = " Address Book Copy Complete";
inline constexpr const char* kRunOutlookExpressOnce =
    "You will need to run Outlook Express at least one time.";
inline std::string RegistryReadError(long code, const std::string& what) {
  return "Registry read error " + std::to_string(code) + what;
}
inline constexpr const char* kBackupProblemsIntro =
    "The backup finished, but some of it could not be written:";
inline std::string FileNotCopied(const std::string& path) {
  return "- " + path + " was not copied.";
}
inline std::string FileNotCopiedInto(const std::string& path, const std::string& folder) {
  return "- " + path + " was not copied into the folder \"" + folder + "\".";
}
inline std::string ExportNotFinished(const std::string& file) {
  return "- " + file + ": the registry editor did not finish in time; the file was left as it was.";
}
inline std::string ExportNotAwaited(const std::string& file) {
  return "- " + file +
         ": the end of the registry editor could not be waited for; the file was left as it "
         "was.";
}
inline std::string ExportNotRewritten(const std::string& file) {
  return "- " + file + ": could not be rewritten; the previous file, if any, was kept.";
}
inline std::string ExportNotReplaced(const std::string& file) {
  return "- " + file +
         ": the registry editor could not write a new file (the old one is "
         "read-only or in use); the previous file was kept and is not this backup's.";
}
inline std::string ExportNotStarted(const std::string& file) {
  return "- " + file + ": the registry editor could not be started; nothing was exported.";
}
inline std::string HiveNotSaved(const std::string& file) {
  return "- " + file + ": the signatures could not be saved; the previous file, if any, was kept.";
}
inline std::string SourceChanged(const std::string& path) {
  return "- " + path +
         " changed while it was copied, so its copy would not be usable. Close "
         "Outlook Express and run the backup again.";
}
inline std::string CopyIncomplete(const std::string& path) {
  return "- " + path +
         " was not copied completely (the backup disk may be full); the earlier "
         "copy, if any, was kept.";
}
inline std::string CopyNotChecked(const std::string& path) {
  return "- " + path + ": its copy could not be read back to compute its checksum.";
}
inline constexpr const char* kManifestNotWritten =
    "- the checksum list Larkmoor.sha256 could not be written.";
inline constexpr const char* kMailClientRunningDuringBackup =
    "Note: Outlook Express was running during the backup; a message store it wrote to while "
    "it was copied is named below.";
inline std::string IdentityBackedUp(const std::string& name, const std::string& folder, long files,
                                    unsigned long long bytes) {
  return "Identity \"" + name + "\" (folder \"" + folder + "\"): " + std::to_string(files) +
         " files, " + std::to_string(bytes) + " bytes";
}
inline std::string ExportWritten(const std::string& file) {
  return "Registry export " + file + ": written";
}
inline std::string IdentityFolderNotCreated(const std::string& name) {
  return "- the identity folder \"" + name + "\" could not be created or opened.";
}
inline std::string BackupFolderUnavailable(const std::string& folder) {
  return "- the backup folder \"" + folder + "\" could not be opened.";
}
inline std::string ExportNotWritten(const std::string& file) {
  return "- " + file + ": the registry editor wrote no file.";
}
inline std::string NoStoreFolderRecorded(const std::string& identity) {
  return "- the identity \"" + identity +
         "\" has no usable message store folder recorded; its messages were not backed up.";
}
inline std::string StoreFolderNotFound(const std::string& identity, const std::string& store) {
  return "- the message store folder \"" + store + "\" of the identity \"" + identity +
         "\" was not found; its messages were not backed up.";
}
inline std::string BackupFolderNotOpened(const std::string& folder) {
  return "The backup folder \"" + folder + "\" could not be opened. Nothing was backed up.";
}
// ---- the backups a folder keeps ----
inline std::string NotMoved(const std::string& from, const std::string& to) {
  return "- \"" + from + "\" could not be moved to \"" + to + "\".";
}
inline std::string NotRemoved(const std::string& path) {
  return "- \"" + path + "\" could not be removed; the next backup tries again.";
}
inline std::string NotCreated(const std::string& path) {
  return "- \"" + path + "\" could not be created.";
}
inline std::string NewBackupKeptAside(const std::string& kept) {
  return "- this backup could not be put in the place of the previous one, which stays at the "
         "top of the backup folder; this backup is kept in \"" +
         kept + "\".";
}
inline std::string BackupBusy(const std::string& folder) {
  return "Another backup into the backup folder \"" + folder +
         "\" is running. Nothing was backed up; try again when it has ended.";
}
inline std::string RestoreBusy(const std::string& folder) {
  return "Another run is using the backup folder \"" + folder +
         "\". Nothing was restored; try again when it has ended.";
}
inline std::string KeptBackupsLine(const std::string& list) {
  return "Earlier backups kept: " + (list.empty() ? std::string("none") : list);
}
inline std::string LetGoLine(const std::string& list) { return "Let go (oldest): " + list; }
inline constexpr const char* kNothingLetGo =
    "No earlier backup was let go: this run reported something.";
inline std::string GenerationsNotUsed(const std::string& given, unsigned used) {
  return "Note: \"" + given + "\" was not used: the number of backups to keep must be 1 to 99; " +
         std::to_string(used) + (used == 1 ? " backup is kept." : " backups are kept.");
}
// ---- the store check ----
inline constexpr const char* kStoreFindingsIntro =
    "The backup finished, but a message store looks damaged; every earlier backup was kept:";
inline std::string StoreNotAStore(const std::string& what) {
  return "- " + what +
         " does not look like an Outlook Express message store (its first bytes are wrong or it "
         "is too short).";
}
inline std::string StoreCutShort(const std::string& what) {
  return "- " + what +
         " is shorter than its own header says: it was cut short, and messages at its end may be "
         "lost.";
}
inline std::string StoreIndexOutside(const std::string& what) {
  return "- " + what +
         ": its message index is not where the store says it is; the store looks "
         "damaged.";
}
inline std::string StoreNearLimit(const std::string& what, unsigned long long megabytes) {
  return "- " + what + " is " + std::to_string(megabytes) +
         " MB: Outlook Express damages stores near 2 GB. Compact it, or move old messages into "
         "another folder, now.";
}
inline std::string StoreOverLimit(const std::string& what) {
  return "- " + what + " is 2 GB or more: Outlook Express has probably damaged it already.";
}
inline std::string StoreCountFell(const std::string& what, unsigned long now,
                                  unsigned long before) {
  return "- " + what + " holds " + std::to_string(now) + " messages, fewer than half of the " +
         std::to_string(before) + " in the previous backup: messages may have been lost.";
}
inline std::string StoreOf(const std::string& file, const std::string& identity) {
  return file + " of the identity \"" + identity + "\"";
}
inline std::string BadFolderArgument(const std::string& folder) {
  return "The backup folder \"" + folder +
         "\" given on the command line could not be created "
         "or opened. Nothing was backed up.";
}

// ---- a command that could not go on ----
inline constexpr const char* kRunStoppedIntro = "The run stopped before its end:";
inline constexpr const char* kOutOfMemory = "there was not enough memory";
inline constexpr const char* kUnexpectedError = "an unexpected error occurred";
inline std::string RunStopped(const std::string& reason) {
  return "- " + reason +
         ". What it had finished is kept, and the backups made before are as they were; run it "
         "again to complete it.";
}

// ---- the run reports in the backup folder ----
inline constexpr const char* kReportOfBackup = "complete backup";
inline constexpr const char* kReportOfRestore = "complete restore";
inline constexpr const char* kReportOfAddressBookRestore = "address book restore";
inline std::string ReportHeading(const std::string& what, const std::string& when,
                                 const std::string& folder) {
  return std::string(kAppTitle) + " " + kVersion + " - " + what + ", " + when +
         "\r\nBackup folder: " + folder + "\r\n\r\n";
}
inline constexpr const char* kReportAllWell = "Nothing went wrong.";
inline std::string ReportExitCode(int code) { return "Exit code: " + std::to_string(code); }

// ---- Outlook Express running ----
inline constexpr const char* kMailClientWindowClass = "Outlook Express Browser Class";
inline constexpr const char* kCloseMailClient =
    "Outlook Express is running. Please close it, then press Retry.\r\n\r\nPress Cancel to stop "
    "without changing anything.";

// ---- folder chooser ----
inline constexpr const char* kChooserCaption = "Select or Create a Backup Folder";
inline constexpr const char* kChooserLabel7 = "Select Drive";
inline constexpr const char* kLblSelFolder = "Folder List";
inline constexpr const char* kLblFilesNFolder = "Files in folder:";
inline constexpr const char* kDrive1Tip = "Select a drive.";
inline constexpr const char* kDir1Tip =
    "Navigate to location to create folder or select a previously created folder as backup "
    "folder.";
inline constexpr const char* kFile1Tip = "Shows files in current folder.";
inline constexpr const char* kCmdMkFolder = "Create New Backup Folder";
inline constexpr const char* kCmdMkFolderTip = "Click to create a new folder.";
inline constexpr const char* kCmdSetPath = "Set Selected  Folder As Backup";
inline constexpr const char* kCmdSetPathTip =
    "Click here to make the current folder selected as backup folder.";
inline constexpr const char* kLblbkPth = "Backup Folder";
inline constexpr const char* kTxtbkPthTip = "Path and name of folder.";
inline constexpr const char* kChooserLabel1 = "1) Select Drive ";
inline constexpr const char* kChooserLabel2 =
    "2a) Double Click Folder In Folder List To Select It.";
inline constexpr const char* kChooserLabel6 = "OR";
inline constexpr const char* kChooserLabel3 =
    "2b) Press Create Folder and type in path and name of folder to create";
inline constexpr const char* kChooserLabel4 =
    "3) Press Set Folder to make this the backup folder. Path and Folder name will appear in "
    "Backup Folder line.";
inline constexpr const char* kChooserLabel5 = "4) Press Close when finished";
inline constexpr const char* kCmdClse = "Close";
inline constexpr const char* kCmdClseTip = "Close this window.";
inline constexpr const char* kEnterFolderName = "Enter folder name";
inline constexpr const char* kRemovableDrive = "Removable Drive";
inline constexpr const char* kFixedDrive = "Fixed Drive";
inline constexpr const char* kRemoteDrive = "Remote Drive";
inline constexpr const char* kCdRom = "CD-ROM";
inline constexpr const char* kRamDisk = "RAM Disk";
inline constexpr const char* kDriveDoesntExist = "Drive Doesn't Exist";
inline std::string DriveCannotBeRead(const std::string& drive) {
  return "The drive " + drive + " cannot be read. Insert a disk or choose another drive.";
}
inline std::string FolderCannotBeOpened(const std::string& folder) {
  return "The folder " + folder + " cannot be opened.";
}

// ---- backup folder commands ----
inline constexpr const char* kBrowseTitle = "Select a directory";
inline constexpr const char* kBackupFolderNotSet = "Backup Folder Has Not Been Set";
inline constexpr const char* kExploreVerb = "Explore";

// ---- registry value access ----
inline constexpr const char* kRegistryGetKeyValueTitle = "RegistryGetKeyValue";
inline std::string ErrorMessage(long number, const std::string& description) {
  return "Error: " + std::to_string(number) + ". " + description;
}

// ---- complete restore ----
inline constexpr const char* kAllIdentitiesImportComplete = "All Identities Import Complete";
inline constexpr const char* kIamImportComplete = "Internet Accounts Manager Import Complete";
inline constexpr const char* kAddressBookImportComplete = "Address Book Import Complete";
inline constexpr const char* kEntryRestoreComplete = " Restore Complete";  // after a file name
inline constexpr const char* kRestoreComplete = "Restore Complete";
inline constexpr const char* kAddressBookOffered = "AddressBook.WAB";
inline constexpr const char* kAddressBookFilter = "Address Book (*.WAB) | *.WAB";
inline constexpr const char* kRestoreProblemsIntro =
    "The restore finished, but some of it could not be put back:";
inline std::string RestoreFolderUnavailable(const std::string& folder) {
  return "- the backup folder \"" + folder +
         "\" could not be opened; no message store was "
         "restored.";
}
inline std::string RestoreIdentityFolderUnreadable(const std::string& name) {
  return "- the identity folder \"" + name + "\" could not be opened or read.";
}
inline std::string RestoreNoStoreFolder(const std::string& identity) {
  return "- the identity \"" + identity +
         "\" has no usable message store folder recorded; its "
         "files were not put back.";
}
inline std::string RestoreFileNotCopied(const std::string& target) {
  return "- " + target + " was not put back.";
}
inline std::string RestoreChecksumMismatch(const std::string& file, const std::string& target) {
  return "- " + file + " is damaged (its checksum does not match the one the backup wrote); " +
         target + " was left as it was.";
}
inline std::string RestoreNotVouched(const std::string& file, const std::string& target) {
  return "- " + file +
         " is not in the backup's checksum list (that backup could not write it, "
         "or it was put there later); " +
         target + " was left as it was.";
}
inline std::string RestoreImportSkipped(const std::string& file, bool listed) {
  return "- " + file +
         (listed ? " is damaged (its checksum does not match)"
                 : " is not in the backup's checksum list") +
         "; it was not imported.";
}
inline std::string RegFileNotRegistryFile(const std::string& file) {
  return "- " + file + " is not a registry file as a backup writes it; it was not imported.";
}
inline std::string RegFileValueBeforeKey(const std::string& file) {
  return "- " + file +
         " holds a value that belongs to no registry key, which a backup never writes; it was "
         "not imported.";
}
inline std::string RegFileKeyOutside(const std::string& file, const std::string& key,
                                     const std::string& branch, bool deletes) {
  return "- " + file +
         (deletes ? " would delete the registry key \"" : " would change the registry key \"") +
         key + "\", which is not part of what this file may restore (" + branch +
         "); it was not imported.";
}
inline std::string RegFileUnreadable(const std::string& file) {
  return "- " + file + " could not be read; it was not imported.";
}
inline std::string ImportNotStarted(const std::string& file) {
  return "- " + file + ": the registry editor could not be started; it was not imported.";
}
inline std::string ImportNotEnded(const std::string& file) {
  return "- " + file +
         ": the registry editor did not end while the restore waited for it; it may not have "
         "been imported completely.";
}
inline std::string RestoreMailClientStarted(const std::string& identity) {
  return "- Outlook Express was started during the restore; the message stores of the identity \"" +
         identity + "\" were not put back.";
}
inline std::string ImportDone(const std::string& file) {
  return "Registry file " + file + ": imported";
}
inline std::string AddressBookRestored(const std::string& file) {
  return "Address book " + file + ": put back";
}
inline std::string IdentityRestored(const std::string& name, long files) {
  return "Identity \"" + name + "\": " + std::to_string(files) + " files put back";
}
inline std::string RestoreStoreNotCreated(const std::string& store) {
  return "- the message store folder \"" + store + "\" could not be created.";
}
inline std::string RestoredFromKept(const std::string& folder) {
  return "Restored from the earlier backup in \"" + folder + "\"";
}

// ---- restore selected ----
inline constexpr const char* kMenuResSel = "Restore Selected";
inline constexpr const char* kReportOfSelectedRestore = "selected restore";
inline constexpr const char* kSelectedRestoreDone = "The selected restore finished:";
inline std::string StoreRestored(const std::string& target) {
  return "Message store " + target + ": put back";
}
inline std::string SettingsRestored(const std::string& identity) {
  return "Identity \"" + identity + "\": its settings, rules and signatures imported";
}
inline std::string SettingsNotInBackup(const std::string& identity) {
  return "- the backup holds no settings of the identity \"" + identity +
         "\" (AllIdentities.reg is missing); nothing was imported.";
}
inline std::string SettingsNotWritten(const std::string& identity) {
  return "- the settings of the identity \"" + identity +
         "\" could not be taken out of AllIdentities.reg into a file for the registry editor "
         "(is the backup folder writable?); they were not imported.";
}
inline std::string SettingsNotImported(const std::string& identity) {
  return "- the registry editor could not import the settings of the identity \"" + identity +
         "\".";
}
inline constexpr const char* kAccountsNotRestored = "- the mail accounts were not imported.";
inline constexpr const char* kAddressBookNotRestored = "- the address book was not put back.";
inline std::string StoreNoFolder(const std::string& identity, const std::string& file) {
  return "- " + file + " of the identity \"" + identity +
         "\": no message store folder is recorded for it; it was not put back.";
}
inline std::string StoreMailClientRunning(const std::string& target) {
  return "- Outlook Express was started during the restore; " + target + " was not put back.";
}
inline std::string RestoreCopyFailed(const std::string& target, bool hadLive) {
  return "- the copy of " + target +
         " failed its check (it is not the size of the backup's copy); " +
         (hadLive ? "the live file was left as it was." : "nothing was put there.");
}

// The dialog of "Restore Selected". Its fixed texts are read by the resource script too.
inline constexpr const char* kSelectedCaption = "Restore Selected";
inline std::string SelectedIntro(const std::string& made, const std::string& folder) {
  return (made.empty() ? std::string("The backup") : "The backup of " + made) + " in \"" + folder +
         "\". Tick what to put back (the space bar ticks the selected line); everything else "
         "stays as it is now.";
}
inline constexpr const char* kColumnItem = "Item";
inline constexpr const char* kColumnSize = "Size";
inline constexpr const char* kColumnDate = "Date of the copy";
inline constexpr const char* kColumnNote = "Note";
inline std::string SettingsItem(const std::string& identity) {
  return "Identity \"" + identity + "\": settings, rules, signatures";
}
inline constexpr const char* kAccountsItem = "Mail accounts";
inline std::string AddressBookItem(const std::string& wab) {
  return wab.empty() ? std::string("Address book (registry settings)")
                     : "Address book (registry settings and " + wab + ")";
}
inline std::string LiveStoreNote(const std::string& store, bool newer, bool larger) {
  return "the live " + store + " is " +
         (newer && larger ? "newer and larger"
          : newer         ? "newer"
                          : "larger") +
         " than this copy: what arrived since will be lost";
}
inline constexpr const char* kNotVerifiedNote =
    "damaged: does not match the backup's checksum list; cannot be restored";
inline constexpr const char* kCheckingNote = "being checked against the backup's checksum list...";
inline constexpr const char* kNotListedNote =
    "not in the backup's checksum list; cannot be restored";
inline constexpr const char* kGoneIdentityNote =
    "no longer exists here: tick it and its stores to restore it whole";
inline constexpr const char* kNoLiveStoreNote = "no live copy: it will be put back";
inline constexpr const char* kNoSettingsNote = "the backup holds no settings of this identity";

// The backup chooser, shown before a restore when the backup folder keeps several backups.
inline constexpr const char* kChooserBackupCaption = "Choose a Backup to Restore";
inline constexpr const char* kChooserBackupIntro =
    "The backup folder keeps these backups. Choose the one to restore from; the newest is "
    "selected. Every file is checked against its backup's checksum list before it is put back.";
inline constexpr const char* kColumnMade = "Made";
inline constexpr const char* kColumnIdentities = "Identities";
inline constexpr const char* kColumnList = "Checksum list";
inline constexpr const char* kColumnCheck = "Store check";
inline constexpr const char* kMadeUnknown = "(date unknown)";
inline constexpr const char* kNewestSuffix = " (newest)";
inline constexpr const char* kNoChecksumList = "no checksum list";
inline std::string ListStateText(std::size_t files, std::size_t missing) {
  return missing == 0
             ? "all " + std::to_string(files) + " files there (checked as they are restored)"
             : std::to_string(missing) + " of " + std::to_string(files) + " files missing";
}
inline constexpr const char* kStoreCheckUnknown = "not recorded";
inline constexpr const char* kStoreCheckClean = "nothing found";
inline std::string StoreCheckFound(const std::string& first, std::size_t count) {
  return count == 1 ? first : first + " (and " + std::to_string(count - 1) + " more)";
}

// ---- Check Backups ----
inline constexpr const char* kMenuCheckBackups = "Check Backups";
inline constexpr const char* kCheckCaption = "Check Backups";
inline constexpr const char* kReportOfCheck = "check of the backups";
inline constexpr const char* kCheckIntro =
    "Every file of every backup is read and compared with its backup's checksum list. Nothing "
    "is changed.";
inline constexpr const char* kCheckFinished = "The check of the backups finished:";
inline constexpr const char* kCheckCancelledIntro =
    "The check of the backups was cancelled; what it found until then:";
inline constexpr const char* kCheckCancelledLine =
    "The check was cancelled before its end: files not yet read were not judged.";
inline constexpr const char* kCheckFaultsIntro = "Files of the backups are missing or damaged:";
inline std::string CheckBackupLabel(const std::string& made, bool newest) {
  return "Backup of " + made + (newest ? " (the newest, at the top of the backup folder)" : "");
}
inline std::string CheckAllMatch(const std::string& backup, std::size_t files) {
  return backup + ": all " + std::to_string(files) + " files match";
}
inline std::string CheckSomeFaulty(const std::string& backup, std::size_t faulty,
                                   std::size_t files) {
  return backup + ": " + std::to_string(faulty) + " of " + std::to_string(files) +
         " files missing or damaged";
}
inline std::string CheckNotToTheEnd(const std::string& backup, std::size_t read,
                                    std::size_t files) {
  return backup + ": " + std::to_string(read) + " of " + std::to_string(files) +
         " files read before the check was cancelled";
}
inline std::string CheckNoList(const std::string& backup) {
  return backup +
         ": no checksum list (Larkmoor.sha256), as in backups made before there was one: its "
         "files cannot be checked";
}
inline std::string CheckListUnreadable(const std::string& backup) {
  return backup + ": its checksum list Larkmoor.sha256 cannot be read or names no file";
}
inline std::string CheckListDamaged(const std::string& folder) {
  return "- " + folder +
         "\\Larkmoor.sha256 cannot be read or names no file: the files of that backup cannot "
         "be checked.";
}
inline std::string CheckFileMissing(const std::string& path) {
  return "- " + path + " is missing.";
}
inline std::string CheckFileDamaged(const std::string& path) {
  return "- " + path +
         " is damaged: its checksum differs from the one in its backup's checksum list.";
}
inline std::string CheckFileUnreadable(const std::string& path) {
  return "- " + path + " could not be read (the disk may be failing, or another program holds it).";
}
inline std::string CheckUnlistedNote(const std::string& path) {
  return "  Note: " + path +
         " is not in the backup's checksum list (the backup did not write it): not checked, left "
         "as it is.";
}
inline std::string CheckMoreUnlisted(std::size_t more) {
  return "  Note: and " + std::to_string(more) + " more files not in the backup's checksum list.";
}
inline constexpr const char* kCheckNoBackup = "- the backup folder holds no backup to check.";
inline std::string CheckMoreFaults(std::size_t more) {
  return "(and " + std::to_string(more) + " more: CheckReport.txt names them all)";
}
inline std::string CheckReportNotWritten(const std::string& folder) {
  return "- the report CheckReport.txt could not be written into \"" + folder + "\".";
}
inline std::string CheckFolderNotOpened(const std::string& folder) {
  return "The backup folder \"" + folder + "\" could not be opened. Nothing was checked.";
}
inline std::string CheckBusy(const std::string& folder) {
  return "Another run is using the backup folder \"" + folder +
         "\". Nothing was checked; try again when it has ended.";
}
inline std::string CheckBytes(const std::string& done, const std::string& total) {
  return done + " of " + total + " read";
}

// ---- a person's own files in the backup folder ----
// An earlier backup let go whose folder also held files it did not write: its own files went.
inline std::string KeptHoldingOthers(const std::string& folder) {
  return "- \"" + folder + "\" kept: holds files the backup did not write";
}

// ---- moving to a new PC: a restore onto another computer or Windows user ----
// The arrow between a backup identity and where it goes: "->", as the ANSI code pages of
// every Windows the program runs on can show it; most have no arrow character of their own.
inline constexpr const char* kMapArrow = " -> ";
inline std::string MappedLine(const std::string& backupName, const std::string& liveName) {
  return backupName + " (backup)" + kMapArrow + liveName + " (this PC)";
}
inline std::string SameIdentityLine(const std::string& backupName, const std::string& liveName) {
  return backupName + " (backup)" + kMapArrow + liveName + " (this PC, the same identity)";
}
inline std::string CreatedLine(const std::string& backupName) {
  return backupName + kMapArrow + "created";
}
inline constexpr const char* kUnknownOrigin = "unknown";
inline std::string ConfirmMove(const std::string& computer, const std::string& user,
                               const std::string& made, bool knownOrigin,
                               const std::string& mapping) {
  return std::string(knownOrigin ? "This backup was made on another computer or for another "
                                   "Windows user."
                                 : "This backup does not record where it was made, and its "
                                   "identities are not the ones of this PC.") +
         "\r\n\r\nComputer: " + computer + "\r\nWindows user: " + user +
         "\r\nBackup made: " + made + "\r\n\r\nIts identities will be restored like this:\r\n" +
         mapping +
         "\r\n\r\nMail on this PC that is newer than the backup is kept, not overwritten. Press "
         "OK to restore, or Cancel to change nothing.";
}
inline constexpr const char* kRestoreDone = "The complete restore finished:";
// The folder beside the stores that newer live stores are moved into, before its time.
inline constexpr const char* kKeptByRestore = "Kept by restore ";
inline constexpr const char* kMappingHeading = "Identities of the backup and where they went:";
inline std::string MappingReportLine(const std::string& line) { return "  " + line; }
inline std::string IdentityCreated(const std::string& name, const std::string& store) {
  return "Identity \"" + name + "\": created" +
         (store.empty() ? std::string() : ", its messages in \"" + store + "\"");
}
inline std::string StoreKept(const std::string& kept) {
  return "Kept (it held mail the backup does not have): " + kept;
}
inline std::string KeptHowTo(const std::string& folder) {
  return "To get the mail of a kept store back: in Outlook Express choose File > Import > "
         "Messages, then Outlook Express 6 (or 5), and import from the folder \"" +
         folder + "\".";
}
inline std::string StoreNotKept(const std::string& target) {
  return "- " + target +
         " holds mail the backup does not have and could not be moved aside; it was left as it "
         "was and the backup's copy was not put back.";
}
inline std::string AccountsRestored(const std::string& names) {
  return "Mail accounts restored: " + names;
}
inline constexpr const char* kRetypePasswords =
    "Saved passwords are not part of any backup (Windows keeps them in its protected storage): "
    "type each account's password again in Outlook Express (Tools > Accounts).";
inline constexpr const char* kMappedIdentitiesNotWritten =
    "- AllIdentities.reg could not be rewritten for the identities of this PC (is the backup "
    "folder writable?); it was not imported.";
inline std::string AddressBookPlaceChanged(const std::string& file) {
  return "Address book: the backup's place for it does not exist here; it went to \"" + file + "\"";
}
// Restore Selected: where a backup identity goes.
inline std::string MapsToNote(const std::string& liveName) {
  return "goes to this PC's identity \"" + liveName + "\"";
}

// ---- Export Mail ----
inline constexpr const char* kMenuExportMail = "Export Mail...";
inline constexpr const char* kExportCaption = "Export Mail";
inline constexpr const char* kExportIntro =
    "Tick the identities and message stores whose mail to export. Each store is checked against "
    "the backup's checksum list first; the backup itself is only read.";
inline constexpr const char* kExportFolderLabel = "Into this empty folder:";
inline constexpr const char* kExportBrowse = "Browse...";
inline constexpr const char* kExportFormatLabel = "Format:";
inline constexpr const char* kExportEml = ".eml files, one per message";
inline constexpr const char* kExportMbox = "mbox, one file per mail folder";
inline constexpr const char* kExportButton = "Export";
inline constexpr const char* kExportBrowseTitle = "Choose an empty folder for the exported mail:";
inline constexpr const char* kExportChooseFolder = "Choose an empty folder for the exported mail.";
inline constexpr const char* kExportNothingTicked = "Tick at least one message store to export.";
inline constexpr const char* kReportOfExport = "mail export";
inline constexpr const char* kExportDone = "The mail export finished:";
inline constexpr const char* kExportComplete = "Export Complete";
inline constexpr const char* kExportProblemsIntro =
    "The export finished, but some mail could not be exported:";
inline constexpr const char* kExportCancelled =
    "- the export was cancelled: the files listed were written whole; the rest was not exported";
inline constexpr const char* kNoBackupToExport =
    "The backup folder holds no backup whose mail could be exported.";
inline std::string Thousands(std::uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}
inline std::string ExportedInto(const std::string& target, bool mbox) {
  return "Exported into " + target + (mbox ? " as mbox files" : " as .eml files");
}
inline std::string ExportTargetNotFull(const std::string& t) {
  return "The export needs the full path of a folder (such as D:\\Mail): \"" + t + "\"";
}
inline std::string ExportTargetNotEmpty(const std::string& t) {
  return "The folder \"" + t + "\" is not empty. Choose an empty folder for the exported mail.";
}
inline std::string ExportTargetNotMade(const std::string& t) {
  return "The folder \"" + t + "\" could not be made or opened.";
}
inline std::string ExportTargetInBackup(const std::string& t) {
  return "The folder \"" + t +
         "\" is inside the backup folder, which the export only reads. Choose a folder "
         "elsewhere.";
}
inline std::string ExportTargetInStores(const std::string& t) {
  return "The folder \"" + t +
         "\" is inside a folder of Outlook Express's message stores. Choose a folder elsewhere.";
}
// A store's line of the report: "Inbox: 4,982 of 5,000 messages exported; 18 could not be
// read (index damaged)".
inline std::string StoreExported(const std::string& folder, std::uint64_t exported,
                                 std::uint64_t counted, std::uint64_t unread) {
  return folder + ": " + Thousands(exported) + " of " + Thousands(counted) + " messages exported" +
         (unread ? "; " + Thousands(unread) + " unread" : "");
}
inline std::string NotRead(std::uint64_t n, const char* why) {
  return "; " + Thousands(n) + " could not be read (" + why + ")";
}
inline constexpr const char* kIndexDamaged = "index damaged";
inline constexpr const char* kMessageDataDamaged = "message data damaged";
inline constexpr const char* kIndexAndDataDamaged = "index and message data damaged";
inline std::string NotWritten(std::uint64_t n, const std::string& where) {
  return "; " + Thousands(n) + " could not be written into " + where;
}
inline std::string HeaderCountDiffers(std::uint64_t reached, std::uint32_t header) {
  return "; its index holds " + Thousands(reached) + ", its header counts " + Thousands(header);
}
inline constexpr const char* kStoreExportCancelled = "; cancelled here: incomplete";
inline std::string StoreExportNotVerified(const std::string& what) {
  return "- " + what + ": not exported: the copy does not match the backup's checksum list";
}
inline std::string StoreExportNotAStore(const std::string& what) {
  return "- " + what + ": not exported: not a message folder's store";
}
inline std::string StoreExportUnreadable(const std::string& what) {
  return "- " + what + ": not exported: the copy could not be read";
}
inline std::string StoreExportNoFolder(const std::string& what) {
  return "- " + what + ": not exported: its folder in the export could not be made";
}
inline std::string ExportBusy(const std::string& folder) {
  return "Another run is using the backup folder \"" + folder +
         "\". Nothing was exported; try again when it has ended.";
}
inline std::string ExportProgressText(const std::string& store, std::uint64_t messages,
                                      std::uint64_t doneMb, std::uint64_t totalMb) {
  return "Exporting " + store + ": " + Thousands(messages) + " messages, " + Thousands(doneMb) +
         " of " + Thousands(totalMb) + " MB";
}

}  // namespace lark::texts

#endif  // RC_INVOKED

// ---- Schedule Backups ----
// The dialog's fixed texts, read by the resource script too.
#define LARK_TEXT_SCH_CAPTION "Schedule Backups"
#define LARK_TEXT_SCH_INTRO                                                            \
  "Larkmoor can make a complete backup into the backup folder by itself, through the " \
  "Windows Task Scheduler, as the task \"Larkmoor backup\"."
#define LARK_TEXT_SCH_OFF "&Off"
#define LARK_TEXT_SCH_DAILY "&Daily"
#define LARK_TEXT_SCH_WEEKLY "&Weekly, on the days ticked:"
#define LARK_TEXT_SCH_LOGON "At &log on"
#define LARK_TEXT_SCH_TIME "&Time (hours:minutes):"
#define LARK_TEXT_SCH_CHECK "Also check every kept backup once a week"
#define LARK_TEXT_SCH_PASSWORD "&Password of your Windows account:"

#ifndef RC_INVOKED
namespace lark::texts {

inline constexpr const char* kMenuSchedule = "Schedule Backups...";
inline constexpr const char* kScheduleCaption = LARK_TEXT_SCH_CAPTION;
inline constexpr const char* kDayNames[7] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                             "Friday", "Saturday", "Sunday"};
inline constexpr const char* kScheduleBadTime =
    "Please write the time as hours and minutes, for example 18:30.";
inline constexpr const char* kScheduleNoDays = "Please tick at least one day of the week.";
inline std::string ScheduleNotSaved(const std::string& code) {
  return "The schedule could not be saved (the Task Scheduler answered " + code +
         "). The scheduled tasks were left as they were.";
}
inline std::string ScheduleCheckNotSaved(const std::string& code) {
  return "The backup is scheduled, but the weekly check could not be (the Task Scheduler "
         "answered " +
         code + ").";
}
inline std::string ScheduleNotDeleted(const std::string& task, const std::string& code) {
  return "The task \"" + task + "\" could not be deleted (the Task Scheduler answered " + code +
         ").";
}
inline std::string ScheduleFolderLine(const std::string& folder) {
  return "Backup folder: " + folder;
}
inline std::string ScheduleTaskLine(const std::string& task, const std::string& state) {
  return "Task \"" + task + "\": " + state;
}
inline constexpr const char* kScheduleNoTask = "not scheduled";
inline constexpr const char* kScheduleNoNextRun = "no next run";
inline constexpr const char* kScheduleAtLogon = "next run at the next log on";
inline std::string ScheduleNextRun(const std::string& when) { return "next run " + when; }
inline constexpr const char* kScheduleNeverRun = "never run";
inline std::string ScheduleLastRun(const std::string& when, unsigned long code) {
  return "last run " + when + ", exit code " + std::to_string(code);
}
inline std::string ScheduleNotStarted(const std::string& when, const std::string& error) {
  return "last run " + when + " could not start (" + error + ")";
}
inline std::string ScheduleRunsOther(const std::string& command) {
  return "It now runs: " + command + "\r\nOK replaces it with Larkmoor's own task.";
}
inline std::string NewestBackupLine(const std::string& made, int code) {
  return "Newest complete backup: " + made +
         (code < 0 ? std::string(", made from the window (no exit code)")
                   : ", exit code " + std::to_string(code));
}
inline constexpr const char* kNoNewestBackup = "Newest complete backup: none";
inline std::string SchedulerMissing(const std::string& command, const std::string& schtasks) {
  return "The Windows Task Scheduler is not installed on this computer (Internet Explorer 5 or "
         "later installs it), so no schedule can be set here.\r\n"
         "\r\nThe command to schedule, with the program's folder as its working folder:\r\n" +
         command +
         "\r\n\r\nOn Windows XP and later, this command line makes a daily task for you:\r\n" +
         schtasks;
}

// The notice at start-up of a scheduled run that failed or did not happen.
inline std::string ExitCodeMeaning(int code) {
  switch (code) {
    case 1: return "no backup folder is set";
    case 2: return "the backup folder could not be created or opened; nothing was backed up";
    case 3: return "the identities could not be read; nothing was backed up";
    case 4:
      return "the backup ran to its end, but some parts could not be written or failed their "
             "check";
    case 5: return "backed up, but a message store looks damaged; earlier backups were kept";
    case 6: return "the run stopped before its end on an error it could not go past";
    case 7: return "a file of a kept backup is missing or damaged";
    default: return "a code this version of Larkmoor does not know";
  }
}
inline std::string BackupRunFailed(const std::string& made, int code, const std::string& report) {
  return "The complete backup of " + made + " ended with exit code " + std::to_string(code) + ": " +
         ExitCodeMeaning(code) + ". Its report is " + report + ".";
}
inline std::string CheckRunFailed(const std::string& when, int code, const std::string& report) {
  return "The check of the kept backups of " + when + " ended with exit code " +
         std::to_string(code) + ": " + ExitCodeMeaning(code) + ". Its report is " + report + ".";
}
inline std::string NoBackupSince(const std::string& date) {
  return "No complete backup since " + date +
         ": the scheduled backup has not run. Check Schedule Backups.";
}

}  // namespace lark::texts
#endif  // RC_INVOKED
