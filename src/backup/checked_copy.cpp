#include "backup/checked_copy.h"

#include "core/texts.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/sha256.h"
#include "fs/shell_copy.h"

namespace lark {

std::string SetAsideNameFor(const std::string& path) {
  std::string aside = path;
  if (!aside.empty()) aside.back() = aside.back() == '$' ? '%' : '$';
  return aside;
}

void RemoveFile(const Platform& p, const std::string& path) {
  IFileSystem& fs = p.files;
  if (fs.DeleteFileA(path)) return;
  std::uint32_t a = fs.GetFileAttributesA(path);
  if (a != kInvalidFileAttributes && (a & kFileAttributeReadOnly)) {
    fs.SetFileAttributesA(path, a & ~kFileAttributeReadOnly);
    fs.DeleteFileA(path);
  }
}

bool BackupFile(const Platform& p, const std::string& src, const std::string& dest, bool noConfirm,
                bool hiddenRun, const std::string& relPath, Manifest& manifest,
                std::vector<std::string>& problems, std::uint64_t* bytes) {
  IFileSystem& fs = p.files;
  // The shell makes missing destination folders; a backup folder that has gone (a disk
  // unplugged) must not be made anew on whatever drive now answers to its letter.
  if (!DirExists(p, DirectoryFromFile(dest))) {
    problems.push_back(texts::FileNotCopied(src));
    return false;
  }
  FileInfo before;
  const bool haveSource = fs.GetFileInfo(src, &before);
  FileInfo earlier;
  const bool existed = fs.GetFileInfo(dest, &earlier);
  std::string aside;
  if (noConfirm && existed && !(earlier.attributes & kFileAttributeDirectory)) {
    aside = SetAsideNameFor(dest);
    RemoveFile(p, aside);
    if (!fs.MoveFileReplacing(dest, aside)) aside.clear();
  }
  const bool copied = ShellFileCopy(p, src, dest, noConfirm, hiddenRun);
  FileInfo after;
  const bool unchanged = haveSource && fs.GetFileInfo(src, &after) && after.size == before.size &&
                         after.lastWrite == before.lastWrite;
  FileInfo copy;
  const bool complete =
      copied && fs.GetFileInfo(dest, &copy) && haveSource && copy.size == before.size;
  std::string hex;
  const bool hashed = complete && unchanged && Sha256File(p.streams, dest, &hex);
  if (!hashed) {
    if (!copied)
      problems.push_back(aside.empty() ? texts::FileNotCopied(src) : texts::CopyIncomplete(src));
    else if (!complete)
      problems.push_back(texts::CopyIncomplete(src));
    else if (!unchanged)
      problems.push_back(texts::SourceChanged(src));
    else
      problems.push_back(texts::CopyNotChecked(src));
    // What the shell left is partial or inconsistent: the earlier copy is worth more.
    if (!aside.empty()) {
      RemoveFile(p, dest);
      fs.MoveFileReplacing(aside, dest);
    } else if (!existed) {
      RemoveFile(p, dest);
    }
    manifest.Remove(relPath);
    return false;
  }
  if (!aside.empty()) RemoveFile(p, aside);
  manifest.Set(relPath, hex);
  if (bytes) *bytes = copy.size;
  return true;
}

}  // namespace lark
