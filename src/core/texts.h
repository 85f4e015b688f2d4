// Every text the user sees, spelled once. Blanks and spelling are exactly as shown to
// users of earlier versions, including the ones that look odd ("Adress", trailing blanks).
#pragma once

// The input box's buttons. Macros, because the resource script that lays the box out reads
// them too; everything below is C++ and hidden from it.
#define LARK_TEXT_INPUT_OK "OK"
#define LARK_TEXT_INPUT_CANCEL "Cancel"

#ifndef RC_INVOKED

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
inline std::string BadFolderArgument(const std::string& folder) {
  return "The backup folder \"" + folder +
         "\" given on the command line could not be created "
         "or opened. Nothing was backed up.";
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

}  // namespace lark::texts

#endif  // RC_INVOKED
