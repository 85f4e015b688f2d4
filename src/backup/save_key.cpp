#include "backup/save_key.h"

#include "fs/folders.h"
#include "platform/reg_key.h"

namespace lark {

bool EnablePrivilege(const Platform& p, const std::string& seName) {
  return p.registry.EnablePrivilege(seName);
}

bool SaveKey(const Platform& p, const std::string& sKeyName, const std::string& sFileName,
             RegKey lPredefinedKey) {
  if (!EnablePrivilege(p, "SeBackupPrivilege")) return false;
  IRegistry& reg = p.registry;
  IFileSystem& fs = p.files;
  RegKeyOwner key(reg);
  if (reg.RegOpenKeyExA(lPredefinedKey, sKeyName, kKeyAllAccess, key.Receive()) != kErrorSuccess)
    return false;
  // Windows refuses to save over an existing file, so the hive goes to a fresh name first.
  const std::string temp = ScratchNameFor(sFileName);
  fs.DeleteFileA(temp);
  if (reg.RegSaveKeyA(key.get(), temp) != kErrorSuccess) {
    fs.DeleteFileA(temp);
    return false;
  }
  key.Close();
  return PutInPlace(fs, temp, sFileName);
}

}  // namespace lark
