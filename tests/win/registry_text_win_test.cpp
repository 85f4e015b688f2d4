// The one reader of registry text, on values written byte for byte into Wine's registry: what
// each of its three readings (a text as the settings and store folders take it, any value as
// the default identity is taken, any value as display names are taken) makes of odd data.
#include <optional>

#include "core/registry_access.h"
#include "platform/reg_key.h"
#include "win_support.h"

namespace lark::test {
namespace {

using namespace std::string_literals;

const char* const kKey = "Software\\TarnKeep\\Text";

class RegistryText : public WinTest {};

TEST_F(RegistryText, EachReadingTakesOddValuesAsBefore) {
  using Read = std::optional<std::string>;  // nullopt: not read
  const std::string longText(300, 'L');     // past the first try's buffer
  struct Case {
    const char* name;
    DWORD type;  // 0: no such value
    std::string bytes;
    Read text, anyCut, anyKeep;
  } cases[] = {
      {"ended", REG_SZ, "abc\0"s, "abc", "abc", "abc"},
      {"unended", REG_EXPAND_SZ, "abc", "abc", "abc", "abc"},
      {"inner", REG_SZ, "a\0b\0"s, "a", "a", "a\0b"s},
      {"twice", REG_SZ, "ab\0\0"s, "ab", "ab", "ab\0"s},
      {"empty", REG_SZ, "", "", "", ""},
      {"long", REG_EXPAND_SZ, longText + '\0', longText, longText, longText},
      {"binary", REG_BINARY, "xy\0z"s, std::nullopt, "xy", "xy\0z"s},
      {"dword", REG_DWORD, "\x05\0\0\0"s, std::nullopt, "\x05", "\x05\0\0"s},
      {"missing", 0, "", std::nullopt, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases)
    if (c.type) SetValue(HKEY_CURRENT_USER, kKey, c.name, c.type, c.bytes);
  RegKeyOwner key(p.registry);
  ASSERT_EQ(p.registry.RegOpenKeyExA(kHkeyCurrentUser, kKey, kKeyRead, key.Receive()),
            kErrorSuccess);
  for (const Case& c : cases) {
    auto read = [&](bool textOnly, TextNuls nuls) -> Read {
      std::string text = "stale";
      if (ReadTextValue(p.registry, key.get(), c.name, &text, textOnly, nuls)) return text;
      EXPECT_EQ(text, "") << c.name;
      return std::nullopt;
    };
    EXPECT_EQ(read(true, TextNuls::CutAtFirst), c.text) << c.name;
    EXPECT_EQ(read(false, TextNuls::CutAtFirst), c.anyCut) << c.name;
    EXPECT_EQ(read(false, TextNuls::DropLastOnly), c.anyKeep) << c.name;
  }
}

}  // namespace
}  // namespace lark::test
