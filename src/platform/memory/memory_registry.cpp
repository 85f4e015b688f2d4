#include "platform/memory/memory_registry.h"

#include <algorithm>
#include <cctype>

namespace lark {

namespace {
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}
constexpr std::uint32_t kReadBits = kKeyQueryValue | 0x0008 /*ENUMERATE_SUB_KEYS*/;
}  // namespace

MemoryRegistry::MemoryRegistry()
    : hkcu_(std::make_unique<Key>()), hklm_(std::make_unique<Key>()) {
  hkcu_->name = "HKEY_CURRENT_USER";
  hklm_->name = "HKEY_LOCAL_MACHINE";
}

std::vector<std::string> MemoryRegistry::Split(const std::string& path) {
  // Windows skips repeated and trailing separators in a subkey path.
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

MemoryRegistry::Key* MemoryRegistry::Resolve(RegKey key, std::uint32_t* access) {
  if (key == kHkeyCurrentUser) {
    *access = kKeyAllAccess;
    return hkcu_.get();
  }
  if (key == kHkeyLocalMachine) {
    *access = kKeyAllAccess;
    return hklm_.get();
  }
  auto it = handles_.find(key);
  if (it == handles_.end()) return nullptr;
  *access = it->second.access;
  return it->second.key;
}

long MemoryRegistry::RegOpenKeyExA(RegKey root, const std::string& subKey, std::uint32_t access,
                                  RegKey* result) {
  *result = 0;
  std::uint32_t parentAccess = 0;
  Key* k = Resolve(root, &parentAccess);
  if (!k) return kErrorInvalidHandle;
  if (!subKey.empty() && subKey[0] == '\\') return kErrorFileNotFound;
  for (const std::string& part : Split(subKey)) {
    auto it = k->children.find(Lower(part));
    if (it == k->children.end()) return kErrorFileNotFound;
    k = it->second.get();
  }
  if (k->denyWrite && (access & kKeySetValue)) return kErrorAccessDenied;
  RegKey h = next_++;
  handles_[h] = Handle{k, access};
  *result = h;
  return kErrorSuccess;
}

long MemoryRegistry::RegCreateKeyExA(RegKey root, const std::string& subKey,
                                     const std::string& className, std::uint32_t access,
                                     RegKey* result) {
  *result = 0;
  std::uint32_t parentAccess = 0;
  Key* k = Resolve(root, &parentAccess);
  if (!k) return kErrorInvalidHandle;
  for (const std::string& part : Split(subKey)) {
    auto& slot = k->children[Lower(part)];
    if (!slot) {
      if (k->denyWrite) {
        k->children.erase(Lower(part));
        return kErrorAccessDenied;
      }
      slot = std::make_unique<Key>();
      slot->name = part;
      slot->className = className;
    }
    k = slot.get();
  }
  if (k->denyWrite && (access & kKeySetValue)) return kErrorAccessDenied;
  RegKey h = next_++;
  handles_[h] = Handle{k, access};
  *result = h;
  return kErrorSuccess;
}

long MemoryRegistry::RegQueryValueExA(RegKey key, const std::string& valueName,
                                     std::uint32_t* type, std::uint8_t* data,
                                     std::uint32_t* size) {
  std::uint32_t access = 0;
  Key* k = Resolve(key, &access);
  if (!k) return kErrorInvalidHandle;
  if (!(access & kKeyQueryValue)) return kErrorAccessDenied;
  auto it = k->values.find(Lower(valueName));
  if (it == k->values.end()) return kErrorFileNotFound;
  const Value& v = it->second;
  if (type) *type = v.type;
  auto need = static_cast<std::uint32_t>(v.data.size());
  if (data) {
    if (!size) return kErrorInvalidParameter;
    if (*size < need) {
      *size = need;
      return kErrorMoreData;
    }
    std::copy(v.data.begin(), v.data.end(), data);
  }
  if (size) *size = need;
  return kErrorSuccess;
}

long MemoryRegistry::RegSetValueExA(RegKey key, const std::string& valueName, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t size) {
  std::uint32_t access = 0;
  Key* k = Resolve(key, &access);
  if (!k) return kErrorInvalidHandle;
  if (!(access & kKeySetValue) || k->denyWrite) return kErrorAccessDenied;
  // As RegSetValueExA does (and Windows NT before it): a string whose terminating NUL was
  // left out of the count, but sits right after the data, gets it counted.
  if (data && size && IsStringType(type) && data[size - 1] != 0 && data[size] == 0) ++size;
  Value& v = k->values[Lower(valueName)];
  if (v.name.empty()) v.name = valueName;
  v.type = type;
  v.data.assign(data, data + (data ? size : 0));
  return kErrorSuccess;
}

long MemoryRegistry::RegQueryInfoKeyA(RegKey key, std::uint32_t* subKeys,
                                     std::uint32_t* maxSubKeyLen) {
  std::uint32_t access = 0;
  Key* k = Resolve(key, &access);
  if (!k) return kErrorInvalidHandle;
  std::uint32_t maxLen = 0;
  for (auto& [lower, child] : k->children)
    maxLen = std::max<std::uint32_t>(maxLen, static_cast<std::uint32_t>(child->name.size()));
  if (subKeys) *subKeys = static_cast<std::uint32_t>(k->children.size());
  if (maxSubKeyLen) *maxSubKeyLen = maxLen;
  return kErrorSuccess;
}

long MemoryRegistry::RegEnumKeyExA(RegKey key, std::uint32_t index, std::string* name) {
  name->clear();
  std::uint32_t access = 0;
  Key* k = Resolve(key, &access);
  if (!k) return kErrorInvalidHandle;
  if (!(access & kReadBits)) return kErrorAccessDenied;
  if (index >= k->children.size()) return kErrorNoMoreItems;
  auto it = k->children.begin();
  std::advance(it, index);
  *name = it->second->name;
  return kErrorSuccess;
}

long MemoryRegistry::RegDeleteValueA(RegKey key, const std::string& valueName) {
  std::uint32_t access = 0;
  Key* k = Resolve(key, &access);
  if (!k) return kErrorInvalidHandle;
  if (!(access & kKeySetValue)) return kErrorAccessDenied;
  return k->values.erase(Lower(valueName)) ? kErrorSuccess : kErrorFileNotFound;
}

long MemoryRegistry::RegCloseKey(RegKey key) {
  if (key == kHkeyCurrentUser || key == kHkeyLocalMachine) return kErrorSuccess;
  return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

long MemoryRegistry::RegSaveKeyA(RegKey key, const std::string& file) {
  std::uint32_t access = 0;
  if (!Resolve(key, &access)) return kErrorInvalidHandle;
  if (!backupPrivilegeEnabled) return kErrorPrivilegeNotHeld;
  savedHives.push_back(file);
  return writeHive ? writeHive(file) : kErrorSuccess;
}

bool MemoryRegistry::EnablePrivilege(const std::string& privilegeName) {
  if (Lower(privilegeName) != "sebackupprivilege" || !backupPrivilegeHeld) return false;
  backupPrivilegeEnabled = true;
  return true;
}

// ---- test access ----
MemoryRegistry::Key* MemoryRegistry::Find(const std::string& path) {
  auto parts = Split(path);
  if (parts.empty()) return nullptr;
  std::string root = Lower(parts[0]);
  Key* k = (root == "hkey_current_user" || root == "hkcu")    ? hkcu_.get()
           : (root == "hkey_local_machine" || root == "hklm") ? hklm_.get()
                                                               : nullptr;
  for (std::size_t i = 1; k && i < parts.size(); ++i) {
    auto it = k->children.find(Lower(parts[i]));
    k = it == k->children.end() ? nullptr : it->second.get();
  }
  return k;
}

MemoryRegistry::Key& MemoryRegistry::Ensure(const std::string& path) {
  auto parts = Split(path);
  std::string root = parts.empty() ? "" : Lower(parts[0]);
  Key* k = (root == "hkey_local_machine" || root == "hklm") ? hklm_.get() : hkcu_.get();
  for (std::size_t i = 1; i < parts.size(); ++i) {
    auto& slot = k->children[Lower(parts[i])];
    if (!slot) {
      slot = std::make_unique<Key>();
      slot->name = parts[i];
    }
    k = slot.get();
  }
  return *k;
}

void MemoryRegistry::Set(const std::string& path, const std::string& name, std::uint32_t type,
                         const std::vector<std::uint8_t>& data) {
  Value& v = Ensure(path).values[Lower(name)];
  v.name = name;
  v.type = type;
  v.data = data;
}

void MemoryRegistry::SetString(const std::string& path, const std::string& name,
                               const std::string& text, std::uint32_t type) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  Set(path, name, type, data);
}

void MemoryRegistry::SetDword(const std::string& path, const std::string& name,
                              std::uint32_t value) {
  Set(path, name, kRegDword,
      {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
       static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

const MemoryRegistry::Value* MemoryRegistry::Get(const std::string& path,
                                                 const std::string& name) {
  Key* k = Find(path);
  if (!k) return nullptr;
  auto it = k->values.find(Lower(name));
  return it == k->values.end() ? nullptr : &it->second;
}

bool MemoryRegistry::DeleteKey(const std::string& path) {
  auto parts = Split(path);
  if (parts.size() < 2) return false;
  std::string last = parts.back();
  parts.pop_back();
  std::string parentPath;
  for (auto& p : parts) parentPath += p + "\\";
  Key* parent = Find(parentPath);
  if (!parent) return false;
  Key* victim = nullptr;
  auto it = parent->children.find(Lower(last));
  if (it == parent->children.end()) return false;
  victim = it->second.get();
  // Open handles to a deleted key go stale, as on Windows (their calls then fail).
  for (auto h = handles_.begin(); h != handles_.end();) {
    h = h->second.key == victim ? handles_.erase(h) : std::next(h);
  }
  parent->children.erase(it);
  return true;
}

}  // namespace lark
