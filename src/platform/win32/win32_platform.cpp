// Thin pass-through to the ANSI Win32 API. No logic lives here beyond standing in for what an
// older Windows lacks: every decision the program takes is made above this layer, where it
// can be tested natively too.
#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <commdlg.h>
#include <imagehlp.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/win32/handles.h"

namespace lark {

namespace {
HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }
RegKey FromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }
}  // namespace

// ---------------------------------------------------------------------------
// Registry
// ---------------------------------------------------------------------------
long Win32Registry::RegOpenKeyExA(RegKey root, const std::string& subKey, std::uint32_t access,
                                  RegKey* result) {
  HKEY key = nullptr;
  LONG rc = ::RegOpenKeyExA(ToHkey(root), subKey.c_str(), 0, access, &key);
  *result = rc == ERROR_SUCCESS ? FromHkey(key) : 0;
  return rc;
}

long Win32Registry::RegQueryValueExA(RegKey key, const std::string& valueName, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* size) {
  DWORD t = 0;
  DWORD s = size ? *size : 0;
  LONG rc =
      ::RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, &t, data, size ? &s : nullptr);
  if (type) *type = t;
  if (size) *size = s;
  return rc;
}

long Win32Registry::RegSetValueExA(RegKey key, const std::string& valueName, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t size) {
  return ::RegSetValueExA(ToHkey(key), valueName.c_str(), 0, type, data, size);
}

long Win32Registry::RegCreateKeyExA(RegKey root, const std::string& subKey,
                                    const std::string& className, std::uint32_t access,
                                    RegKey* result) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  // An inheritable handle, as the settings store asks for.
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  std::string keyClass = className;
  LONG rc = ::RegCreateKeyExA(ToHkey(root), subKey.c_str(), 0, &keyClass[0],
                              REG_OPTION_NON_VOLATILE, access, &sa, &key, &disposition);
  *result = rc == ERROR_SUCCESS ? FromHkey(key) : 0;
  return rc;
}

long Win32Registry::RegQueryInfoKeyA(RegKey key, std::uint32_t* subKeys,
                                     std::uint32_t* maxSubKeyLen) {
  DWORD count = 0, maxLen = 0;
  LONG rc = ::RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &count, &maxLen, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr);
  if (subKeys) *subKeys = count;
  if (maxSubKeyLen) *maxSubKeyLen = maxLen;
  return rc;
}

long Win32Registry::RegEnumKeyExA(RegKey key, std::uint32_t index, std::string* name) {
  char buffer[256];  // key names are at most 255 characters
  DWORD length = sizeof(buffer);
  LONG rc =
      ::RegEnumKeyExA(ToHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  name->assign(rc == ERROR_SUCCESS ? std::string(buffer, length) : std::string());
  return rc;
}

long Win32Registry::RegDeleteValueA(RegKey key, const std::string& valueName) {
  return ::RegDeleteValueA(ToHkey(key), valueName.c_str());
}

long Win32Registry::RegCloseKey(RegKey key) { return ::RegCloseKey(ToHkey(key)); }

long Win32Registry::RegSaveKeyA(RegKey key, const std::string& file) {
  return ::RegSaveKeyA(ToHkey(key), file.c_str(), nullptr);
}

bool Win32Registry::EnablePrivilege(const std::string& privilegeName) {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
    return false;
  Handle token(raw);
  TOKEN_PRIVILEGES tp{};
  tp.PrivilegeCount = 1;
  if (!::LookupPrivilegeValueA(nullptr, privilegeName.c_str(), &tp.Privileges[0].Luid))
    return false;
  tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!::AdjustTokenPrivileges(token.get(), FALSE, &tp, 0, nullptr, nullptr)) return false;
  // AdjustTokenPrivileges succeeds even when the privilege is not held.
  return ::GetLastError() == ERROR_SUCCESS;
}

