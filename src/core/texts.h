// Every text the user sees, spelled once. Blanks and spelling are exactly as shown to
// users of earlier versions, including the ones that look odd ("Adress", trailing blanks).
#pragma once

// The input box's buttons. Macros, because the resource script that lays the box out reads
// them too; everything below is C++ and hidden from it.
#define LARK_TEXT_INPUT_OK "OK"
#define LARK_TEXT_INPUT_CANCEL "Cancel"

#ifndef RC_INVOKED

#include <string>

#ifndef LARK_HOME_PAGE
#define LARK_HOME_PAGE "http://larkmoor.example.org/"
#endif

namespace lark::texts {

// The application's own title, used by message boxes that have no title of their own.
inline constexpr const char* kAppTitle = "Larkmoor";
inline constexpr const char* kHomePage = LARK_HOME_PAGE;

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
inline std::string ExportNotRewritten(const std::string& file) {
  return "- " + file + ": could not be rewritten; it was kept as the registry editor wrote it.";
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
  return "The backup folder \"" + folder + "\" given on the command line could not be created "
         "or opened. Nothing was backed up.";
}

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
inline constexpr const char* kChooserLabel2 = "2a) Double Click Folder In Folder List To Select It.";
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
  return "- the backup folder \"" + folder + "\" could not be opened; no message store was "
         "restored.";
}
inline std::string RestoreIdentityFolderUnreadable(const std::string& name) {
  return "- the identity folder \"" + name + "\" could not be opened or read.";
}
inline std::string RestoreNoStoreFolder(const std::string& identity) {
  return "- the identity \"" + identity + "\" has no usable message store folder recorded; its "
         "files were not put back.";
}
inline std::string RestoreFileNotCopied(const std::string& target) {
  return "- " + target + " was not put back.";
}
inline std::string RestoreStoreNotCreated(const std::string& store) {
  return "- the message store folder \"" + store + "\" could not be created.";
}

}  // namespace lark::texts

#endif  // RC_INVOKED
