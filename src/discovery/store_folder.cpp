#include "discovery/store_folder.h"

#include "core/registry_access.h"
#include "discovery/identities.h"
#include "fs/folders.h"
#include "platform/reg_key.h"

namespace lark {

StoreFolder ReadStoreFolder(const Platform& p, const std::string& identityKey) {
  IRegistry& reg = p.registry;
  StoreFolder result;
  RegKeyOwner key(reg);
  reg.RegOpenKeyExA(kHkeyCurrentUser, MailClientKey(identityKey), kKeyAllAccess, key.Receive());
  // The mail client writes a text; a number, a list or raw bytes here is damage, not a
  // folder, and would be read as a folder of whatever characters its bytes happen to be.
  // Discovery writes the placeholder without a terminating NUL, and it is still recognised.
  std::string text;
  if (!ReadTextValue(reg, key.get(), "Store Root", &text)) return result;
  result.written = text;
  if (text == kEmptyIdentityMarker) {
    result.kind = StoreFolder::Kind::Empty;
    return result;
  }
  const std::string expanded = WithoutTrailingSeparator(
      text.find('%') == std::string::npos ? text : p.shell.ExpandEnvironmentStringsA(text));
  if (expanded.empty()) return result;
  result.kind = StoreFolder::Kind::Folder;
  result.path = expanded;
  return result;
}

}  // namespace lark
