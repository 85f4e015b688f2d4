#include "ui/chooser_window.h"

#include <algorithm>
#include <cctype>

#include "core/texts.h"
#include "fs/folders.h"
#include "fs/text.h"
#include "platform/ansi_case.h"

namespace lark {

namespace {

// A drive's letter as the drive list shows it.
char DriveLetter(const std::string& path) { return FoldedName(path.substr(0, 1))[0]; }

// In the order Windows lists names for a person (the user's locale, case ignored).
template <typename T, typename NameOf>
void SortByName(std::vector<T>* items, NameOf nameOf) {
  std::vector<std::pair<std::string, std::size_t>> keys;
  for (std::size_t i = 0; i < items->size(); ++i) keys.emplace_back(nameOf((*items)[i]), i);
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
    return CompareNamesAnsi(a.first.c_str(), b.first.c_str()) < 0;
  });
  std::vector<T> sorted;
  sorted.reserve(keys.size());
  for (const auto& k : keys) sorted.push_back(std::move((*items)[k.second]));
  *items = std::move(sorted);
}

bool IsDrivePath(const std::string& s) {
  return s.size() >= 2 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':';
}

// A folder name may hold none of the characters the directory search reads as wildcards
// ("<", ">" and the quote are wildcards there too), nor a stream separator.
bool PlainName(const std::string& name) {
  for (char c : name)
    if (static_cast<unsigned char>(c) < 32 || std::string("*?<>\"|:").find(c) != std::string::npos)
      return false;
  return true;
}

std::vector<std::string> Split(const std::string& s) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : s) {
    if (c == '\\' || c == '/') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

bool Hidden(const FindEntry& e) {
  return (e.attributes & (kFileAttributeHidden | kFileAttributeSystem)) != 0;
}

}  // namespace

ChooserWindow::ChooserWindow(IFileSystem& files) : files_(files), txtbkPth_(texts::kNoneSelected) {
  // The lists start at the process's current folder, without running any handler.
  RefreshDrives();
  if (auto folder = ResolveFolder(files_.GetCurrentDirectoryA())) {
    drive1_ = folder->substr(0, 2);
    dir1Path_ = *folder;
    file1Path_ = *folder;
    RefreshDir1();
    RefreshFile1();
  }
}

std::string ChooserWindow::CurrentFolderOf(char drive) {
  std::string cwd = files_.GetCurrentDirectoryA();
  if (IsDrivePath(cwd) && DriveLetter(cwd) == drive) return cwd;
  return std::string(1, drive) + ":\\";
}

std::optional<std::string> ChooserWindow::ResolveFolder(const std::string& text) {
  if (!IsDrivePath(text)) return std::nullopt;
  char drive = DriveLetter(text);
  std::string root = std::string(1, drive) + ":\\";
  std::string rest = text.substr(2);

  std::vector<std::string> parts;
  if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) {
    std::string base = CurrentFolderOf(drive);
    parts = Split(base.size() > 3 ? base.substr(3) : std::string());
  }
  for (const std::string& part : Split(rest)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    if (!PlainName(part)) return std::nullopt;
    parts.push_back(part);
  }

  std::vector<FindEntry> entries;
  // An empty root finds nothing and is still readable; a drive without a medium is not.
  long rc = files_.FindFiles(root + "*", &entries);
  if (rc != kErrorSuccess && rc != kErrorFileNotFound) return std::nullopt;
  std::string path = root;
  for (const std::string& part : parts) {
    // A search for one exact name yields that entry under the name the disk keeps.
    if (files_.FindFiles(JoinPath(path, part), &entries) != kErrorSuccess || entries.empty() ||
        !(entries[0].attributes & kFileAttributeDirectory))
      return std::nullopt;
    path = JoinPath(path, entries[0].name);
  }
  if (path != root && files_.FindFiles(JoinPath(path, "*"), &entries) != kErrorSuccess)
    return std::nullopt;
  return path;
}

void ChooserWindow::RefreshDrives() {
  drives_.clear();
  for (char c = 'A'; c <= 'Z'; ++c) {
    std::string d(1, c);
    d += ':';
    if (files_.GetDriveTypeA(d + "\\") > kDriveNoRootDir) drives_.push_back(d);
  }
  Changed(ChooserPart::Drive1);
}

bool ChooserWindow::SetDrive1(const std::string& drive) {
  if (drive.empty() || !std::isalpha(static_cast<unsigned char>(drive[0]))) return false;
  std::string d(1, DriveLetter(drive));
  d += ':';
  if (files_.GetDriveTypeA(d + "\\") <= kDriveNoRootDir) return false;
  if (d == drive1_) return true;
  drive1_ = d;
  if (std::find(drives_.begin(), drives_.end(), d) == drives_.end()) RefreshDrives();
  Changed(ChooserPart::Drive1);
  if (onDrive1Change_) onDrive1Change_(context_);
  return true;
}

void ChooserWindow::ShowDrive1(const std::string& drive) {
  drive1_.clear();
  if (IsDrivePath(drive)) {
    drive1_ += DriveLetter(drive);
    drive1_ += ':';
  }
  Changed(ChooserPart::Drive1);
}

std::vector<FindEntry> ChooserWindow::Folders(const std::string& path) {
  std::vector<FindEntry> entries, folders;
  files_.FindFiles(JoinPath(path, "*"), &entries);
  for (const FindEntry& e : entries) {
    if (!(e.attributes & kFileAttributeDirectory) || Hidden(e) || e.name == "." || e.name == "..")
      continue;
    folders.push_back(e);
  }
  SortByName(&folders, [](const FindEntry& e) { return e.name; });
  return folders;
}

bool ChooserWindow::SetDir1Path(const std::string& path) {
  std::optional<std::string> folder = ResolveFolder(path);
  if (!folder) return false;
  if (SameName(*folder, dir1Path_)) return true;
  dir1Path_ = *folder;
  RefreshDir1();
  if (onDir1Change_) onDir1Change_(context_);
  return true;
}

void ChooserWindow::RefreshDir1() {
  dir1Items_.clear();
  dir1ListIndex_ = -1;
  if (IsDrivePath(dir1Path_)) {
    std::string path = dir1Path_.substr(0, 3);
    dir1Items_.push_back({path, path, 0, true});
    int level = 0;
    for (const std::string& part : Split(dir1Path_.substr(3))) {
      path = JoinPath(path, part);
      dir1Items_.push_back({part, path, ++level, true});
    }
    dir1ListIndex_ = level;
    for (const FindEntry& e : Folders(dir1Path_))
      dir1Items_.push_back({e.name, JoinPath(dir1Path_, e.name), level + 1, false});
  }
  Changed(ChooserPart::Dir1);
}

bool ChooserWindow::SetFile1Path(const std::string& path) {
  std::optional<std::string> folder = ResolveFolder(path);
  if (!folder) return false;
  file1Path_ = *folder;
  RefreshFile1();
  return true;
}

void ChooserWindow::RefreshFile1() {
  file1Items_.clear();
  if (IsDrivePath(file1Path_)) {
    std::vector<FindEntry> entries;
    files_.FindFiles(JoinPath(file1Path_, "*"), &entries);
    for (const FindEntry& e : entries)
      if (!(e.attributes & kFileAttributeDirectory) && !Hidden(e)) file1Items_.push_back(e.name);
    SortByName(&file1Items_, [](const std::string& name) { return name; });
  }
  Changed(ChooserPart::File1);
}

}  // namespace lark
