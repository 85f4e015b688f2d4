// The registry exports at the top of every backup, each with the branch it holds: written by
// the backup, read back by the restore and by whatever lists the backups a folder keeps.
#pragma once

namespace lark {

inline constexpr const char* kAllIdentitiesFile = "AllIdentities.reg";
inline constexpr const char* kIamFile = "IAM.reg";
inline constexpr const char* kAddressBookFile = "AddressBook.reg";
// In each identity folder: the identity's signatures, a hive (XP, 2000) or an export.
inline constexpr const char* kSignaturesHiveXp = "SignaturesWinXP.reg";
inline constexpr const char* kSignaturesHive2k = "SignaturesWin2k.reg";
inline constexpr const char* kSignaturesExport = "Signatures.reg";

inline constexpr const char* kIdentitiesBranch = "HKEY_CURRENT_USER\\Identities\\";
inline constexpr const char* kIamBranch =
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Internet Account Manager\\Accounts";
inline constexpr const char* kAddressBookBranch = "HKEY_CURRENT_USER\\Software\\Microsoft\\WAB";

}  // namespace lark
