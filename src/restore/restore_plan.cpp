#include "restore/restore_plan.h"

#include <algorithm>

#include "core/app.h"
#include "core/registry_access.h"
#include "core/texts.h"
#include "discovery/edition.h"
#include "discovery/identities.h"
#include "discovery/store_folder.h"
#include "fs/backup_layout.h"
#include "fs/folders.h"
#include "fs/safe_name.h"
#include "fs/text.h"

namespace lark {

namespace {

bool Exists(IFileSystem& files, const std::string& path) {
  return files.GetFileAttributesA(path) != kInvalidFileAttributes;
}

std::string Expanded(const Platform& p, const std::string& text) {
  return WithoutTrailingSeparator(
      text.find('%') == std::string::npos ? text : p.shell.ExpandEnvironmentStringsA(text));
}

// The folder of this user's profile, "" where Windows has no profiles (the 98 family).
std::string Profile(const Platform& p) {
  const std::string profile = Expanded(p, "%USERPROFILE%");
  return profile.find('%') == std::string::npos && IsFullPath(profile) ? profile : std::string();
}

std::uint32_t Ordinal(const Platform& p, const std::string& key) {
  const RegValue v =
      RegistryGetKeyValue(p, kHkeyCurrentUser, "Identities\\" + key, "Identity Ordinal");
  return v.kind() == RegValue::Kind::Long ? static_cast<std::uint32_t>(v.AsLong()) : 0;
}

// The standard store folder of an identity made here under `key`: formed as a live identity's
// is, with its key swapped, or as the mail client forms it on this edition.
std::string StandardStoreRoot(const Platform& p, const RestorePlan& plan, const std::string& key) {
  if (!plan.liveStoreKey.empty()) {
    const std::string folded = FoldedName(plan.liveStoreRoot);
    const std::size_t at = folded.find(FoldedName(plan.liveStoreKey));
    if (at != std::string::npos)
      return plan.liveStoreRoot.substr(0, at) + key +
             plan.liveStoreRoot.substr(at + plan.liveStoreKey.size());
  }
  const std::string base = Profile(p).empty() ? "%windir%\\Application Data"
                                              : "%UserProfile%\\Local Settings\\Application Data";
  return base + "\\Identities\\" + key + "\\Microsoft\\Outlook Express";
}

std::string MappingLine(const IdentityMatch& m) {
  switch (m.kind) {
    case IdentityMatch::Kind::SameKey: return texts::SameIdentityLine(m.backupName, m.liveName);
    case IdentityMatch::Kind::Matched: return texts::MappedLine(m.backupName, m.liveName);
    case IdentityMatch::Kind::Created: break;
  }
  return texts::CreatedLine(m.backupName);
}

}  // namespace

bool UsableHere(const Platform& p, const std::string& path) {
  if (!IsFullPath(path)) return false;
  const std::string root = path[1] == ':'
                               ? path.substr(0, 3)
                               : path.substr(0, path.find('\\', path.find('\\', 2) + 1)) + "\\";
  if (!Exists(p.files, root)) return false;
  const std::string profile = Profile(p);
  const std::string profiles = DirectoryFromFile(profile);
  // Another user's profile, or one that is not there: whoever made the backup.
  return profiles.empty() || !StartsWithName(path, profiles) ||
         StartsWithName(path + "\\", profile + "\\");
}

bool RestorePlan::Remaps() const {
  for (const IdentityMatch& m : matches)
    if (m.kind == IdentityMatch::Kind::Matched) return true;
  return false;
}

// An identity deleted since the backup and made again is a restore onto its own PC, as ever.
bool RestorePlan::Moving() const { return elsewhere || Remaps(); }

std::string RestorePlan::FolderFor(const std::string& liveKey, std::string* backupName) const {
  for (std::size_t j = 0; j < matches.size(); ++j)
    if (SameName(matches[j].liveKey, liveKey)) {
      *backupName = matches[j].backupName;
      return folders[j];
    }
  return std::string();
}

RestorePlan PlanRestore(App& app, const std::string& from) {
  RestorePlan plan;
  GetInputPaths(app);
  const std::size_t n = UsableIdentities(app.state);
  std::vector<NamedIdentity> live;
  for (std::size_t i = 0; i < n; ++i) {
    live.push_back(NamedIdentity{app.state.identKey[i], app.state.identName[i]});
    const StoreFolder s = ReadStoreFolder(app.p, app.state.identKey[i]);
    if (plan.liveStoreKey.empty() && s.kind == StoreFolder::Kind::Folder &&
        FoldedName(s.written).find(FoldedName(app.state.identKey[i])) != std::string::npos) {
      plan.liveStoreRoot = s.written;
      plan.liveStoreKey = app.state.identKey[i];
    }
  }
  plan.liveWab = AddressBookPath(app.p);
  if (IsFullPath(from)) {
    ReadBackupInfo(app.p.files, from, &plan.info);
    const std::string regFile = from + "\\" + kAllIdentitiesFile;
    if (Exists(app.p.files, regFile) && ReadRegIdentities(app.p.streams, regFile, &plan.backup) &&
        !plan.backup.empty())
      plan.known = true;
  }
  plan.recorded = !plan.info.computer.empty();
  plan.elsewhere = plan.recorded && (!SameName(plan.info.computer, app.p.shell.ComputerName()) ||
                                     !SameName(plan.info.user, app.p.shell.UserName()));
  if (!plan.known) return plan;
  std::vector<NamedIdentity> backup;
  std::vector<std::string> names, keys;
  for (const RegIdentity& r : plan.backup) {
    backup.push_back(NamedIdentity{r.key, r.name});
    names.push_back(r.name);
    keys.push_back(r.key);
  }
  plan.matches = MatchIdentities(backup, live);
  plan.folders = IdentityFolderNames(names, keys);
  // Identities of one name shared a single folder in backups made before each got its own.
  for (std::size_t j = 0; j < plan.folders.size(); ++j)
    if (!DirExists(app.p, from + "\\" + plan.folders[j]))
      plan.folders[j] = SafeFolderName(names[j]);
  return plan;
}

bool ConfirmRestore(IUser& user, const RestorePlan& plan) {
  if (!plan.elsewhere && (plan.recorded || !plan.Remaps())) return true;
  std::string mapping;
  for (const IdentityMatch& m : plan.matches)
    mapping += (mapping.empty() ? "" : "\r\n") + MappingLine(m);
  const auto known = [](const std::string& s) { return s.empty() ? texts::kUnknownOrigin : s; };
  return user.AskOkCancel(texts::ConfirmMove(known(plan.info.computer), known(plan.info.user),
                                             known(plan.info.made), plan.recorded, mapping),
                          texts::kAppTitle);
}

void SettleCreatedIdentities(App& app, RestorePlan& plan) {
  if (!plan.known) return;
  GetInputPaths(app);
  const std::size_t n = UsableIdentities(app.state);
  for (const IdentityMatch& m : plan.matches) {
    if (m.kind != IdentityMatch::Kind::Created) continue;
    bool there = false;
    for (std::size_t i = 0; i < n; ++i) there = there || SameName(app.state.identKey[i], m.liveKey);
    if (!there) continue;
    StoreFolder store = ReadStoreFolder(app.p, m.liveKey);
    if (store.kind == StoreFolder::Kind::Folder && !UsableHere(app.p, store.path)) {
      SetKeyValue(app.p, MailClientKey(m.liveKey), "Store Root",
                  StandardStoreRoot(app.p, plan, m.liveKey), kRegExpandSz);
      store = ReadStoreFolder(app.p, m.liveKey);
    }
    plan.created.push_back(m.backupName);
    plan.createdStores.push_back(store.kind == StoreFolder::Kind::Folder ? store.path : "");
    // Two identities of one ordinal confuse the mail client's list of them.
    const std::uint32_t own = Ordinal(app.p, m.liveKey);
    std::uint32_t highest = 0;
    bool shared = false;
    for (std::size_t i = 0; i < n; ++i) {
      if (SameName(app.state.identKey[i], m.liveKey)) continue;
      const std::uint32_t other = Ordinal(app.p, app.state.identKey[i]);
      highest = std::max(highest, other);
      shared = shared || (own != 0 && other == own);
    }
    if (shared)
      SetKeyValue(app.p, "Identities\\" + m.liveKey, "Identity Ordinal",
                  std::to_string(std::max(highest, own) + 1), kRegDword);
  }
}

void SettleAddressBookPlace(App& app, const RestorePlan& plan) {
  const std::string restored = AddressBookPath(app.p);
  if (restored.empty() || restored == plan.liveWab) return;
  const std::string name = NameFromFullPath(restored);
  const std::string folder = DirectoryFromFile(Expanded(app.p, restored));
  if (name.empty() || (UsableHere(app.p, folder) && DirExists(app.p, folder))) return;
  std::string place = DirectoryFromFile(Expanded(app.p, plan.liveWab));
  if (!IsFullPath(place) || !DirExists(app.p, place)) {
    const std::string appData = Expanded(app.p, "%APPDATA%");
    place = (appData.find('%') == std::string::npos && IsFullPath(appData)
                 ? appData
                 : Expanded(app.p, "%windir%\\Application Data")) +
            "\\Microsoft\\Address Book\\";
    if (!CreatePath(app.p, place)) return;
  }
  SetKeyValue(app.p, kWabFileKey, "", place + name, kRegSz);
  app.state.report.done.push_back(texts::AddressBookPlaceChanged(place + name));
}

void ReportMove(App& app, const RestorePlan& plan, const std::string& from, bool accountsImported) {
  if (!plan.Moving()) return;
  std::vector<std::string>& done = app.state.report.done;
  if (plan.known) {
    done.push_back(texts::kMappingHeading);
    for (const IdentityMatch& m : plan.matches)
      done.push_back(texts::MappingReportLine(MappingLine(m)));
  }
  for (std::size_t i = 0; i < plan.created.size(); ++i)
    done.push_back(texts::IdentityCreated(plan.created[i], plan.createdStores[i]));
  std::vector<std::string> accounts;
  const std::string iam = from + "\\" + kIamFile;
  if (accountsImported && ReadAccountNames(app.p.streams, iam, &accounts) && !accounts.empty()) {
    std::string list;
    for (const std::string& a : accounts) list += (list.empty() ? "" : ", ") + a;
    done.push_back(texts::AccountsRestored(list));
    done.push_back(texts::kRetypePasswords);
  }
}

}  // namespace lark
