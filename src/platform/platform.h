// What the logic may ask of Windows. The Win32 layer (platform/win32) passes each call
// straight to the API function of the same name. Nothing here includes <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lark {

// ---------------------------------------------------------------------------
// Constants with the values Windows gives them, so that the logic can be written
// with the numbers the Win32 API documents without pulling in <windows.h>.
// ---------------------------------------------------------------------------
using RegKey = std::uintptr_t;  // an HKEY
constexpr RegKey kHkeyClassesRoot = 0x80000000u;
constexpr RegKey kHkeyCurrentUser = 0x80000001u;
constexpr RegKey kHkeyLocalMachine = 0x80000002u;
constexpr RegKey kHkeyUsers = 0x80000003u;

constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kKeyWrite = 0x20006;
constexpr std::uint32_t kKeyAllAccess = 0xF003F;

constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorPathNotFound = 3;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorNotReady = 21;
constexpr long kErrorInvalidParameter = 87;
constexpr long kErrorInvalidName = 123;
constexpr long kErrorAlreadyExists = 183;
constexpr long kErrorFileTooLarge = 223;
constexpr long kErrorMoreData = 234;
constexpr long kErrorNoMoreItems = 259;
constexpr long kErrorPrivilegeNotHeld = 1314;

constexpr std::uint32_t kFileAttributeReadOnly = 0x01;
constexpr std::uint32_t kFileAttributeHidden = 0x02;
constexpr std::uint32_t kFileAttributeSystem = 0x04;
constexpr std::uint32_t kFileAttributeDirectory = 0x10;
constexpr std::uint32_t kFileAttributeArchive = 0x20;
constexpr std::uint32_t kFileAttributeNormal = 0x80;
constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;
constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;

constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;  // a wait without a time limit

constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr int kSwShowMinimized = 2;

constexpr std::uint32_t kDriveUnknown = 0;
constexpr std::uint32_t kDriveNoRootDir = 1;
constexpr std::uint32_t kDriveRemovable = 2;
constexpr std::uint32_t kDriveFixed = 3;
constexpr std::uint32_t kDriveRemote = 4;
constexpr std::uint32_t kDriveCdRom = 5;
constexpr std::uint32_t kDriveRamDisk = 6;

constexpr unsigned kFoCopy = 2;
constexpr unsigned kFofNoConfirmation = 0x10;
constexpr unsigned kFofSilent = 0x04;
constexpr unsigned kFofAllowUndo = 0x40;
constexpr unsigned kFofNoConfirmMkDir = 0x200;
constexpr unsigned kFofNoErrorUi = 0x400;

constexpr unsigned kBifReturnOnlyFsDirs = 0x0001;

constexpr std::uint32_t kPfXmmiInstructionsAvailable = 6;  // SSE, and Windows saves its registers
constexpr std::uint32_t kPfXmmi64InstructionsAvailable = 10;  // SSE2, likewise

// ---------------------------------------------------------------------------
// Registry (advapi32). Same contracts as the ANSI functions of the same names:
// return codes are Win32 error codes, handles are opened and closed by the caller.
// ---------------------------------------------------------------------------
class IRegistry {
 public:
  virtual ~IRegistry() = default;
  virtual long RegOpenKeyExA(RegKey root, const std::string& subKey, std::uint32_t access,
                             RegKey* result) = 0;
  // data == nullptr asks for the type and size only; *size is the buffer size in, the
  // value's size out (ERROR_MORE_DATA when the buffer is too small).
  virtual long RegQueryValueExA(RegKey key, const std::string& valueName, std::uint32_t* type,
                                std::uint8_t* data, std::uint32_t* size) = 0;
  virtual long RegSetValueExA(RegKey key, const std::string& valueName, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) = 0;
  // Creates the key and its missing parents (non-volatile, inheritable handle).
  virtual long RegCreateKeyExA(RegKey root, const std::string& subKey, const std::string& className,
                               std::uint32_t access, RegKey* result) = 0;
  virtual long RegQueryInfoKeyA(RegKey key, std::uint32_t* subKeys,
                                std::uint32_t* maxSubKeyLen) = 0;
  virtual long RegEnumKeyExA(RegKey key, std::uint32_t index, std::string* name) = 0;
  virtual long RegDeleteValueA(RegKey key, const std::string& valueName) = 0;
  virtual long RegCloseKey(RegKey key) = 0;
  // Saves the branch as a hive file. Needs the backup privilege (EnableBackupPrivilege).
  virtual long RegSaveKeyA(RegKey key, const std::string& file) = 0;
  // OpenProcessToken + LookupPrivilegeValueA + AdjustTokenPrivileges on the process token,
  // with a one-entry TOKEN_PRIVILEGES record; true when the adjustment call succeeded.
  virtual bool EnablePrivilege(const std::string& privilegeName) = 0;
};