// ---------------------------------------------------------------------------
// File system
// ---------------------------------------------------------------------------
long Win32FileSystem::FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) {
  entries->clear();
  WIN32_FIND_DATAA data;
  FindHandle find(::FindFirstFileA(pattern.c_str(), &data));
  if (!find.valid()) return lastError_ = static_cast<long>(::GetLastError());
  do {
    FindEntry e;
    e.name = data.cFileName;
    e.attributes = data.dwFileAttributes;
    e.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries->push_back(std::move(e));
  } while (::FindNextFileA(find.get(), &data));
  return lastError_ = 0;
}

std::uint32_t Win32FileSystem::GetFileAttributesA(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  lastError_ = a == INVALID_FILE_ATTRIBUTES ? static_cast<long>(::GetLastError()) : 0;
  return a;
}

std::string Win32FileSystem::GetCurrentDirectoryA() {
  DWORD n = ::GetCurrentDirectoryA(0, nullptr);
  std::string s(n, '\0');
  DWORD got = ::GetCurrentDirectoryA(n, &s[0]);
  s.resize(got < n ? got : 0);
  return s;
}

bool Win32FileSystem::SetCurrentDirectoryA(const std::string& path) {
  BOOL ok = ::SetCurrentDirectoryA(path.c_str());
  lastError_ = ok ? 0 : static_cast<long>(::GetLastError());
  return ok != 0;
}

bool Win32FileSystem::CreateDirectoryA(const std::string& path) {
  BOOL ok = ::CreateDirectoryA(path.c_str(), nullptr);
  lastError_ = ok ? 0 : static_cast<long>(::GetLastError());
  return ok != 0;
}

bool Win32FileSystem::MakeSureDirectoryPathExists(const std::string& path) {
  BOOL ok = ::MakeSureDirectoryPathExists(path.c_str());
  lastError_ = ok ? 0 : static_cast<long>(::GetLastError());
  return ok != 0;
}

std::uint32_t Win32FileSystem::GetDriveTypeA(const std::string& root) {
  return ::GetDriveTypeA(root.empty() ? nullptr : root.c_str());
}

bool Win32FileSystem::ReadFile(const std::string& path, std::string* contents) {
  FileHandle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.valid()) {
    lastError_ = static_cast<long>(::GetLastError());
    return false;
  }
  contents->clear();
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(f.get(), buffer, sizeof(buffer), &got, nullptr)) {
      lastError_ = static_cast<long>(::GetLastError());
      return false;
    }
    if (got == 0) break;
    if (contents->size() + got > kMaxWholeFile) {
      std::string().swap(*contents);
      lastError_ = kErrorFileTooLarge;
      return false;
    }
    contents->append(buffer, got);
  }
  lastError_ = 0;
  return true;
}

bool Win32FileSystem::WriteFile(const std::string& path, const std::string& contents) {
  FileHandle f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.valid()) {
    lastError_ = static_cast<long>(::GetLastError());
    return false;
  }
  std::size_t done = 0;
  while (done < contents.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1 << 20));
    DWORD wrote = 0;
    if (!::WriteFile(f.get(), contents.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
      lastError_ = static_cast<long>(::GetLastError());
      return false;
    }
    done += wrote;
  }
  lastError_ = 0;
  return true;
}

bool Win32FileSystem::DeleteFileA(const std::string& path) {
  BOOL ok = ::DeleteFileA(path.c_str());
  lastError_ = ok ? 0 : static_cast<long>(::GetLastError());
  return ok != 0;
}

