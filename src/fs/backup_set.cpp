#include "fs/backup_set.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "fs/manifest.h"
#include "fs/text.h"

namespace lark {

namespace {

constexpr const char* kMadeLine = "Made: ";
constexpr const char* kMessagesLine = "Messages: ";
constexpr const char* kFindingLine = "Finding: ";
constexpr const char* kComputerLine = "Computer: ";
constexpr const char* kUserLine = "Windows user: ";
constexpr const char* kWindowsLine = "Windows: ";
// Key, display name, Store Root as written and as expanded, separated by tabs; a tab inside a
// name is written as a blank, as no name of the mail client's has one.
constexpr const char* kIdentityLine = "Identity: ";

std::string NoTabs(std::string s) {
  for (char& c : s)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return s;
}

std::vector<std::string> Fields(const std::string& s) {
  std::vector<std::string> out(1);
  for (char c : s)
    if (c == '\t')
      out.emplace_back();
    else
      out.back() += c;
  return out;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool Matches(const std::string& s, std::size_t at, const char* pattern) {
  for (std::size_t i = 0; pattern[i]; ++i) {
    if (at + i >= s.size()) return false;
    const char c = s[at + i];
    if (pattern[i] == '9' ? !std::isdigit(static_cast<unsigned char>(c)) : c != pattern[i])
      return false;
  }
  return true;
}

bool IsFile(IFileSystem& fs, const std::string& path) {
  const std::uint32_t a = fs.GetFileAttributesA(path);
  return a != kInvalidFileAttributes && (a & kFileAttributeDirectory) == 0;
}

}  // namespace

std::string BackupInfoText(const BackupInfo& info) {
  std::string text = std::string(kMadeLine) + info.made + "\r\n";
  for (const auto& m : info.messages)
    text += kMessagesLine + std::to_string(m.second) + "  " + m.first + "\r\n";
  for (const std::string& f : info.findings) text += kFindingLine + f + "\r\n";
  if (!info.computer.empty()) text += kComputerLine + NoTabs(info.computer) + "\r\n";
  if (!info.user.empty()) text += kUserLine + NoTabs(info.user) + "\r\n";
  if (!info.windows.empty()) text += kWindowsLine + NoTabs(info.windows) + "\r\n";
  for (const InfoIdentity& i : info.identities)
    text += kIdentityLine + NoTabs(i.key) + "\t" + NoTabs(i.name) + "\t" + NoTabs(i.storeRoot) +
            "\t" + NoTabs(i.storeFolder) + "\r\n";
  return text;
}

bool ParseBackupInfo(const std::string& text, BackupInfo* info) {
  *info = BackupInfo();
  bool any = false;
  for (const std::string& line : TextLines(text)) {
    if (StartsWith(line, kMadeLine)) {
      info->made = line.substr(std::char_traits<char>::length(kMadeLine));
      any = true;
    } else if (StartsWith(line, kMessagesLine)) {
      const std::string rest = line.substr(std::char_traits<char>::length(kMessagesLine));
      const std::size_t gap = rest.find("  ");
      if (gap == std::string::npos || gap == 0 || gap + 2 >= rest.size()) continue;
      const std::string count = rest.substr(0, gap);
      if (count.find_first_not_of("0123456789") != std::string::npos || count.size() > 10) continue;
      const unsigned long long n = std::strtoull(count.c_str(), nullptr, 10);
      if (n > 0xFFFFFFFFull) continue;
      info->messages.emplace_back(rest.substr(gap + 2), static_cast<std::uint32_t>(n));
      any = true;
    } else if (StartsWith(line, kFindingLine)) {
      info->findings.push_back(line.substr(std::char_traits<char>::length(kFindingLine)));
      any = true;
    } else if (StartsWith(line, kComputerLine)) {
      info->computer = line.substr(std::char_traits<char>::length(kComputerLine));
      any = true;
    } else if (StartsWith(line, kUserLine)) {
      info->user = line.substr(std::char_traits<char>::length(kUserLine));
      any = true;
    } else if (StartsWith(line, kWindowsLine)) {
      info->windows = line.substr(std::char_traits<char>::length(kWindowsLine));
      any = true;
    } else if (StartsWith(line, kIdentityLine)) {
      const std::vector<std::string> f =
          Fields(line.substr(std::char_traits<char>::length(kIdentityLine)));
      if (f.size() != 4 || f[0].empty()) continue;
      info->identities.push_back(InfoIdentity{f[0], f[1], f[2], f[3]});
      any = true;
    }
  }
  return any;
}

bool ReadBackupInfo(IFileSystem& fs, const std::string& folder, BackupInfo* info) {
  std::string text;
  // A file of this name far larger than any run writes is not ours.
  FileInfo file;
  if (!fs.GetFileInfo(folder + "\\" + kBackupInfoFile, &file) || file.size > (16u << 20))
    return false;
  if (!fs.ReadFile(folder + "\\" + kBackupInfoFile, &text)) return false;
  return ParseBackupInfo(text, info);
}

bool IsKeptBackupName(const std::string& name) {
  if (!Matches(name, 0, "9999-99-99 99.99.99")) return false;
  if (name.size() == 19) return true;
  // " (n)": a second backup within the same second.
  if (name.size() < 23 || name.compare(19, 2, " (") != 0 || name.back() != ')') return false;
  const std::string n = name.substr(21, name.size() - 22);
  return n.size() <= 4 && n.find_first_not_of("0123456789") == std::string::npos;
}

bool HoldsBackup(IFileSystem& fs, const std::string& folder) {
  for (const char* name : {kManifestFile, kAllIdentitiesFile, kIamFile, kAddressBookFile})
    if (IsFile(fs, folder + "\\" + name)) return true;
  return false;
}

std::vector<std::string> SubFolders(IFileSystem& fs, const std::string& folder) {
  std::vector<FindEntry> entries;
  std::vector<std::string> names;
  if (fs.FindFiles(folder + "\\*", &entries) != kErrorSuccess) return names;
  for (const FindEntry& e : entries)
    if ((e.attributes & kFileAttributeDirectory) && e.name != "." && e.name != "..")
      names.push_back(e.name);
  return names;
}

std::string EarlierBackupsOf(const std::string& backupFolder) {
  return backupFolder + "\\" + kEarlierBackupsFolder;
}

bool SwapPending(IFileSystem& fs, const std::string& backupFolder) {
  return fs.GetFileAttributesA(EarlierBackupsOf(backupFolder) + "\\" + kSwapJournalFile) !=
         kInvalidFileAttributes;
}

std::vector<BackupSet> ListBackups(const Platform& p, const std::string& backupFolder) {
  std::vector<BackupSet> sets;
  IFileSystem& fs = p.files;
  const std::string earlier = EarlierBackupsOf(backupFolder);
  if (HoldsBackup(fs, backupFolder) && !SwapPending(fs, backupFolder)) {
    BackupSet top;
    top.folder = backupFolder;
    top.newest = true;
    ReadBackupInfo(fs, backupFolder, &top.info);
    sets.push_back(std::move(top));
  }
  std::vector<std::string> names;
  for (const std::string& name : SubFolders(fs, earlier))
    if (IsKeptBackupName(name) && HoldsBackup(fs, earlier + "\\" + name)) names.push_back(name);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    // " (2)" after the plain name of its second; numbers by value.
    if (a.compare(0, 19, b, 0, 19) != 0) return a.compare(0, 19, b, 0, 19) > 0;
    if (a.size() != b.size()) return a.size() > b.size();
    return a > b;
  });
  for (const std::string& name : names) {
    BackupSet set;
    set.folder = earlier + "\\" + name;
    if (!ReadBackupInfo(fs, set.folder, &set.info) || set.info.made.empty())
      set.info.made = name.substr(0, 19);
    sets.push_back(std::move(set));
  }
  return sets;
}

