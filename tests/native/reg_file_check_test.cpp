// The check a registry file of a backup passes before it is imported: every key inside its
// one branch, in the single-byte and the UTF-16 form the editor writes.
#include "fs/reg_file_check.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/bytes.h"

namespace lark {
namespace {

using namespace std::string_literals;

const char* const kIdentities = "HKEY_CURRENT_USER\\Identities";
const std::string kV5 = "Windows Registry Editor Version 5.00\r\n\r\n";

std::string Utf16(const std::string& text) { return "\xFF\xFE" + testing::Utf16(text); }

TEST(RegFileCheck, OnlyKeysInsideTheBranchPassInEitherEncoding) {
  using F = RegFileFault;
  struct Case {
    const char* what;
    std::string text;
    F fault;
  } cases[] = {
      {"the backup's own export",
       kV5 + "[HKEY_CURRENT_USER\\Identities]\r\n\"Last Username\"=\"Main\"\r\n\r\n"
             "[HKEY_CURRENT_USER\\Identities\\{A}]\r\n@=\"x\"\r\n",
       F::None},
      {"the editor's doubled separators",
       kV5 + "[HKEY_CURRENT_USER\\Identities\\]\r\n[HKEY_CURRENT_USER\\Identities\\\\{A}]\r\n",
       F::None},
      {"another letter case, REGEDIT4, LF only, a blank before the bracket",
       "REGEDIT4\n\n  [hkey_current_user\\IDENTITIES\\{a}]\n\"v\"=dword:00000001\n", F::None},
      {"a deletion inside the branch", kV5 + "[-HKEY_CURRENT_USER\\Identities\\{A}]\r\n", F::None},
      {"a header only", "REGEDIT4", F::None},
      {"a key outside",
       kV5 + "[HKEY_CURRENT_USER\\Identities]\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
             "CurrentVersion\\Run]\r\n\"x\"=\"evil.exe\"\r\n",
       F::KeyOutside},
      {"a sibling whose name starts like the branch", kV5 + "[HKEY_CURRENT_USER\\IdentitiesX]\r\n",
       F::KeyOutside},
      {"the branch's parent", kV5 + "[HKEY_CURRENT_USER]\r\n", F::KeyOutside},
      {"a key after the bracket that seems to end it",
       kV5 + "[HKEY_CURRENT_USER\\Identities] [HKEY_LOCAL_MACHINE\\Software]\r\n", F::KeyOutside},
      {"a key line after a lone CR", kV5 + "[HKEY_CURRENT_USER\\Identities]\r[HKEY_USERS\\x]\r\n",
       F::KeyOutside},
      {"another root, short form", kV5 + "[HKCU\\Identities]\r\n", F::KeyOutside},
      {"a deletion of another branch",
       kV5 + "[HKEY_CURRENT_USER\\Identities]\r\n[-HKEY_CURRENT_USER\\Software\\Microsoft]\r\n",
       F::DeletionOutside},
      {"a value line before any key", kV5 + "\"x\"=\"y\"\r\n[HKEY_CURRENT_USER\\Identities]\r\n",
       F::ValueBeforeKey},
      {"a default value before any key", kV5 + "  @=\"y\"\r\n", F::ValueBeforeKey},
      {"not a registry file", "MZ\x90\x00 binary"s, F::NotARegistryFile},
      {"the old format of Windows 3.1", "REGEDIT\r\nHKEY_CLASSES_ROOT\\x = y\r\n",
       F::NotARegistryFile},
      {"a header with more after it", "REGEDIT4 \r\n", F::NotARegistryFile},
      {"an empty file", "", F::NotARegistryFile},
      {"a NUL that hides what follows",
       kV5 + "[HKEY_CURRENT_USER\\Identities]\r\n \0[HKEY_USERS\\x]\r\n"s, F::NotARegistryFile},
      {"a key line without its bracket", kV5 + "[HKEY_CURRENT_USER\\Identities\r\n",
       F::NotARegistryFile},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckRegText(c.text, kIdentities).fault, c.fault) << c.what;
    EXPECT_EQ(CheckRegText(Utf16(c.text), kIdentities).fault, c.fault) << c.what << " (UTF-16)";
  }
  // One identity's branch, in a file whose separators the editor doubled.
  const char* const identity = "HKEY_CURRENT_USER\\Identities\\{A}";
  EXPECT_EQ(CheckRegText(kV5 + "[HKEY_CURRENT_USER\\Identities\\\\{A}\\\\x]\r\n", identity).fault,
            F::None);
  EXPECT_EQ(CheckRegText(kV5 + "[HKEY_CURRENT_USER\\Identities\\\\{AB}]\r\n", identity).fault,
            F::KeyOutside);
}

TEST(RegFileCheck, NamesTheKeyOutsideAndReadsAFileInBlocksOfAnySize) {
  const std::string text = Utf16(kV5 + "[HKEY_CURRENT_USER\\Identities\\{A}]\r\n\"v\"=\"" +
                                 std::string(100, 'x') + "\"\r\n[-HKEY_USERS\\.DEFAULT]\r\n");
  EXPECT_EQ(CheckRegText(text, kIdentities).key, "HKEY_USERS\\.DEFAULT");
  for (std::size_t block : {1u, 2u, 3u, 7u}) {
    RegFileChecker checker(kIdentities);
    for (std::size_t at = 0; at < text.size(); at += block)
      checker.Feed(text.data() + at, std::min(block, text.size() - at));
    RegFileVerdict v = checker.Finish();
    EXPECT_EQ(v.fault, RegFileFault::DeletionOutside) << block;
    EXPECT_EQ(v.key, "HKEY_USERS\\.DEFAULT") << block;
  }
}

}  // namespace
}  // namespace lark
