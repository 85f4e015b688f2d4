// Small helpers for the tests that run under Wine: raw registry access and clean-up.
#pragma once

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace lark {
constexpr RegKey HKEY_CURRENT_USER_VALUE = kHkeyCurrentUser;
constexpr RegKey HKEY_LOCAL_MACHINE_VALUE = kHkeyLocalMachine;
}

namespace lark::test {

struct RawValue {
  bool found = false;
  DWORD type = 0;
  std::string data;
};

inline RawValue ReadRaw(HKEY root, const char* key, const char* name) {
  RawValue v;
  HKEY k;
  if (::RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return v;
  DWORD size = 0;
  if (::RegQueryValueExA(k, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
    v.data.resize(size);
    if (::RegQueryValueExA(k, name, nullptr, &v.type, reinterpret_cast<BYTE*>(&v.data[0]),
                           &size) == ERROR_SUCCESS) {
      v.found = true;
      v.data.resize(size);
    }
  }
  ::RegCloseKey(k);
  return v;
}

inline void DeleteTree(HKEY root, const char* key) {
  HKEY k;
  if (::RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD len = sizeof(name);
    if (::RegEnumKeyExA(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    std::string sub = std::string(key) + "\\" + name;
    DeleteTree(root, sub.c_str());
  }
  ::RegCloseKey(k);
  ::RegDeleteKeyA(root, key);
}

}  // namespace lark::test
