// The real platform: each call goes to the ANSI Win32 function of the same name.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace lark {

class Win32Registry : public IRegistry {
 public:
  long RegOpenKeyExA(RegKey root, const std::string& subKey, std::uint32_t access,
                     RegKey* result) override;
  long RegQueryValueExA(RegKey key, const std::string& valueName, std::uint32_t* type,
                        std::uint8_t* data, std::uint32_t* size) override;
  long RegSetValueExA(RegKey key, const std::string& valueName, std::uint32_t type,
                      const std::uint8_t* data, std::uint32_t size) override;
  long RegCreateKeyExA(RegKey root, const std::string& subKey, const std::string& className,
                       std::uint32_t access, RegKey* result) override;
  long RegQueryInfoKeyA(RegKey key, std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen) override;
  long RegEnumKeyExA(RegKey key, std::uint32_t index, std::string* name) override;
  long RegDeleteValueA(RegKey key, const std::string& valueName) override;
  long RegCloseKey(RegKey key) override;
  long RegSaveKeyA(RegKey key, const std::string& file) override;
  bool EnablePrivilege(const std::string& privilegeName) override;
};

class Win32FileSystem : public IFileSystem {
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
  bool FlushFile(const std::string& path) override;
  bool MoveFileA(const std::string& from, const std::string& to) override;
  bool RemoveDirectoryA(const std::string& path) override;
  long LastError() override { return lastError_; }
  bool GetFileInfo(const std::string& path, FileInfo* info) override;
  bool SetFileAttributesA(const std::string& path, std::uint32_t attributes) override;

 private:
  long lastError_ = 0;
};

// Replaces `to` by `from` with plain renames, for the Windows that cannot do it in one step:
// the old target is set aside, the new file moved in, then the old one deleted (or put back
// when the move fails). `error` receives the Windows error code, 0 on success.
bool MoveFileInSteps(const std::string& from, const std::string& to, long* error);

class Win32FileStreams : public IFileStreams {
 public:
  std::unique_ptr<IFileReader> OpenRead(const std::string& path) override;
  std::unique_ptr<IFileWriter> Create(const std::string& path) override;
};

class Win32Processes : public IProcesses {
 public:
  ~Win32Processes() override;
  ProcessId Start(const std::string& commandLine, int showStyle) override;
  ThreadId StartThread(std::function<void()> work) override;
  void Pause(std::uint32_t ms) override;
  SignalId CreateSignal() override;
  void Signal(SignalId signal) override;
  bool AwaitSignal(SignalId signal) override;
  WaitOutcome AwaitHandle(std::uint64_t handle, std::uint32_t timeoutMs) override;
  void ReleaseHandle(std::uint64_t handle) override;
};

class Win32Shell : public IShell {
 public:
  int FileCopy(const std::string& from, const std::string& to, unsigned flags) override;
  std::intptr_t ShellExecuteA(std::uintptr_t ownerWindow, const std::string& verb,
                              const std::string& file, const std::string& parameters,
                              const std::string& directory, int showCommand) override;
  std::optional<std::string> BrowseForFolder(std::uintptr_t ownerWindow, const std::string& title,
                                             unsigned flags) override;
  std::string ExpandEnvironmentStringsA(const std::string& text) override;
  bool ProcessorFeaturePresent(std::uint32_t feature) override;
  bool UnderWine() override;
  std::string ComputerName() override;
  std::string UserName() override;
};

class Win32User : public IUser {
 public:
  // Message boxes and dialogs are owned by this window when it is set and visible.
  void SetOwner(std::uintptr_t window) { owner_ = window; }
  void SetTitle(const std::string& title) { title_ = title; }
  void MessageBoxA(const std::string& text, const std::string& title) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title) override;
  std::optional<std::string> OpenFileDialog(const OpenFileRequest& request) override;
  void SetPointer(Pointer pointer) override;
  bool AskRetryCancel(const std::string& text, const std::string& title) override;
  bool AskOkCancel(const std::string& text, const std::string& title) override;
  bool WindowClassExists(const std::string& className) override;
  [[noreturn]] void EndProcess(int exitCode) override;

 private:
  std::uintptr_t owner_ = 0;
  std::string title_;
};

// The five parts together, for WinMain and the Windows tests.
class Win32Platform {
 public:
  Win32Registry registry;
  Win32FileSystem files;
  Win32FileStreams streams;
  Win32Processes processes;
  Win32Shell shell;
  Win32User user;
  Platform platform{registry, files, streams, processes, shell, user};
};

}  // namespace lark