// ---------------------------------------------------------------------------
// File system (kernel32, imagehlp). Paths are ANSI text with "\" separators;
// relative paths resolve against the current directory.
// ---------------------------------------------------------------------------
// GetFileAttributesExA: what tells one version of a file from the next.
struct FileInfo {
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;  // FILETIME as one number
};

struct FindEntry {
  std::string name;              // bare name, no folder part
  std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_* bits
  std::uint64_t size = 0;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // FindFirstFileA/FindNextFileA over the whole search: every entry the pattern matches,
  // in the file system's own order, "." and ".." included where Windows returns them,
  // without any attribute filtering. Returns the Win32 error code of FindFirstFileA
  // (ERROR_FILE_NOT_FOUND when nothing matched), 0 when at least one entry was found.
  virtual long FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) = 0;
  virtual std::uint32_t GetFileAttributesA(const std::string& path) = 0;
  virtual std::string GetCurrentDirectoryA() = 0;
  virtual bool SetCurrentDirectoryA(const std::string& path) = 0;
  virtual bool CreateDirectoryA(const std::string& path) = 0;
  // imagehlp: creates every missing folder up to the path's last "\".
  virtual bool MakeSureDirectoryPathExists(const std::string& path) = 0;
  virtual std::uint32_t GetDriveTypeA(const std::string& root) = 0;
  // Whole-file helpers for small files; large files go through the streaming calls. A file
  // longer than kMaxWholeFile is not read (ERROR_FILE_TOO_LARGE): what is read whole is the
  // program's bookkeeping (checksum lists, infos, journals), which a backup folder on a shared
  // disk may hold in any size.
  static constexpr std::size_t kMaxWholeFile = 64u << 20;
  virtual bool ReadFile(const std::string& path, std::string* contents) = 0;
  virtual bool WriteFile(const std::string& path, const std::string& contents) = 0;
  virtual bool DeleteFileA(const std::string& path) = 0;
  // MoveFileExA with MOVEFILE_REPLACE_EXISTING: replaces target in one step.
  virtual bool MoveFileReplacing(const std::string& from, const std::string& to) = 0;
  // FlushFileBuffers through a handle of its own: what the cache still holds of the file is on
  // the disk when it returns true.
  virtual bool FlushFile(const std::string& path) = 0;
  // MoveFileA: renames a file or a folder within its volume; fails when `to` exists.
  virtual bool MoveFileA(const std::string& from, const std::string& to) = 0;
  virtual bool RemoveDirectoryA(const std::string& path) = 0;
  virtual long LastError() = 0;
  // GetFileAttributesExA; false when the path cannot be read (LastError() tells why).
  virtual bool GetFileInfo(const std::string& path, FileInfo* info) = 0;
  virtual bool SetFileAttributesA(const std::string& path, std::uint32_t attributes) = 0;
};