bool MoveFileInSteps(const std::string& from, const std::string& to, long* error) {
  auto fail = [error]() {
    *error = static_cast<long>(::GetLastError());
    return false;
  };
  if (::GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) return fail();
  // The old file is only set aside, under a name no other file has, until the new one is in
  // its place: if the move fails it goes back, so the target is never simply lost.
  std::string aside;
  if (::GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES) {
    for (int n = 0; aside.empty() && n < 1000; ++n) {
      std::string name = to + ".old" + std::to_string(n);
      if (::GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES) aside = name;
    }
    if (aside.empty() || !::MoveFileA(to.c_str(), aside.c_str())) return fail();
  }
  if (!::MoveFileA(from.c_str(), to.c_str())) {
    DWORD rc = ::GetLastError();
    if (!aside.empty()) ::MoveFileA(aside.c_str(), to.c_str());
    *error = static_cast<long>(rc);
    return false;
  }
  if (!aside.empty()) {
    ::SetFileAttributesA(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(aside.c_str());
  }
  *error = 0;
  return true;
}

bool Win32FileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  BOOL ok =
      ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  lastError_ = ok ? 0 : static_cast<long>(::GetLastError());
  // Windows 95, 98 and ME export MoveFileExA but do not implement it.
  if (!ok && lastError_ == ERROR_CALL_NOT_IMPLEMENTED)
    return MoveFileInSteps(from, to, &lastError_);
  return ok != 0;
}

bool Win32FileSystem::FlushFile(const std::string& path) {
  // Writing is what a flush needs the handle for; whoever else has the file open may go on.
  FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BOOL ok = file.valid() && ::FlushFileBuffers(file.get());
  lastError_ = ok ? 0 : static_cast<long>(::GetLastError());
  return ok != 0;
}

bool Win32FileSystem::MoveFileA(const std::string& from, const std::string& to) {
  BOOL ok = ::MoveFileA(from.c_str(), to.c_str());
  lastError_ = ok ? 0 : static_cast<long>(::GetLastError());
  return ok != 0;
}

bool Win32FileSystem::RemoveDirectoryA(const std::string& path) {
  BOOL ok = ::RemoveDirectoryA(path.c_str());
  lastError_ = ok ? 0 : static_cast<long>(::GetLastError());
  return ok != 0;
}

bool Win32FileSystem::GetFileInfo(const std::string& path, FileInfo* info) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    lastError_ = static_cast<long>(::GetLastError());
    return false;
  }
  lastError_ = 0;
  info->attributes = data.dwFileAttributes;
  info->size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  info->lastWrite = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                    data.ftLastWriteTime.dwLowDateTime;
  return true;
}

bool Win32FileSystem::SetFileAttributesA(const std::string& path, std::uint32_t attributes) {
  BOOL ok = ::SetFileAttributesA(path.c_str(), attributes);
  lastError_ = ok ? 0 : static_cast<long>(::GetLastError());
  return ok != 0;
}

// ---------------------------------------------------------------------------
// Processes: the ids handed out are the process handles themselves.
// ---------------------------------------------------------------------------
Win32Processes::~Win32Processes() = default;

namespace {

// The program a command line names, when it is a bare name such as "regedit": looked up in
// the Windows folders only, "" when it is in neither. CreateProcessA would look in the
// current directory first, which is the backup folder, so a stray regedit.exe there would
// run in place of the real one. Nothing for a name with a path, which is taken as given.
std::optional<std::string> SystemProgram(const std::string& commandLine) {
  std::size_t end = commandLine.find(' ');
  std::string name = commandLine.substr(0, end);
  if (name.empty() || name.find_first_of("\\/:\"") != std::string::npos) return std::nullopt;
  if (name.size() < 4 || _stricmp(name.c_str() + name.size() - 4, ".exe") != 0) name += ".exe";
  char windows[MAX_PATH] = "";
  char shared[MAX_PATH] = "";
  char system[MAX_PATH] = "";
  UINT w = ::GetWindowsDirectoryA(windows, MAX_PATH);
  // Under Terminal Services the Windows folder above is each user's own, without the editor;
  // the one all users share is asked for by name, as Windows 9x does not have the call.
  using SharedFolderCall = UINT(WINAPI*)(LPSTR, UINT);
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  auto sharedCall = kernel ? reinterpret_cast<SharedFolderCall>(reinterpret_cast<void (*)()>(
                                 ::GetProcAddress(kernel, "GetSystemWindowsDirectoryA")))
                           : nullptr;
  UINT s = sharedCall ? sharedCall(shared, MAX_PATH) : 0;
  UINT y = ::GetSystemDirectoryA(system, MAX_PATH);
  for (const char* folder : {w && w < MAX_PATH ? windows : "", s && s < MAX_PATH ? shared : "",
                             y && y < MAX_PATH ? system : ""}) {
    if (!*folder) continue;
    std::string candidate = std::string(folder) + "\\" + name;
    DWORD a = ::GetFileAttributesA(candidate.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) return candidate;
  }
  return std::string();
}

}  // namespace

