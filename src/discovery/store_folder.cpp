#include "discovery/store_folder.h"

#include <algorithm>
#include <vector>

#include "discovery/identities.h"
#include "platform/reg_key.h"

namespace lark {

StoreFolder ReadStoreFolder(const Platform& p, const std::string& identityKey) {
  IRegistry& reg = p.registry;
  StoreFolder result;
  RegKeyOwner key(reg);
  reg.RegOpenKeyExA(kHkeyCurrentUser, MailClientKey(identityKey), kKeyAllAccess, key.Receive());
  std::vector<std::uint8_t> buffer(256, 0);
  std::uint32_t type = 0;
  auto size = static_cast<std::uint32_t>(buffer.size());
  long rc = reg.RegQueryValueExA(key.get(), "Store Root", &type, buffer.data(), &size);
  if (rc == kErrorMoreData) {
    buffer.assign(size, 0);
    rc = reg.RegQueryValueExA(key.get(), "Store Root", &type, buffer.data(), &size);
  }
  // The mail client writes a text; a number, a list or raw bytes here is damage, not a
  // folder, and would be read as a folder of whatever characters its bytes happen to be.
  if (rc != kErrorSuccess || (type != kRegSz && type != kRegExpandSz)) return result;
  std::string text(buffer.begin(), buffer.begin() + std::min<std::size_t>(size, buffer.size()));
  // The terminating NUL goes only when there is one: discovery writes the placeholder
  // without it, and that must still be recognised.
  text = text.substr(0, text.find('\0'));
  if (text == kEmptyIdentityMarker) {
    result.kind = StoreFolder::Kind::Empty;
    return result;
  }
  std::string expanded =
      text.find('%') == std::string::npos ? text : p.shell.ExpandEnvironmentStringsA(text);
  while (!expanded.empty() && (expanded.back() == '\\' || expanded.back() == '/') &&
         expanded.size() > 3)
    expanded.pop_back();
  if (expanded.empty()) return result;
  result.kind = StoreFolder::Kind::Folder;
  result.path = expanded;
  return result;
}

}  // namespace lark
