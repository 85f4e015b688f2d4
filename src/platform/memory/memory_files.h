// An in-memory file system with drives, folders, files and attributes, answering like
// the Win32 calls the logic makes (see platform.h).
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

  long FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) override;
  std::uint32_t GetFileAttributesA(const std::string& path) override;
  std::string GetCurrentDirectoryA() override { return cwd_; }
  bool SetCurrentDirectoryA(const std::string& path) override;
  bool CreateDirectoryA(const std::string& path) override;
  bool MakeSureDirectoryPathExists(const std::string& path) override;
  std::uint32_t GetDriveTypeA(const std::string& root) override;
  bool ReadFile(const std::string& path, std::string* contents) override;
  bool WriteFile(const std::string& path, const std::string& contents) override;
  bool DeleteFileA(const std::string& path) override;
  bool MoveFileReplacing(const std::string& from, const std::string& to) override;
  long LastError() override { return lastError_; }

  // The shell's copy (SHFileOperationA FO_COPY of one file); returns its result code.
  int ShellCopy(const std::string& from, const std::string& to, bool noConfirmation,
                const std::function<bool(const std::string&)>& confirmReplace);

  // ---- for tests ----
  void AddDrive(char letter, std::uint32_t driveType = kDriveFixed, bool ready = true);
  void AddFolder(const std::string& path, std::uint32_t attributes = kFileAttributeDirectory);
  void AddFile(const std::string& path, const std::string& contents,
               std::uint32_t attributes = kFileAttributeArchive);
  bool Exists(const std::string& path);
  std::string Contents(const std::string& path);  // "" when missing
  // Absolute form of a path as Windows would resolve it against the current directory.
  std::string Absolute(const std::string& path) const;

 private:
  struct Node {
    std::string name;
    std::uint32_t attributes = 0;
    std::string contents;
    std::vector<std::unique_ptr<Node>> children;  // in creation order: the search order
    Node* Child(const std::string& name);
  };
  struct Drive {
    std::uint32_t type = kDriveFixed;
    bool ready = true;
    std::unique_ptr<Node> root;
  };
  Node* Lookup(const std::string& absolutePath);
  Node* Parent(const std::string& absolutePath, std::string* leaf);

  std::map<char, Drive> drives_;
  std::string cwd_ = "C:\\";
  long lastError_ = 0;
};

}  // namespace lark