ProcessId Win32Processes::Start(const std::string& commandLine, int showStyle) {
  const std::optional<std::string> program = SystemProgram(commandLine);
  if (program && program->empty()) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return ProcessId();
  }
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(showStyle);
  PROCESS_INFORMATION pi{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!::CreateProcessA(program ? program->c_str() : nullptr, line.data(), nullptr, nullptr, FALSE,
                        0, nullptr, nullptr, &si, &pi))
    return ProcessId();
  ::CloseHandle(pi.hThread);
  return ProcessId(reinterpret_cast<std::uint64_t>(pi.hProcess));
}

WaitOutcome Win32Processes::AwaitHandle(std::uint64_t handle, std::uint32_t timeoutMs) {
  if (handle == 0) return WaitOutcome::Ended;
  switch (::WaitForSingleObject(reinterpret_cast<HANDLE>(handle), timeoutMs)) {
    case WAIT_OBJECT_0: return WaitOutcome::Ended;
    case WAIT_TIMEOUT: return WaitOutcome::Running;
    default: return WaitOutcome::Failed;
  }
}

void Win32Processes::Pause(std::uint32_t ms) { ::Sleep(ms); }

SignalId Win32Processes::CreateSignal() {
  return SignalId(reinterpret_cast<std::uint64_t>(::CreateEventA(nullptr, FALSE, FALSE, nullptr)));
}

void Win32Processes::Signal(SignalId signal) {
  if (signal) ::SetEvent(reinterpret_cast<HANDLE>(signal.value));
}

bool Win32Processes::AwaitSignal(SignalId signal) {
  return signal &&
         ::WaitForSingleObject(reinterpret_cast<HANDLE>(signal.value), INFINITE) == WAIT_OBJECT_0;
}

void Win32Processes::ReleaseHandle(std::uint64_t handle) {
  if (handle != 0) ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

namespace {

DWORD WINAPI RunWork(LPVOID parameter) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  (*work)();
  return 0;
}

}  // namespace

// CreateThread rather than the C runtime's _beginthreadex: the runtime is msvcrt.dll, which
// sets up and frees its per-thread data itself for threads started either way.
ThreadId Win32Processes::StartThread(std::function<void()> work) {
  auto* owned = new std::function<void()>(std::move(work));
  DWORD id = 0;
  HANDLE thread = ::CreateThread(nullptr, 0, RunWork, owned, 0, &id);
  if (!thread) {
    delete owned;
    return ThreadId();
  }
  return ThreadId(reinterpret_cast<std::uint64_t>(thread));
}

// ---------------------------------------------------------------------------
// Shell
// ---------------------------------------------------------------------------
int Win32Shell::FileCopy(const std::string& from, const std::string& to, unsigned flags) {
  // Single paths, each terminated by two NULs.
  std::string src = from + std::string(2, '\0');
  std::string dst = to + std::string(2, '\0');
  SHFILEOPSTRUCTA op{};
  op.hwnd = nullptr;
  op.wFunc = FO_COPY;
  op.pFrom = src.c_str();
  op.pTo = dst.c_str();
  op.fFlags = static_cast<FILEOP_FLAGS>(flags);
  return ::SHFileOperationA(&op);
}

