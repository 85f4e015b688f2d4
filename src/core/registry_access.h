// Reading and writing single registry values with their types.
#pragma once

#include <string>

#include "core/reg_value.h"
#include "platform/platform.h"

namespace lark {

// Reads one REG_SZ, REG_EXPAND_SZ (not expanded), REG_BINARY or REG_DWORD value.
// A missing key or value, or any other type, gives Empty. Text is cut at its first NUL.
RegValue RegistryGetKeyValue(const Platform& p, RegKey eRootKey, const std::string& strKeyName,
                             const std::string& strValueName);

// What a text read keeps of the NULs in a value's bytes.
enum class TextNuls {
  CutAtFirst,    // the text ends at its first NUL
  DropLastOnly,  // only a terminating NUL goes; one inside the text stays
};

// Reads a value of the open key as text, whatever its length: its bytes as the registry hands
// them over, without the NUL that ends them (a value written without one keeps every byte).
// With textOnly, a value that is neither REG_SZ nor REG_EXPAND_SZ is not read; otherwise the
// bytes of any type are taken for text. False, with `text` empty, when nothing was read.
bool ReadTextValue(IRegistry& reg, RegKey key, const std::string& name, std::string* text,
                   bool textOnly = true, TextNuls nuls = TextNuls::CutAtFirst);

// Writes one value under HKEY_CURRENT_USER\sKeyName; the key is never created here and
// a failure is not reported. lValueType: 1 (REG_SZ), 2 (REG_EXPAND_SZ) or 4 (REG_DWORD).
void SetKeyValue(const Platform& p, const std::string& sKeyName, const std::string& sValueName,
                 const std::string& vValueSetting, long lValueType);

// The typed write on an open key: REG_SZ with one NUL, REG_EXPAND_SZ exactly as given,
// REG_DWORD as 4 little-endian bytes. Other types write nothing and give 0.
long SetValueEx(const Platform& p, RegKey hKey, const std::string& sValueName, long lType,
                const std::string& vValue);

}  // namespace lark
