#include "fs/safe_name.h"

#include <cstring>
#include <map>
#include <set>

#include "fs/backup_set.h"
#include "fs/text.h"

namespace lark {

namespace {

bool IsForbidden(unsigned char c) { return c < 32 || std::strchr("\\/:*?\"<>|", c) != nullptr; }

}  // namespace

bool IsDeviceName(const std::string& name) {
  // Windows reserves these names whatever the extension (CON.txt is still CON).
  std::string base = FoldedName(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* d : kDevices)
    if (base == d) return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
      base[3] >= '1' && base[3] <= '9')
    return true;
  return false;
}

std::vector<std::string> IdentityFolderNames(const std::vector<std::string>& names,
                                             const std::vector<std::string>& keys) {
  const std::size_t n = names.size();
  std::vector<std::string> folders(n);
  std::map<std::string, int> uses;
  for (std::size_t i = 0; i < n; ++i) {
    folders[i] = SafeFolderName(names[i]);
    ++uses[FoldedName(folders[i])];
  }
  // The earlier backups' folder beside the identities' is never an identity's.
  const std::string earlier = FoldedName(kEarlierBackupsFolder);
  if (uses.count(earlier)) ++uses[earlier];
  std::set<std::string> taken{earlier};
  for (const std::string& f : folders)
    if (uses[FoldedName(f)] == 1) taken.insert(FoldedName(f));
  for (std::size_t i = 0; i < n; ++i) {
    if (uses[FoldedName(folders[i])] == 1) continue;
    const std::string key = i < keys.size() ? keys[i] : std::string();
    std::string candidate;
    for (int k = 1; candidate.empty() || taken.count(FoldedName(candidate)); ++k) {
      // The number, when one is needed, goes first: a long key may be cut at the end.
      std::string suffix = (k > 1 ? " (" + std::to_string(k) + ")" : "") + " " + key;
      std::string base = folders[i].substr(0, suffix.size() < 255 ? 255 - suffix.size() : 0);
      candidate = SafeFolderName(base + suffix);
    }
    taken.insert(FoldedName(candidate));
    folders[i] = candidate;
  }
  return folders;
}

std::string SafeFolderName(const std::string& displayName) {
  std::string name = displayName;
  if (name.size() > 255) name.resize(255);
  for (char& c : name)
    if (IsForbidden(static_cast<unsigned char>(c))) c = '_';
  // Windows drops trailing dots and blanks, so "Work." would name the folder "Work" and
  // ".." its parent: keep every character, but never at the end.
  for (std::size_t i = name.size(); i > 0 && (name[i - 1] == '.' || name[i - 1] == ' '); --i)
    name[i - 1] = '_';
  if (name.empty()) name = "_";
  if (IsDeviceName(name))
    name.insert(name.find('.') == std::string::npos ? name.size() : name.find('.'), "_");
  return name;
}

}  // namespace lark