bool IsLink(const FindEntry& e) { return (e.attributes & kFileAttributeReparsePoint) != 0; }

bool IsLink(IFileSystem& fs, const std::string& path) {
  std::vector<FindEntry> found;
  return fs.FindFiles(path, &found) == kErrorSuccess && found.size() == 1 && IsLink(found[0]);
}

bool RemoveTree(IFileSystem& fs, const std::string& folder, bool* linkStayed) {
  if (IsLink(fs, folder)) {
    fs.RemoveDirectoryA(folder);
    const bool gone = fs.GetFileAttributesA(folder) == kInvalidFileAttributes;
    if (!gone && linkStayed) *linkStayed = true;
    return gone;
  }
  std::vector<FindEntry> entries;
  if (fs.FindFiles(folder + "\\*", &entries) == kErrorSuccess) {
    for (const FindEntry& e : entries) {
      if (e.name == "." || e.name == "..") continue;
      const std::string path = folder + "\\" + e.name;
      if (e.attributes & kFileAttributeDirectory) {
        RemoveTree(fs, path, linkStayed);
      } else {
        // A link's attributes would be set on the file it points at.
        if ((e.attributes & kFileAttributeReadOnly) && !IsLink(e))
          fs.SetFileAttributesA(path, kFileAttributeNormal);
        fs.DeleteFileA(path);
      }
    }
  }
  const std::uint32_t a = fs.GetFileAttributesA(folder);
  if (a != kInvalidFileAttributes && (a & kFileAttributeReadOnly))
    fs.SetFileAttributesA(folder, kFileAttributeNormal);
  fs.RemoveDirectoryA(folder);
  return fs.GetFileAttributesA(folder) == kInvalidFileAttributes;
}

}  // namespace lark
