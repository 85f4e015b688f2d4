// Existence tests, the file listing, path splitting, entering, deleting and creating.
#include "fs/folders.h"

#include <cctype>

namespace lark {

bool IsExistingFolder(IFileSystem& files, const std::string& path) {
  std::uint32_t a = files.GetFileAttributesA(path);
  return a != kInvalidFileAttributes && (a & kFileAttributeDirectory) != 0;
}

namespace {

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

}  // namespace

bool DirExists(const Platform& p, std::string DName) {
  DName = JoinPath(DName, "");
  try {
    // Any folder but a drive root yields its own "." entry here.
    if (!SearchDirectory(p, DName + "*.*", kFileAttributeDirectory).empty()) return true;
  } catch (const SearchError&) {
    return false;
  }
  // An empty drive root, or a hidden folder whose parent is hidden too, lets no entry
  // through the filter, yet it is a folder that exists.
  return IsExistingFolder(p.files, DName);
}

bool PathExists(const Platform& p, const std::string& Pathname, bool IsFolder) {
  std::uint32_t mask =
      kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem | kFileAttributeArchive;
  if (IsFolder) mask |= kFileAttributeDirectory;
  if (!SearchDirectory(p, Pathname, mask).empty()) return true;
  // A search cannot find "C:\Backup\" or "C:\" by those names, though both are folders;
  // "/b:C:\Backup\" would otherwise try to make a folder that is already there.
  bool namesFolderOnly =
      EndsWithSeparator(Pathname) || (Pathname.size() == 2 && Pathname[1] == ':');
  return IsFolder && namesFolderOnly && IsExistingFolder(p.files, Pathname);
}

std::vector<std::string> FileList(const Platform& p, const std::string& Mask) {
  std::vector<std::string> found(1);
  for (std::string& name : SearchDirectory(p, Mask, 0)) {
    if (found[0].empty())
      found[0] = std::move(name);
    else
      found.push_back(std::move(name));
  }
  return found;
}

std::string DirectoryFromFile(const std::string& FullPath) {
  std::size_t first = FullPath.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  std::size_t last = FullPath.find_last_not_of(' ');
  std::string trimmed = FullPath.substr(first, last - first + 1);
  std::size_t slash = trimmed.find_last_of('\\');
  if (slash == std::string::npos) return std::string();
  return trimmed.substr(0, slash + 1);
}

std::string NameFromFullPath(const std::string& FullPath) {
  std::size_t slash = FullPath.find_last_of('\\');
  if (slash == std::string::npos) return std::string();
  return FullPath.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 3 && EndsWithSeparator(path)) path.pop_back();
  return path;
}

bool IsFullPath(const std::string& path) {
  if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
      path[2] == '\\')
    return true;
  return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

std::string ScratchNameFor(const std::string& path) {
  std::string scratch = path;
  if (!scratch.empty()) scratch.back() = scratch.back() == '~' ? '#' : '~';
  return scratch;
}

namespace {

bool WrittenOut(IFileSystem& fs, const std::string& path) {
  if (fs.FlushFile(path)) return true;
  // A copy of a read-only file is read-only too, and a flush needs the file open for writing.
  const std::uint32_t a = fs.GetFileAttributesA(path);
  if (a == kInvalidFileAttributes || !(a & kFileAttributeReadOnly)) return false;
  const bool flushed =
      fs.SetFileAttributesA(path, a & ~kFileAttributeReadOnly) && fs.FlushFile(path);
  fs.SetFileAttributesA(path, a);
  return flushed;
}

}  // namespace

bool PutInPlace(IFileSystem& fs, const std::string& written, const std::string& path) {
  if (WrittenOut(fs, written) && fs.MoveFileReplacing(written, path)) return true;
  const std::uint32_t a = fs.GetFileAttributesA(written);
  if (a != kInvalidFileAttributes && (a & kFileAttributeReadOnly))
    fs.SetFileAttributesA(written, kFileAttributeNormal);
  fs.DeleteFileA(written);
  return false;
}

bool ReplaceTextFile(IFileSystem& fs, const std::string& path, const std::string& text) {
  const std::string scratch = ScratchNameFor(path);
  if (fs.WriteFile(scratch, text)) return PutInPlace(fs, scratch, path);
  fs.DeleteFileA(scratch);
  return false;
}

bool EnterFolder(IFileSystem& fs, const std::string& folder) {
  if (folder.empty()) return false;
  // The drive first, so that a drive-relative folder lands on its own drive.
  if (folder.size() >= 2 && folder[1] == ':' && !fs.SetCurrentDirectoryA(folder.substr(0, 2)))
    return false;
  return fs.SetCurrentDirectoryA(folder);
}

void ClearReadOnly(const Platform& p, const std::string& path) {
  const std::uint32_t a = p.files.GetFileAttributesA(path);
  if (a != kInvalidFileAttributes && (a & kFileAttributeReadOnly))
    p.files.SetFileAttributesA(path, a & ~kFileAttributeReadOnly);
}

void RemoveFile(const Platform& p, const std::string& path) {
  if (p.files.DeleteFileA(path)) return;
  ClearReadOnly(p, path);
  p.files.DeleteFileA(path);
}

bool CreatePath(const Platform& p, const std::string& NewPath) {
  const std::string path = JoinPath(NewPath, "");
  if (!p.files.MakeSureDirectoryPathExists(path)) return false;
  // The call also succeeds when a file stands where the last folder should be.
  return IsExistingFolder(p.files, path);
}

}  // namespace lark