// Reading and writing large files a block at a time, so that memory does not grow with
// the file (registry exports can be tens of megabytes).
class IFileReader {
 public:
  virtual ~IFileReader() = default;
  // Fills up to `capacity` bytes; *got = 0 at the end. False on a read error.
  virtual bool Read(char* buffer, std::size_t capacity, std::size_t* got) = 0;
  // SetFilePointer from the start: the next Read begins at `offset`. False when the reader
  // cannot move (the caller then reads on from where it is, or not at all).
  virtual bool Seek(std::uint64_t offset) {
    (void)offset;
    return false;
  }
};

class IFileWriter {
 public:
  virtual ~IFileWriter() = default;  // closes; a writer not Commit()ted may leave a partial file
  virtual bool Write(const char* data, std::size_t size) = 0;
  // Flushes and closes; true when every byte reached the file.
  virtual bool Commit() = 0;
  // Closes without waiting for the disk: for many small files of which none is the only copy
  // of anything (a flush each would cost the disk's latency thousands of times).
  virtual bool Close() { return Commit(); }
};

class IFileStreams {
 public:
  virtual ~IFileStreams() = default;
  // Opens for reading with others allowed to read only, as a writer still at work would
  // refuse; nullptr on failure (LastError() of the file system tells why).
  virtual std::unique_ptr<IFileReader> OpenRead(const std::string& path) = 0;
  // Creates or truncates the file for writing; nullptr on failure.
  virtual std::unique_ptr<IFileWriter> Create(const std::string& path) = 0;
};

// ---------------------------------------------------------------------------
// Child processes and threads (CreateProcessA, CreateThread / WaitForSingleObject).
// ---------------------------------------------------------------------------
// Opaque owners of a kernel handle; 0 = none. A process, a thread and an event are types of
// their own, so that one is never waited on, signalled or released as another.
template <class Kind>
struct KernelId {
  std::uint64_t value = 0;
  KernelId() = default;
  explicit KernelId(std::uint64_t v) : value(v) {}
  explicit operator bool() const { return value != 0; }
  friend bool operator==(KernelId a, KernelId b) { return a.value == b.value; }
  friend bool operator!=(KernelId a, KernelId b) { return a.value != b.value; }
  friend bool operator<(KernelId a, KernelId b) { return a.value < b.value; }
};
using ProcessId = KernelId<struct ProcessKind>;
using ThreadId = KernelId<struct ThreadKind>;
using SignalId = KernelId<struct SignalKind>;

// How a wait for a process or thread came out.
enum class WaitOutcome {
  Ended,    // it has ended
  Running,  // the time ran out first
  Failed,   // it could not be waited for: whether it has ended is not known
};

class IProcesses {
 public:
  virtual ~IProcesses() = default;
  // Starts commandLine with the given show style in the current directory; none on failure.
  virtual ProcessId Start(const std::string& commandLine, int showStyle) = 0;
  // Runs work on a thread of its own; none when no thread could be started. The work must
  // not throw.
  virtual ThreadId StartThread(std::function<void()> work) = 0;
  // Waits up to timeoutMs (0 polls) for the process or thread to end.
  WaitOutcome Await(ProcessId process, std::uint32_t timeoutMs) {
    return AwaitHandle(process.value, timeoutMs);
  }
  WaitOutcome Await(ThreadId thread, std::uint32_t timeoutMs) {
    return AwaitHandle(thread.value, timeoutMs);
  }
  // True once the process has ended (waiting up to timeoutMs; 0 polls).
  bool Wait(ProcessId process, std::uint32_t timeoutMs) {
    return Await(process, timeoutMs) == WaitOutcome::Ended;
  }
  // Lets the calling thread sleep, as before another try of something that failed.
  virtual void Pause(std::uint32_t ms) = 0;
  // Releases the handle; a process itself runs on.
  void Release(ProcessId process) { ReleaseHandle(process.value); }
  void Release(ThreadId thread) { ReleaseHandle(thread.value); }
  void Release(SignalId signal) { ReleaseHandle(signal.value); }
  // An event the threads of this program set for each other (CreateEventA, reset by the wait
  // it ends); none when none could be made.
  virtual SignalId CreateSignal() = 0;
  virtual void Signal(SignalId signal) = 0;  // SetEvent; nothing for none
  // Waits until the signal has been set since the last wait it ended; false when it cannot
  // be waited on.
  virtual bool AwaitSignal(SignalId signal) = 0;

