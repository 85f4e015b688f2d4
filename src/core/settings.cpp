#include "core/settings.h"

#include "core/app.h"
#include "core/registry_access.h"
#include "core/texts.h"
#include "fs/folders.h"
#include "platform/reg_key.h"

namespace lark {

namespace {

std::string ReadFolderValue(const Platform& p) {
  return RegistryGetKeyValue(p, kHkeyCurrentUser, kSettingsKey, kFolderValue).AsText();
}

void ShowNoneSelected(App& app) {
  IMainView& f = app.Form1();
  f.SetLblbkuppthColour(kRed);
  f.SetLblbkuppthText(texts::kNoneSelected);
  f.SetLblbkuppthTooltip(ReadFolderValue(app.p));
}

}  // namespace

long ProbeValue(IRegistry& registry, RegKey key, const std::string& name) {
  std::uint8_t unused = 0;
  std::uint32_t size = 0;
  std::uint32_t type = 0;
  return registry.RegQueryValueExA(key, name, &type, &unused, &size);
}

std::string StoredBackupFolder(const Platform& p) { return ReadFolderValue(p); }

unsigned StoredGenerations(const Platform& p) {
  const RegValue v = RegistryGetKeyValue(p, kHkeyCurrentUser, kSettingsKey, kGenerationsValue);
  if (v.kind() != RegValue::Kind::Long || v.AsLong() < 1 || v.AsLong() > long(kMaxGenerations))
    return kDefaultGenerations;
  return static_cast<unsigned>(v.AsLong());
}

bool SetGenerations(const Platform& p, const std::string& number) {
  if (number.empty() || number.size() > 2 ||
      number.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const int n = std::stoi(number);
  if (n < 1 || n > int(kMaxGenerations)) return false;
  SetKeyValue(p, kSettingsKey, kGenerationsValue, std::to_string(n), kRegDword);
  return true;
}

void FirstRun(App& app) {
  IRegistry& reg = app.p.registry;
  RegKeyOwner existing(reg);
  reg.RegOpenKeyExA(kHkeyCurrentUser, kSettingsKey, kKeyAllAccess, existing.Receive());
  if (!existing.IsOpen()) {
    IMainView& f = app.Form1();
    f.SetLblbkuppthColour(kRed);
    f.SetLblbkuppthText(texts::kNoneSelected);
    f.SetLblbkuppthTooltip(ReadFolderValue(app.p));
    RegKeyOwner created(reg);
    if (reg.RegCreateKeyExA(kHkeyCurrentUser, kSettingsKey, "", kKeyWrite, created.Receive()) !=
        kErrorSuccess) {
      app.p.user.MessageBoxA(texts::kCreateKeyFailed, texts::kAppTitle);
      return;
    }
    SetKeyValue(app.p, kSettingsKey, kOverwriteValue, "0", kRegDword);
    SetKeyValue(app.p, kSettingsKey, kGenerationsValue, std::to_string(kDefaultGenerations),
                kRegDword);
    SetKeyValue(app.p, kSettingsKey, kFolderValue, texts::kNoneSelected, kRegSz);
    app.p.user.MessageBoxA(texts::kFirstRunReminder, texts::kAppTitle);
    created.Close();
    SetKeyValue(app.p, kSettingsKey, kFolderValue, texts::kNoneSelected, kRegSz);
    ShowNoneSelected(app);
    return;
  }
  IMainView& f = app.Form1();
  std::string v = ReadFolderValue(app.p);
  f.SetLblbkuppthColour(kRed);
  f.SetLblbkuppthText(v);
  f.SetLblbkuppthTooltip(v);
}

void RefreshBackupFolderLine(App& app, bool withReminder, const std::string& settingsKeyName) {
  IRegistry& reg = app.p.registry;
  RegKeyOwner key(reg);
  if (reg.RegOpenKeyExA(kHkeyCurrentUser, kSettingsKey, kKeyAllAccess, key.Receive()) !=
      kErrorSuccess)
    return;
  IMainView& f = app.Form1();
  long probe = ProbeValue(reg, key.get(), kFolderValue);
  std::string shown = texts::kNoneSelected;
  if (probe == kErrorFileNotFound) {
    std::string v = ReadFolderValue(app.p);
    f.SetLblbkuppthColour(kRed);
    f.SetLblbkuppthText(v);
    f.SetLblbkuppthTooltip(v);
  }
  if (probe != kErrorMoreData) {
    SetKeyValue(app.p, kSettingsKey, kFolderValue, texts::kNoneSelected, kRegSz);
    ShowNoneSelected(app);
    if (withReminder) app.p.user.MessageBoxA(texts::kSelectFolderReminder, texts::kAppTitle);
  } else {
    const std::string v = ReadFolderValue(app.p);
    shown = v;
    if (v == texts::kNoneSelected) {
      f.SetLblbkuppthColour(kRed);
      f.SetLblbkuppthText(v);
      f.SetLblbkuppthTooltip(v);
      if (withReminder) app.p.user.MessageBoxA(texts::kSelectFolderReminder, texts::kAppTitle);
    } else {
      f.SetLblbkuppthText(v);
      f.SetLblbkuppthTooltip(v);
    }
  }
  // A folder that has gone since the last run is forgotten; the line shows it until the
  // next refresh. So is a value that names no folder of its own (empty, relative, a number
  // or a list read as text): it would make the root of the current drive, or a folder of
  // wherever the program was started, the backup folder.
  if (!IsFullPath(shown) || !DirExists(app.p, shown))
    SetKeyValue(app.p, settingsKeyName, kFolderValue, texts::kNoneSelected, kRegSz);
}

void oeb(App& app) { RefreshBackupFolderLine(app, true, "Software\\Tarnkeep"); }

void chkbox(App& app) {
  IRegistry& reg = app.p.registry;
  RegKeyOwner key(reg);
  reg.RegOpenKeyExA(kHkeyCurrentUser, kSettingsKey, kKeyAllAccess, key.Receive());
  if (ProbeValue(reg, key.get(), kOverwriteValue) == kErrorFileNotFound) {
    SetKeyValue(app.p, kSettingsKey, kOverwriteValue, "0", kRegDword);
    app.Form1().SetChkOverwrite(0);
    return;
  }
  long v = RegistryGetKeyValue(app.p, kHkeyCurrentUser, kSettingsKey, kOverwriteValue).AsLong();
  if (v == 0) app.Form1().SetChkOverwrite(0);
  if (v == 1) app.Form1().SetChkOverwrite(1);
}

void StoreBackupFolder(const Platform& p, const std::string& folder) {
  SetKeyValue(p, kSettingsKey, kFolderValue, folder, kRegSz);
}

void ForgetBackupFolder(const Platform& p) { StoreBackupFolder(p, texts::kNoneSelected); }

void StoreOverwrite(const Platform& p, bool overwrite) {
  SetKeyValue(p, kSettingsKey, kOverwriteValue, overwrite ? "1" : "0", kRegDword);
}

bool StoredOverwrite(const Platform& p) {
  return RegistryGetKeyValue(p, kHkeyCurrentUser, kSettingsKey, kOverwriteValue).AsLong() == 1;
}

}  // namespace lark
