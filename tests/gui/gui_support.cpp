#include "gui_support.h"

#include <shellapi.h>

namespace lark::gui {

void DeleteTree(HKEY root, const std::string& key) {
  HKEY k;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD len = sizeof(name);
    if (::RegEnumKeyExA(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    DeleteTree(root, key + "\\" + name);
  }
  ::RegCloseKey(k);
  ::RegDeleteKeyA(root, key.c_str());
}

std::string ScratchFolder(const std::string& name) {
  std::string path = "C:\\larkmoor-gui\\" + name;
  std::string from = path + std::string(2, '\0');
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  ::SHFileOperationA(&op);
  ::CreateDirectoryA("C:\\larkmoor-gui", nullptr);
  ::CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

void SeedSettings(const std::string& folder, DWORD overwrite) {
  ::CreateDirectoryA(folder.c_str(), nullptr);
  HKEY k;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TarnKeep", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &k, nullptr);
  ::RegSetValueExA(k, "TarnKeep", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
  ::RegSetValueExA(k, "BackupOverWrite", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&overwrite),
                   4);
  ::RegCloseKey(k);
}

std::string ReadText(const std::string& key, const std::string& name) {
  char buffer[2048] = "";
  DWORD size = sizeof(buffer) - 1;
  DWORD type = 0;
  HKEY k;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return "";
  LONG rc = ::RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                               &size);
  ::RegCloseKey(k);
  return rc == ERROR_SUCCESS ? std::string(buffer) : std::string();
}

long ReadDword(const std::string& key, const std::string& name) {
  DWORD v = 0, size = 4, type = 0;
  HKEY k;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return -1;
  LONG rc = ::RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
  ::RegCloseKey(k);
  return rc == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long>(v) : -1;
}

}  // namespace lark::gui
