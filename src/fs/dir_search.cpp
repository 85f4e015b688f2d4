// The filtered directory search and the line between "nothing there" and a failure.
#include "fs/dir_search.h"

namespace lark {

namespace {

constexpr long kErrorNoMoreFiles = 18;
constexpr long kErrorDirectory = 267;

// A search whose path starts with "X:" on a drive letter that is not there fails with the
// same code as a missing folder; only the drive type tells them apart.
bool OnMissingDrive(IFileSystem& files, const std::string& pattern) {
  if (pattern.size() < 2 || pattern[1] != ':') return false;
  return files.GetDriveTypeA(std::string(1, pattern[0]) + ":\\") == kDriveNoRootDir;
}

// Windows reports a search through a file ("C:\notes.txt\*.*") as "not a folder"; Wine
// reports it as a malformed name. Either way nothing is there.
bool ThroughFile(IFileSystem& files, const std::string& pattern) {
  std::size_t cut = pattern.find_last_of("\\/");
  while (cut != std::string::npos && cut > 0) {
    std::uint32_t a = files.GetFileAttributesA(pattern.substr(0, cut));
    if (a != kInvalidFileAttributes) return (a & kFileAttributeDirectory) == 0;
    cut = pattern.find_last_of("\\/", cut - 1);
  }
  return false;
}

bool NothingThere(IFileSystem& files, const std::string& pattern, long code) {
  switch (code) {
    case kErrorFileNotFound:
    case kErrorNoMoreFiles:
    case kErrorDirectory: return true;
    case kErrorPathNotFound: return !OnMissingDrive(files, pattern);
    case kErrorInvalidName: return ThroughFile(files, pattern);
    default: return false;
  }
}

}  // namespace

SearchError::SearchError(const std::string& pattern, long code)
    : std::runtime_error("directory search failed with error " + std::to_string(code) + ": " +
                         pattern),
      pattern_(pattern),
      code_(code) {}

bool PassesAttributeMask(std::uint32_t attributes, std::uint32_t mask) {
  if ((attributes & kFileAttributeDirectory) && !(mask & kFileAttributeDirectory)) return false;
  const std::uint32_t hiddenOrSystem = kFileAttributeHidden | kFileAttributeSystem;
  return (attributes & hiddenOrSystem & ~mask) == 0;
}

std::vector<std::string> SearchDirectory(const Platform& p, const std::string& pattern,
                                         std::uint32_t mask) {
  std::vector<FindEntry> entries;
  long rc = p.files.FindFiles(pattern, &entries);
  if (rc != kErrorSuccess && !NothingThere(p.files, pattern, rc)) throw SearchError(pattern, rc);
  std::vector<std::string> names;
  for (const FindEntry& e : entries)
    if (PassesAttributeMask(e.attributes, mask)) names.push_back(e.name);
  return names;
}

}  // namespace lark
