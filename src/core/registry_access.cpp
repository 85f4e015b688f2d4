#include "core/registry_access.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

#include "core/texts.h"
#include "platform/reg_key.h"

namespace lark {

namespace {

RegValue ReadOpenValue(IRegistry& reg, RegKey key, const std::string& name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (reg.RegQueryValueExA(key, name, &type, nullptr, &size) != kErrorSuccess) return {};
  switch (type) {
    case kRegSz:
    case kRegExpandSz: {
      std::string text;
      if (!ReadTextValue(reg, key, name, &text)) return {};
      return RegValue::FromText(std::move(text));
    }
    case kRegBinary: {
      if (size == 0) return {};
      std::vector<std::uint8_t> buffer(size, 0);
      if (reg.RegQueryValueExA(key, name, &type, buffer.data(), &size) != kErrorSuccess) return {};
      buffer.resize(size);
      return RegValue::FromBytes(std::move(buffer));
    }
    case kRegDword: {
      std::uint8_t bytes[4] = {0, 0, 0, 0};
      std::uint32_t four = sizeof(bytes);
      if (reg.RegQueryValueExA(key, name, &type, bytes, &four) != kErrorSuccess) return {};
      std::uint32_t v = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                        (static_cast<std::uint32_t>(bytes[3]) << 24);
      return RegValue::FromLong(static_cast<std::int32_t>(v));
    }
    default: return {};
  }
}

}  // namespace

bool ReadTextValue(IRegistry& reg, RegKey key, const std::string& name, std::string* text,
                   bool textOnly, TextNuls nuls) {
  text->clear();
  // Most texts fit at once; a longer one is read again into a buffer of the size it reports.
  std::vector<std::uint8_t> buffer(256, 0);
  std::uint32_t type = 0;
  auto size = static_cast<std::uint32_t>(buffer.size());
  long rc = reg.RegQueryValueExA(key, name, &type, buffer.data(), &size);
  if (rc == kErrorMoreData) {
    buffer.assign(size, 0);
    rc = reg.RegQueryValueExA(key, name, &type, buffer.data(), &size);
  }
  if (rc != kErrorSuccess) return false;
  if (textOnly && type != kRegSz && type != kRegExpandSz) return false;
  text->assign(buffer.begin(), buffer.begin() + std::min<std::size_t>(size, buffer.size()));
  if (nuls == TextNuls::CutAtFirst) {
    std::size_t nul = text->find('\0');
    if (nul != std::string::npos) text->resize(nul);
  } else if (!text->empty() && text->back() == '\0') {
    text->pop_back();
  }
  return true;
}

RegValue RegistryGetKeyValue(const Platform& p, RegKey eRootKey, const std::string& strKeyName,
                             const std::string& strValueName) {
  try {
    RegKeyOwner key(p.registry);
    if (p.registry.RegOpenKeyExA(eRootKey, strKeyName, kKeyRead, key.Receive()) != kErrorSuccess)
      return {};
    return ReadOpenValue(p.registry, key.get(), strValueName);
  } catch (const std::bad_alloc&) {
    // A value too large to hold in memory: report it the way the rest of the program
    // reports an unexpected failure, and carry on with nothing read.
    p.user.MessageBoxA(texts::ErrorMessage(7, "Out of memory"), texts::kRegistryGetKeyValueTitle);
    return {};
  }
}

long SetValueEx(const Platform& p, RegKey hKey, const std::string& sValueName, long lType,
                const std::string& vValue) {
  std::vector<std::uint8_t> data;
  std::uint32_t count = 0;
  switch (lType) {
    case kRegSz:
      data.assign(vValue.begin(), vValue.end());
      data.push_back(0);
      count = static_cast<std::uint32_t>(data.size());
      break;
    case kRegExpandSz:
      data.assign(vValue.begin(), vValue.end());
      count = static_cast<std::uint32_t>(data.size());
      // RegSetValueExA counts a terminating NUL the caller left out when it finds one right
      // after the data; a non-NUL guard byte there keeps the value at exactly these bytes.
      data.push_back('.');
      break;
    case kRegDword: {
      auto v = static_cast<std::uint32_t>(std::strtol(vValue.c_str(), nullptr, 10));
      data = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
              static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
      count = 4;
      break;
    }
    default: return 0;
  }
  return p.registry.RegSetValueExA(hKey, sValueName, static_cast<std::uint32_t>(lType), data.data(),
                                   count);
}

void SetKeyValue(const Platform& p, const std::string& sKeyName, const std::string& sValueName,
                 const std::string& vValueSetting, long lValueType) {
  RegKeyOwner key(p.registry);
  p.registry.RegOpenKeyExA(kHkeyCurrentUser, sKeyName, kKeySetValue, key.Receive());
  if (key.IsOpen()) SetValueEx(p, key.get(), sValueName, lValueType, vValueSetting);
}

}  // namespace lark
