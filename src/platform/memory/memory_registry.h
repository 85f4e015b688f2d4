// An in-memory registry with the observable behaviour of the Win32 registry calls the
// logic makes: case-insensitive key and value names, subkeys enumerated in sorted order,
// access rights checked per handle, ERROR_MORE_DATA on short buffers, and the string-size
// quirk of RegSetValueExA (a terminating NUL the caller did not count is added when the
// byte after the data is NUL).
#pragma once

#include <functional>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lark {

class MemoryRegistry : public IRegistry {
 public:
  struct Value {
    std::string name;  // as first written
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  struct Key {
    std::string name;
    std::map<std::string, std::unique_ptr<Key>> children;  // by lower-case name
    std::map<std::string, Value> values;                   // by lower-case name
    std::string className;   // as given to RegCreateKeyExA
    bool denyWrite = false;  // refuses write access, as an ACL would
  };

  MemoryRegistry();

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

  // ---- for tests: direct access without handles ----
  // Path like "HKEY_CURRENT_USER\Software\X" (HKCU / HKLM abbreviations accepted).
  Key* Find(const std::string& path);
  Key& Ensure(const std::string& path);
  void Set(const std::string& path, const std::string& name, std::uint32_t type,
           const std::vector<std::uint8_t>& data);
  void SetString(const std::string& path, const std::string& name, const std::string& text,
                 std::uint32_t type = kRegSz);  // stores text plus one NUL
  void SetDword(const std::string& path, const std::string& name, std::uint32_t value);
  const Value* Get(const std::string& path, const std::string& name);
  bool DeleteKey(const std::string& path);  // with its subkeys
  std::size_t OpenHandles() const { return handles_.size(); }
  bool backupPrivilegeHeld = true;
  bool backupPrivilegeEnabled = false;
  std::vector<std::string> savedHives;  // files RegSaveKeyA was asked to write
  // Writes the hive file; set by MemoryPlatform. Returns a Win32 error code.
  std::function<long(const std::string& file)> writeHive;

 private:
  struct Handle {
    Key* key;
    std::uint32_t access;
  };
  Key* Resolve(RegKey key, std::uint32_t* access);
  static std::vector<std::string> Split(const std::string& path);

  std::unique_ptr<Key> hkcu_, hklm_;
  std::map<RegKey, Handle> handles_;
  RegKey next_ = 0x1000;
};

}  // namespace lark
