// Just enough of the platform's file interfaces over POSIX calls for the rewrite to run
// natively against a real disk: attributes, delete, replace, and the block streams. The
// rest answers "not supported"; nothing in the rewrite asks for it.
#pragma once

#include <string>

#include "platform/platform.h"

namespace lark::bench {

class PosixFileSystem : public IFileSystem {
 public:
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

 private:
  long Fail();
  long lastError_ = 0;
};

// A writer's Commit flushes the file to the disk before closing it, as the Win32 writer's
// FlushFileBuffers does, so the rewrite pays here what it pays on Windows. The time spent
// flushing is added up in g_flushSeconds.
extern double g_flushSeconds;

class PosixFileStreams : public IFileStreams {
 public:
  std::unique_ptr<IFileReader> OpenRead(const std::string& path) override;
  std::unique_ptr<IFileWriter> Create(const std::string& path) override;
};

}  // namespace lark::bench
