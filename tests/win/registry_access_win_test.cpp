// Typed reads and writes against the real registry of the Wine prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/registry_access.h"
#include "platform/win32/win32_platform.h"
#include "win_test_support.h"

namespace lark {
namespace {

class RegistryAccessWin : public ::testing::Test {
 protected:
  Win32Platform w;
  const Platform& p = w.platform;
  static constexpr const char* kKey = "Software\\LarkmoorTest\\Access";
  void SetUp() override {
    test::DeleteTree(HKEY_CURRENT_USER, "Software\\LarkmoorTest");
    HKEY k;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &k, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(k);
  }
  void TearDown() override { test::DeleteTree(HKEY_CURRENT_USER, "Software\\LarkmoorTest"); }
  void Raw(const char* name, DWORD type, const std::string& data) {
    HKEY k;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    // A guard byte after the data keeps RegSetValueExA from counting a NUL of its own.
    std::string buffer = data + "x";
    ASSERT_EQ(::RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(buffer.data()),
                               static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    ::RegCloseKey(k);
  }
};

TEST_F(RegistryAccessWin, StoresExactBytesForEachType) {
  SetKeyValue(p, kKey, "TarnKeep", "None Selected", REG_SZ);
  auto sz = test::ReadRaw(HKEY_CURRENT_USER, kKey, "TarnKeep");
  EXPECT_EQ(sz.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(sz.data, std::string("None Selected\0", 14));

  const std::string marker = "This Identity is empty, there are no values to save.";
  SetKeyValue(p, kKey, "Store Root", marker, REG_EXPAND_SZ);
  auto ex = test::ReadRaw(HKEY_CURRENT_USER, kKey, "Store Root");
  EXPECT_EQ(ex.type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(ex.data.size(), 52u);
  EXPECT_EQ(ex.data, marker);

  SetKeyValue(p, kKey, "BackupOverWrite", "1", REG_DWORD);
  auto dw = test::ReadRaw(HKEY_CURRENT_USER, kKey, "BackupOverWrite");
  EXPECT_EQ(dw.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(dw.data, std::string("\x01\0\0\0", 4));
}

TEST_F(RegistryAccessWin, ReadsBackWhatWasStored) {
  Raw("Embedded", REG_SZ, std::string("abc\0def\0", 8));
  Raw("Expand", REG_EXPAND_SZ, std::string("%UserProfile%\\Mail\0", 19));
  Raw("Bin", REG_BINARY, std::string("\x01\x00\xff", 3));
  Raw("Dw", REG_DWORD, std::string("\x01\0\0\0", 4));
  Raw("Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
  EXPECT_EQ(RegistryGetKeyValue(p, HKEY_CURRENT_USER_VALUE, kKey, "Embedded").AsText(), "abc");
  EXPECT_EQ(RegistryGetKeyValue(p, HKEY_CURRENT_USER_VALUE, kKey, "Expand").AsText(),
            "%UserProfile%\\Mail");
  RegValue bin = RegistryGetKeyValue(p, HKEY_CURRENT_USER_VALUE, kKey, "Bin");
  ASSERT_EQ(bin.kind(), RegValue::Kind::Bytes);
  EXPECT_EQ(bin.bytes(), (std::vector<std::uint8_t>{1, 0, 255}));
  EXPECT_EQ(RegistryGetKeyValue(p, HKEY_CURRENT_USER_VALUE, kKey, "Dw").AsLong(), 1);
  EXPECT_TRUE(RegistryGetKeyValue(p, HKEY_CURRENT_USER_VALUE, kKey, "Multi").IsEmpty());
  EXPECT_TRUE(RegistryGetKeyValue(p, HKEY_CURRENT_USER_VALUE, kKey, "Missing").IsEmpty());
  EXPECT_TRUE(
      RegistryGetKeyValue(p, HKEY_CURRENT_USER_VALUE, "Software\\LarkmoorTest\\Nope", "").IsEmpty());
}

TEST_F(RegistryAccessWin, DefaultValueIsReadByTheEmptyName) {
  Raw("", REG_SZ, std::string("C:\\book.wab\0", 12));
  EXPECT_EQ(RegistryGetKeyValue(p, HKEY_CURRENT_USER_VALUE, kKey, "").AsText(), "C:\\book.wab");
}

TEST_F(RegistryAccessWin, WriteIntoMissingKeyCreatesNothing) {
  SetKeyValue(p, "Software\\LarkmoorTest\\Missing", "TarnKeep", "x", REG_SZ);
  HKEY k;
  EXPECT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\LarkmoorTest\\Missing", 0, KEY_READ, &k),
            ERROR_FILE_NOT_FOUND);
}

// The in-memory registry must answer the probes the logic relies on exactly as Windows does.
TEST_F(RegistryAccessWin, ProbeCodesMatchTheInMemoryRegistry) {
  Raw("Full", REG_SZ, std::string("x\0", 2));
  Raw("Empty", REG_SZ, std::string());
  HKEY k;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
  auto probe = [&](const char* name) {
    BYTE b = 0;
    DWORD size = 0, type = 0;
    return ::RegQueryValueExA(k, name, nullptr, &type, &b, &size);
  };
  EXPECT_EQ(probe("Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(probe("Full"), ERROR_MORE_DATA);
  EXPECT_EQ(probe("Empty"), ERROR_SUCCESS);
  ::RegCloseKey(k);
}

}  // namespace
}  // namespace lark
