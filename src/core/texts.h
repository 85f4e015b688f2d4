// Every text the user sees, spelled once. Blanks and spelling are exactly as shown to
// users of earlier versions, including the ones that look odd ("Adress", trailing blanks).
#pragma once

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
inline std::string MenuUrlCaption() { return std::string(kMenuUrlPrefix) + kHomePage; }

// ---- settings and start-up ----
inline constexpr const char* kNoneSelected = "None Selected";
inline constexpr const char* kFirstRunReminder =
    "Please select a backup folder or create one from the Tools menu.";
inline constexpr const char* kSelectFolderReminder =
    "Please Select A Backup Folder Before Proceeding Further";
inline constexpr const char* kCreateKeyFailed =
    "Error opening or creating registry key -- aborting.";

// ---- registry value access ----
inline constexpr const char* kRegistryGetKeyValueTitle = "RegistryGetKeyValue";
inline std::string ErrorMessage(long number, const std::string& description) {
  return "Error: " + std::to_string(number) + ". " + description;
}

}  // namespace lark::texts
