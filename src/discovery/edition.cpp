#include "discovery/edition.h"

#include "core/app.h"
#include "core/registry_access.h"
#include "core/settings.h"
#include "platform/reg_key.h"

namespace lark {

namespace {

constexpr const char* k9xKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNtKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kProductName = "ProductName";

bool ProductNameExists(const Platform& p, const char* key) {
  // Read access is all a look needs. Asking for full access here would fail for every
  // user who is not an administrator on later Windows, and the edition would go unknown.
  RegKeyOwner k(p.registry);
  if (p.registry.RegOpenKeyExA(kHkeyLocalMachine, key, kKeyRead, k.Receive()) != kErrorSuccess)
    return false;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  return p.registry.RegQueryValueExA(k.get(), kProductName, &type, nullptr, &size) == kErrorSuccess;
}

std::string NtProductName(const Platform& p) {
  return RegistryGetKeyValue(p, kHkeyLocalMachine, kNtKey, kProductName).AsText();
}

}  // namespace

void DecideEdition(App& app) {
  std::string& v = app.state.winVer;
  if (ProductNameExists(app.p, k9xKey)) v = "SE";
  if (ProductNameExists(app.p, kNtKey)) v = "NT";
  if (ProductNameExists(app.p, kNtKey) && NtProductName(app.p) == "Microsoft Windows 2000")
    v = "2K";
  if (ProductNameExists(app.p, kNtKey) && NtProductName(app.p) == "Microsoft Windows XP") v = "XP";
}

std::string AddressBookPath(const Platform& p) {
  return RegistryGetKeyValue(p, kHkeyCurrentUser, kWabFileKey, "").AsText();
}

void LocateAddressBook(App& app) { app.state.wabFile = AddressBookPath(app.p); }

void loadup(App& app) {
  app.Form1().SetPanel(1, "");
  DecideEdition(app);
  {
    RegKeyOwner k(app.p.registry);
    if (app.p.registry.RegOpenKeyExA(kHkeyCurrentUser, kWabFileKey, kKeyAllAccess, k.Receive()) !=
        kErrorSuccess)
      return;
  }
  RefreshBackupFolderLine(app, false, kSettingsKey);
}

}  // namespace lark
