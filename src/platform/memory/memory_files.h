// An in-memory file system with drives, folders, files and attributes, answering like
// the Win32 calls the logic makes (see platform.h). What it copies from Windows (and
// Wine agrees unless noted in the tests):
// - paths: "\" or "/" separators, "X:\..." absolute, "\..." on the current drive, "X:name"
//   relative to the current directory when X is the current drive (the root otherwise),
//   "." and ".." resolved, repeated separators and a final component's trailing dots and
//   blanks ignored, names compared without regard to case;
// - searches: "." and ".." first in every folder but a drive root ("." carries the folder's
//   own attributes, ".." its parent's), then the entries in NTFS order (names compared in
//   upper case), or in creation order on a drive added as a FAT volume; DOS wildcard rules
//   ("*.*" and "name.*" also match names without a dot, "?" also matches nothing at the end
//   of a name or before its dot, "*." matches names without a dot), tried against the long
//   name and the generated 8.3 name, so "*.dbx" also finds "old.dbxx" (OLD~1.DBX);
// - error codes: missing drive or folder on the way 3, missing entry 2, a file used as a
//   folder 267, a wildcard or a forbidden character in a folder name 123, a drive without
//   its medium 21.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lark {

class MemoryFileSystem : public IFileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  long FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) override;
  std::uint32_t GetFileAttributesA(const std::string& path) override;
  std::string GetCurrentDirectoryA() override;
  bool SetCurrentDirectoryA(const std::string& path) override;
  bool CreateDirectoryA(const std::string& path) override;
  bool MakeSureDirectoryPathExists(const std::string& path) override;
  std::uint32_t GetDriveTypeA(const std::string& root) override;
  bool ReadFile(const std::string& path, std::string* contents) override;
  bool WriteFile(const std::string& path, const std::string& contents) override;
  bool DeleteFileA(const std::string& path) override;
  bool MoveFileReplacing(const std::string& from, const std::string& to) override;
  long LastError() override { return lastError_; }
  bool GetFileInfo(const std::string& path, FileInfo* info) override {
    std::uint32_t a = GetFileAttributesA(path);
    if (a == kInvalidFileAttributes) return false;
    std::string contents;
    info->attributes = a;
    info->size = (a & kFileAttributeDirectory) || !ReadFile(path, &contents) ? 0 : contents.size();
    info->lastWrite = info->size;
    return true;
  }
  bool SetFileAttributesA(const std::string&, std::uint32_t) override { return true; }

  // The shell's copy (SHFileOperationA FO_COPY of one source) with the result codes Wine's
  // shell gives: 0 done, 1026 missing source, 5 empty source, 113 source and target the
  // same file, 1223 cancelled or failed. Without noConfirmation, confirmReplace is asked
  // before an existing file is replaced (true = "Yes"); "No" leaves the file and gives 1223
  // when the destination named the file itself, 0 when it named the folder. Missing
  // destination folders are made without asking; a read-only target is replaced.
  int ShellCopy(const std::string& from, const std::string& to, bool noConfirmation,
                const std::function<bool(const std::string&)>& confirmReplace);

  // ---- for tests ----
  // A FAT volume lists its entries in creation order instead of NTFS's sorted order.
  void AddDrive(char letter, std::uint32_t driveType = kDriveFixed, bool ready = true,
                bool fatOrder = false);
  void SetDriveReady(char letter, bool ready);  // a medium put in or taken out
  // Both make the missing folders on the way, and the drive as a fixed drive if needed.
  void AddFolder(const std::string& path, std::uint32_t attributes = kFileAttributeDirectory);
  void AddFile(const std::string& path, const std::string& contents,
               std::uint32_t attributes = kFileAttributeArchive);
  bool SetAttributes(const std::string& path, std::uint32_t attributes);
  bool Exists(const std::string& path);
  std::string Contents(const std::string& path);  // "" when missing
  // Absolute form of a path as Windows would resolve it against the current directory
  // ("" when it cannot be resolved).
  std::string Absolute(const std::string& path) const;

 private:
  struct Node;
  struct Drive;
  struct Path;  // a path resolved to a drive and its components
  struct Lookup;

  Path Resolve(const std::string& path) const;
  Lookup Find(const Path& path, bool evenIfNotReady = false) const;
  Node* FindNode(const std::string& path) const;
  Node* MakeChild(Node* parent, const std::string& name, std::uint32_t attributes);
  Node* EnsureFolders(const Path& path, std::size_t count, bool evenIfNotReady = false);
  long Fail(long code);
  bool Failed(long code);
  void CopyTree(const Node& from, Node* into);
  int CopyFileTo(const Node& source, Node* folder, const std::string& name, bool namedTarget,
                 bool noConfirmation, const std::function<bool(const std::string&)>& confirmReplace,
                 const std::string& targetText);

  std::map<char, std::unique_ptr<Drive>> drives_;
  char currentDrive_ = 'C';
  std::vector<std::string> currentParts_;  // the current directory of the current drive
  long lastError_ = 0;
};

}  // namespace lark
