// Every key and value of a registry branch, for tests that compare the registry before and
// after a run (Windows tests and GUI tests alike).
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace lark::test {

struct RegEntry {
  DWORD type = 0;
  std::string data;
  bool operator==(const RegEntry& o) const { return type == o.type && data == o.data; }
};

// Under HKEY_CURRENT_USER: each value by "key\name", each key by "key\" (type 0, no data).
inline void SnapshotRegistry(const std::string& key, std::map<std::string, RegEntry>* out) {
  HKEY k;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
  (*out)[key + "\\"] = {};
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD nameLen = sizeof(name);
    std::string data(65536, '\0');
    DWORD size = static_cast<DWORD>(data.size()), type = 0;
    if (::RegEnumValueA(k, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                        &size) != ERROR_SUCCESS)
      break;
    data.resize(size);
    (*out)[key + "\\" + name] = {type, data};
  }
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLen = sizeof(name);
    if (::RegEnumKeyExA(k, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    SnapshotRegistry(key + "\\" + name, out);
  }
  ::RegCloseKey(k);
}

}  // namespace lark::test