  // What the typed calls above come down to: one wait and one close for every kind (0: an
  // immediate Ended, and nothing to close).
  virtual WaitOutcome AwaitHandle(std::uint64_t handle, std::uint32_t timeoutMs) = 0;
  virtual void ReleaseHandle(std::uint64_t handle) = 0;
};

// ---------------------------------------------------------------------------
// Shell (shell32, ole32) and environment (kernel32).
// ---------------------------------------------------------------------------
class IShell {
 public:
  virtual ~IShell() = default;
  // SHFileOperationA with one FO_COPY source and destination, no owner window.
  virtual int FileCopy(const std::string& from, const std::string& to, unsigned flags) = 0;
  virtual std::intptr_t ShellExecuteA(std::uintptr_t ownerWindow, const std::string& verb,
                                      const std::string& file, const std::string& parameters,
                                      const std::string& directory, int showCommand) = 0;
  // SHBrowseForFolderA + SHGetPathFromIDListA + CoTaskMemFree; nullopt when cancelled.
  virtual std::optional<std::string> BrowseForFolder(std::uintptr_t ownerWindow,
                                                     const std::string& title, unsigned flags) = 0;
  virtual std::string ExpandEnvironmentStringsA(const std::string& text) = 0;
  // IsProcessorFeaturePresent, found at run time: false where Windows lacks the function
  // (95, 98 and ME) or does not offer the feature.
  virtual bool ProcessorFeaturePresent(std::uint32_t feature) = 0;
  // Whether the program runs under Wine, whose registry editor reads its command line by
  // the C runtime's rules.
  virtual bool UnderWine() = 0;
  // GetComputerNameA and GetUserNameA: whose computer and which Windows user this is; "" when
  // Windows cannot say (a 98 with nobody logged on).
  virtual std::string ComputerName() = 0;
  virtual std::string UserName() = 0;
};

// ---------------------------------------------------------------------------
// The user: message boxes, the input box, the file-open dialog, the mouse pointer
// and the end of the process.
// ---------------------------------------------------------------------------
struct OpenFileRequest {
  std::string title;
  std::string initialDir;
  std::string fileName;
  std::string filter;  // as the user sees it, "Description|pattern" pairs
  unsigned flags = 0;  // OFN_* bits
};

enum class Pointer { Default, Hourglass };

class IUser {
 public:
  virtual ~IUser() = default;
  // A message box with an OK button and no icon.
  virtual void MessageBoxA(const std::string& text, const std::string& title) = 0;
  // A modal input box; nullopt when cancelled.
  virtual std::optional<std::string> InputBox(const std::string& prompt,
                                              const std::string& title) = 0;
  // The common file-open dialog; nullopt when cancelled.
  virtual std::optional<std::string> OpenFileDialog(const OpenFileRequest& request) = 0;
  virtual void SetPointer(Pointer pointer) = 0;
  // A message box with Retry and Cancel buttons and a warning icon; true for Retry.
  virtual bool AskRetryCancel(const std::string& text, const std::string& title) = 0;
  // A message box with OK and Cancel buttons and a question icon; true for OK.
  virtual bool AskOkCancel(const std::string& text, const std::string& title) = 0;
  // FindWindowA by class name: whether some top-level window of that class exists.
  virtual bool WindowClassExists(const std::string& className) = 0;
  // Ends the process at once; never returns.
  [[noreturn]] virtual void EndProcess(int exitCode) = 0;
};

// Everything the logic reaches Windows through.
struct Platform {
  IRegistry& registry;
  IFileSystem& files;
  IFileStreams& streams;
  IProcesses& processes;
  IShell& shell;
  IUser& user;
};

}  // namespace lark
