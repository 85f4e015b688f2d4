// The in-memory stand-in for the whole platform, for native unit tests of the logic.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/memory/memory_files.h"
#include "platform/memory/memory_registry.h"
#include "platform/platform.h"

namespace lark {

// Thrown by MemoryUser::EndProcess so that a test sees where the program would have ended.
struct ProcessEnded {
  int exitCode;
};

// Streams over the in-memory files: a reader takes a snapshot, a writer stores on Commit
// (and leaves what it wrote so far when dropped without one, like a real partial write).
class MemoryFileStreams : public IFileStreams {
 public:
  explicit MemoryFileStreams(MemoryFileSystem& files) : files_(files) {}
  std::unique_ptr<IFileReader> OpenRead(const std::string& path) override;
  std::unique_ptr<IFileWriter> Create(const std::string& path) override;
  std::set<std::string> lockedFiles;  // absolute paths that refuse to open, as if held open
  bool failWrites = false;             // every Write fails, as on a full disk

 private:
  MemoryFileSystem& files_;
};

class MemoryProcesses : public IProcesses {
 public:
  // Runs "inside" Start, in place of the child: a test plugs in a stand-in registry editor.
  std::function<void(const std::string& commandLine)> onStart;
  std::vector<std::string> started;     // command lines, in order
  std::vector<int> showStyles;          // the show style of each start
  std::vector<std::string> directories; // the current directory of each start
  IFileSystem* files = nullptr;         // for recording the directory
  bool failStart = false;
  bool neverEnds = false;               // Wait never sees the process end

  ProcessId Start(const std::string& commandLine, int showStyle) override;
  bool Wait(ProcessId process, std::uint32_t timeoutMs) override;
  void Release(ProcessId process) override;
  std::size_t OpenHandles() const { return open_.size(); }

 private:
  std::map<ProcessId, bool> open_;
  ProcessId next_ = 1;
};

class MemoryShell : public IShell {
 public:
  struct Execute {
    std::uintptr_t owner;
    std::string verb, file, parameters, directory;
    int show;
  };
  struct Copy {
    std::string from, to;
    unsigned flags;
  };
  explicit MemoryShell(MemoryFileSystem& files) : files_(files) {}
  std::vector<Execute> executed;
  std::vector<Copy> copies;
  std::deque<std::optional<std::string>> browseAnswers;  // next answers of the folder browser
  std::vector<std::string> browseTitles;
  std::vector<std::uintptr_t> browseOwners;
  std::vector<unsigned> browseFlags;
  std::map<std::string, std::string> environment;  // upper-case names
  // Called when the copy would replace a file without FOF_NOCONFIRMATION: true = "Yes".
  std::function<bool(const std::string& target)> confirmReplace = [](const std::string&) {
    return true;
  };

  int FileCopy(const std::string& from, const std::string& to, unsigned flags) override;
  std::intptr_t ShellExecuteA(std::uintptr_t ownerWindow, const std::string& verb,
                             const std::string& file, const std::string& parameters,
                             const std::string& directory, int showCommand) override;
  std::optional<std::string> BrowseForFolder(std::uintptr_t ownerWindow, const std::string& title,
                                             unsigned flags) override;
  std::string ExpandEnvironmentStringsA(const std::string& text) override;

 private:
  MemoryFileSystem& files_;
};

class MemoryUser : public IUser {
 public:
  struct Message {
    std::string text, title;
  };
  std::vector<Message> messages;
  std::deque<std::optional<std::string>> inputAnswers;
  std::vector<std::string> inputPrompts;
  std::vector<std::string> inputTitles;
  std::deque<std::optional<std::string>> openFileAnswers;
  std::vector<OpenFileRequest> openFileRequests;
  std::vector<Pointer> pointers;
  // Runs when a message box is shown (a test may look at the state at that moment).
  std::function<void(const std::string& text)> onMessage;

  void MessageBoxA(const std::string& text, const std::string& title) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title) override;
  std::optional<std::string> OpenFileDialog(const OpenFileRequest& request) override;
  void SetPointer(Pointer pointer) override { pointers.push_back(pointer); }
  bool AskRetryCancel(const std::string&, const std::string&) override { return false; }
  bool WindowClassExists(const std::string&) override { return false; }
  [[noreturn]] void EndProcess(int exitCode) override { throw ProcessEnded{exitCode}; }
};

class MemoryPlatform {
 public:
  MemoryPlatform() {
    processes.files = &files;
    // As on Windows, a hive is never saved over an existing file.
    registry.writeHive = [this](const std::string& file) -> long {
      if (files.GetFileAttributesA(file) != kInvalidFileAttributes) return kErrorAlreadyExists;
      return files.WriteFile(file, "regf hive") ? kErrorSuccess : kErrorAccessDenied;
    };
  }
  MemoryRegistry registry;
  MemoryFileSystem files;
  MemoryFileStreams streams{files};
  MemoryProcesses processes;
  MemoryShell shell{files};
  MemoryUser user;
  Platform platform{registry, files, streams, processes, shell, user};
};

}  // namespace lark
