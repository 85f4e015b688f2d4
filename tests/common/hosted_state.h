// The registry and file helpers that both test programs (in-process under Wine, and the GUI
// driver) set up and read back the state the program runs on with: plain Win32 calls, so
// that what they check is what Windows holds, not what the program believes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "common/dbx_writer.h"

namespace lark::hosted {

// What the program backs up and keeps of a user's, in the registry, and a mail account.
inline const char* const kUserBranches[] = {"Identities", "Software\\TarnKeep",
                                            "Software\\Microsoft\\Internet Account Manager",
                                            "Software\\Microsoft\\WAB"};
inline const char* const kAccount =
    "Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001";

// A .dbx file the tests write is a healthy message store: the fixed header of a message
// folder holding `count` messages and no index yet, then the text; ReadAll gives the text back.
// WriteRaw writes the bytes as they are, for a store damaged on purpose.
constexpr std::size_t kStoreHeader = 0x24BC;
inline std::string StoreHeader(std::size_t bodySize, std::uint32_t count = 1) {
  return testing::DbxHeader(static_cast<std::uint32_t>(kStoreHeader + bodySize), count);
}
inline bool IsStore(const std::string& path) {
  return path.size() > 4 && _stricmp(path.c_str() + path.size() - 4, ".dbx") == 0;
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::string all(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>{});
  if (IsStore(path) && all.size() >= kStoreHeader && all.compare(0, 16, StoreHeader(0), 0, 16) == 0)
    all.erase(0, kStoreHeader);
  return all;
}

// Writes the file, making its missing folders first.
inline void WriteRaw(const std::string& path, const std::string& bytes, DWORD attributes = 0) {
  for (std::size_t i = 3; i < path.size(); ++i)
    if (path[i] == '\\') ::CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  if (attributes) ::SetFileAttributesA(path.c_str(), attributes);
}
inline void WriteAll(const std::string& path, const std::string& bytes, DWORD attributes = 0) {
  WriteRaw(path, IsStore(path) ? StoreHeader(bytes.size()) + bytes : bytes, attributes);
}
// The same, dated 2001: a live file older than any backup's copy, which a restore replaces
// instead of keeping it aside as mail that arrived since.
inline void WriteOlder(const std::string& path, const std::string& bytes) {
  WriteAll(path, bytes);
  const SYSTEMTIME st{2001, 1, 1, 1, 0, 0, 0, 0};
  FILETIME t;
  ::SystemTimeToFileTime(&st, &t);
  HANDLE h = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
  ::SetFileTime(h, nullptr, nullptr, &t);
  ::CloseHandle(h);
}

// Calls `visit` with the name and attributes of each entry a wildcard pattern finds ("." and
// ".." left out), until it returns false.
inline void EachFound(const std::string& pattern,
                      const std::function<bool(const std::string&, DWORD)>& visit) {
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != ".." && !visit(name, data.dwFileAttributes)) break;
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
}
// The path of the first entry a pattern finds (a run's staging folder, a folder of kept
// files), or "?:", which names nothing, when it finds none.
inline std::string FirstFound(const std::string& pattern) {
  std::string found = "?:";
  EachFound(pattern, [&](const std::string& name, DWORD) {
    found = pattern.substr(0, pattern.rfind('\\') + 1) + name;
    return false;
  });
  return found;
}

// The file made `size` bytes long without writing them: sparse, it takes no disk.
inline bool Sparse(const std::string& path, long long size) {
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  LARGE_INTEGER at;
  at.QuadPart = size;
  const bool ok = ::SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(h);
  ::CloseHandle(h);
  return ok;
}

// Exactly these bytes: a guard byte after them keeps RegSetValueExA from counting a NUL that
// the data leaves out.
inline void SetValue(HKEY root, const std::string& key, const char* name, DWORD type,
                     const std::string& bytes) {
  HKEY k;
  ::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
  const std::string guarded = bytes + '.';
  ::RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(guarded.data()),
                   static_cast<DWORD>(bytes.size()));
  ::RegCloseKey(k);
}

// Text with its terminating NUL, as Windows programs store it.
inline void SetText(const std::string& key, const char* name, const std::string& text,
                    DWORD type = REG_SZ) {
  SetValue(HKEY_CURRENT_USER, key, name, type, text + '\0');
}

inline void SetDword(const std::string& key, const char* name, DWORD value) {
  SetValue(HKEY_CURRENT_USER, key, name, REG_DWORD,
           std::string(reinterpret_cast<char*>(&value), 4));
}

// The program's settings: the backup folder (made on disk with `make`) and the option.
inline void SeedSettings(const std::string& folder, DWORD overwrite, bool make = true) {
  if (make) ::CreateDirectoryA(folder.c_str(), nullptr);
  SetText("Software\\TarnKeep", "TarnKeep", folder);
  SetDword("Software\\TarnKeep", "BackupOverWrite", overwrite);
}

// The bytes of a value, "<missing>" when it cannot be read.
inline std::string ReadValue(HKEY root, const std::string& key, const char* name) {
  std::string data(65536, '\0');
  DWORD size = static_cast<DWORD>(data.size());
  HKEY k;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return "<missing>";
  LONG rc = ::RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &size);
  ::RegCloseKey(k);
  return rc == ERROR_SUCCESS ? data.substr(0, size) : "<missing>";
}

// Deletes a key under HKEY_CURRENT_USER with everything below it.
inline void DeleteTree(const std::string& key) {
  HKEY k;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
    return;
  char name[256];
  for (DWORD len = sizeof(name);
       ::RegEnumKeyExA(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       len = sizeof(name))
    DeleteTree(key + "\\" + name);
  ::RegCloseKey(k);
  ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

}  // namespace lark::hosted