std::intptr_t Win32Shell::ShellExecuteA(std::uintptr_t ownerWindow, const std::string& verb,
                                        const std::string& file, const std::string& parameters,
                                        const std::string& directory, int showCommand) {
  HINSTANCE h = ::ShellExecuteA(reinterpret_cast<HWND>(ownerWindow), verb.c_str(), file.c_str(),
                                parameters.empty() ? nullptr : parameters.c_str(),
                                directory.empty() ? nullptr : directory.c_str(), showCommand);
  return reinterpret_cast<std::intptr_t>(h);
}

std::optional<std::string> Win32Shell::BrowseForFolder(std::uintptr_t ownerWindow,
                                                       const std::string& title, unsigned flags) {
  BROWSEINFOA bi{};
  bi.hwndOwner = reinterpret_cast<HWND>(ownerWindow);
  bi.lpszTitle = title.c_str();
  bi.ulFlags = flags;
  Pidl pidl(::SHBrowseForFolderA(&bi));
  if (!pidl.valid()) return std::nullopt;
  char path[MAX_PATH] = "";
  if (!::SHGetPathFromIDListA(pidl.get(), path)) return std::string();
  return std::string(path);
}

std::string Win32Shell::ExpandEnvironmentStringsA(const std::string& text) {
  DWORD n = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (n == 0) return text;
  std::string out(n, '\0');
  DWORD got = ::ExpandEnvironmentStringsA(text.c_str(), &out[0], n);
  if (got == 0 || got > n) return text;
  out.resize(std::strlen(out.c_str()));
  return out;
}

// Looked up rather than imported: Windows 95, 98 and ME do not have it, and a program that
// imports it does not start there.
bool Win32Shell::ProcessorFeaturePresent(std::uint32_t feature) {
  using Function = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  FARPROC found = kernel ? ::GetProcAddress(kernel, "IsProcessorFeaturePresent") : nullptr;
  if (!found) return false;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(found))(feature) != FALSE;
}

// Wine's ntdll has an export of its own that no Windows has.
bool Win32Shell::UnderWine() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

std::string Win32Shell::ComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof(name);
  return ::GetComputerNameA(name, &size) ? std::string(name) : std::string();
}

std::string Win32Shell::UserName() {
  char name[257] = "";  // UNLEN + 1
  DWORD size = sizeof(name);
  return ::GetUserNameA(name, &size) ? std::string(name) : std::string();
}

}  // namespace lark

namespace lark {

namespace {

class Win32Reader : public IFileReader {
 public:
  explicit Win32Reader(HANDLE h) : file_(h) {}
  bool Seek(std::uint64_t offset) override {
    LONG high = static_cast<LONG>(offset >> 32);
    const DWORD low =
        ::SetFilePointer(file_.get(), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR);
  }
  bool Read(char* buffer, std::size_t capacity, std::size_t* got) override {
    DWORD n = 0;
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(capacity, 1u << 30));
    if (!::ReadFile(file_.get(), buffer, want, &n, nullptr)) return false;
    *got = n;
    return true;
  }

 private:
  FileHandle file_;
};

class Win32Writer : public IFileWriter {
 public:
  explicit Win32Writer(HANDLE h) : file_(h) {}
  bool Write(const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 24));
      DWORD wrote = 0;
      if (!::WriteFile(file_.get(), data, chunk, &wrote, nullptr) || wrote == 0) return false;
      data += wrote;
      size -= wrote;
    }
    return true;
  }
  bool Commit() override {
    bool ok = ::FlushFileBuffers(file_.get()) != 0;
    HANDLE h = file_.release();
    return ::CloseHandle(h) != 0 && ok;
  }
  bool Close() override { return ::CloseHandle(file_.release()) != 0; }

 private:
  FileHandle file_;
};

}  // namespace

std::unique_ptr<IFileReader> Win32FileStreams::OpenRead(const std::string& path) {
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32Reader>(h);
}

std::unique_ptr<IFileWriter> Win32FileStreams::Create(const std::string& path) {
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32Writer>(h);
}

}  // namespace lark
