// The three registry exports of a complete backup, each by the registry editor.
#pragma once

#include <string>
#include <vector>

#include "platform/process_owner.h"

namespace lark {

class App;

inline constexpr const char* kAllIdentitiesFile = "AllIdentities.reg";
inline constexpr const char* kIamFile = "IAM.reg";
inline constexpr const char* kAddressBookFile = "AddressBook.reg";

inline constexpr const char* kIdentitiesBranch = "HKEY_CURRENT_USER\\Identities\\";
inline constexpr const char* kIamBranch =
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Internet Account Manager\\Accounts";
inline constexpr const char* kAddressBookBranch = "HKEY_CURRENT_USER\\Software\\Microsoft\\WAB";

// An export this run started: where its file lands and the editor writing it.
struct StartedExport {
  std::string file;    // bare name
  std::string path;    // full path in the backup folder
  std::string branch;
  ProcessOwner editor;
};

// The registry editor's export command for the current edition; "" when it has none.
std::string ExportCommand(const std::string& winVer, const std::string& file,
                          const std::string& branch);

void bkupallIdentities(App& app);
void bkupIAM(App& app);
void bkupAddBook(App& app);

// Makes the folder the current drive and directory; false when it cannot be entered.
bool EnterFolder(App& app, const std::string& folder);

}  // namespace lark
