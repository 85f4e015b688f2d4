// Identity discovery: walks HKEY_CURRENT_USER\Identities and builds the identity table.
#include "discovery/identities.h"

#include <algorithm>
#include <new>
#include <vector>

#include "core/app.h"
#include "core/registry_access.h"
#include "core/texts.h"
#include "discovery/edition.h"
#include "platform/reg_key.h"

namespace lark {

namespace {

constexpr const char* kIdentitiesKey = "Identities";

// The display name: the value's bytes, of whatever type, without their terminating NUL.
std::string ReadUsername(IRegistry& reg, RegKey key) {
  std::string text;
  ReadTextValue(reg, key, "Username", &text, false, TextNuls::DropLastOnly);
  return text;
}

std::string ReadText(IRegistry& reg, RegKey key, const char* name) {
  std::string text;
  ReadTextValue(reg, key, name, &text, false);
  return text;
}

void ReadError(IUser& user, long code, const char* suffix) {
  user.MessageBoxA(texts::RegistryReadError(code, suffix), texts::kAppTitle);
}

void Discover(App& app) {
  IRegistry& reg = app.p.registry;
  AppState& s = app.state;
  std::uint32_t n = 0;
  std::uint32_t longest = 0;
  {
    RegKeyOwner identities(reg);
    if (reg.RegOpenKeyExA(kHkeyCurrentUser, kIdentitiesKey, kKeyAllAccess, identities.Receive()) !=
        kErrorSuccess)
      return;
    reg.RegQueryInfoKeyA(identities.get(), &n, &longest);
    s.identKey.assign(static_cast<std::size_t>(n) + 1, std::string());
    for (std::uint32_t i = 0; i < n; ++i) {
      std::string name;
      long rc = reg.RegEnumKeyExA(identities.get(), i, &name);
      s.identKey[i] = name;
      if (rc == kErrorNoMoreItems) break;
    }
  }
  std::vector<std::string> names(s.identKey.begin(), s.identKey.end());
  s.identName.assign(static_cast<std::size_t>(n) + 1, std::string());
  s.identCount = static_cast<long>(n);

  for (std::uint32_t k = 0; k < n; ++k) {
    const std::string e = MailClientKey(s.identKey[k]);
    const std::string id = std::string(kIdentitiesKey) + "\\" + s.identKey[k];
    RegKeyOwner mail(reg);
    if (reg.RegOpenKeyExA(kHkeyCurrentUser, e, kKeyAllAccess, mail.Receive()) != kErrorSuccess) {
      long type = 0;
      if (s.winVer == "2K" || s.winVer == "XP" || s.winVer == "NT") type = kRegExpandSz;
      if (s.winVer == "SE") type = kRegSz;
      if (type != 0) {
        reg.RegCreateKeyExA(kHkeyCurrentUser, e, "4", kKeyAllAccess, mail.Receive());
        SetKeyValue(app.p, e, "Store Root", kEmptyIdentityMarker, type);
      }
    }
    RegKeyOwner identity(reg);
    long rc = reg.RegOpenKeyExA(kHkeyCurrentUser, id, kKeyAllAccess, identity.Receive());
    if (rc != kErrorSuccess) return ReadError(app.p.user, rc, " Identities\\Username");
    names[k] = ReadUsername(reg, identity.get());

    RegKeyOwner all(reg);
    rc = reg.RegOpenKeyExA(kHkeyCurrentUser, kIdentitiesKey, kKeyAllAccess, all.Receive());
    if (rc != kErrorSuccess) return ReadError(app.p.user, rc, " Identities\\USER ID");
    std::string defaultId = ReadText(reg, all.get(), "Default User ID");
    RegKeyOwner defaultIdentity(reg);
    rc = reg.RegOpenKeyExA(kHkeyCurrentUser, std::string(kIdentitiesKey) + "\\" + defaultId,
                           kKeyAllAccess, defaultIdentity.Receive());
    if (rc != kErrorSuccess) return ReadError(app.p.user, rc, " Default User ID Username");
    ReadUsername(reg, defaultIdentity.get());
  }
  for (std::uint32_t k = 0; k < n; ++k) s.identName[k] = names[k];
  app.Form1().SetLabel2(std::to_string(s.identCount));
  LocateAddressBook(app);
}

}  // namespace

std::string MailClientKey(const std::string& identityKey) {
  return std::string(kIdentitiesKey) + "\\" + identityKey +
         "\\Software\\Microsoft\\Outlook Express\\5.0";
}

std::size_t UsableIdentities(const AppState& s) {
  std::size_t n = s.identCount > 0 ? static_cast<std::size_t>(s.identCount) : 0;
  n = std::min(n, s.identKey.empty() ? 0 : s.identKey.size() - 1);
  n = std::min(n, s.identName.empty() ? 0 : s.identName.size() - 1);
  return n;
}

void GetInputPaths(App& app) {
  DecideEdition(app);
  app.state.identKey.assign(1, std::string());
  try {
    Discover(app);
  } catch (const std::bad_alloc&) {
    // Whatever was read so far stays; discovery ends quietly, as on any other failure.
  }
}

}  // namespace lark
