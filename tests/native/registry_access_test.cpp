// Typed reads and writes of single registry values, against the in-memory registry.
#include <gtest/gtest.h>

#include "core/registry_access.h"
#include "platform/memory/memory_platform.h"

namespace lark {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

class RegistryAccess : public ::testing::Test {
 protected:
  MemoryPlatform m;
  const Platform& p = m.platform;
  static constexpr const char* kKey = "Software\\TarnKeep";
  void SetUp() override { m.registry.Ensure("HKCU\\Software\\TarnKeep"); }
};

TEST_F(RegistryAccess, ReadsEachOfTheFourTypes) {
  m.registry.SetString("HKCU\\Software\\TarnKeep", "Sz", "C:\\Backup");
  m.registry.SetString("HKCU\\Software\\TarnKeep", "Expand", "%UserProfile%\\Mail", kRegExpandSz);
  m.registry.Set("HKCU\\Software\\TarnKeep", "Bin", kRegBinary, {1, 0, 255});
  m.registry.SetDword("HKCU\\Software\\TarnKeep", "Dw", 1);

  RegValue sz = RegistryGetKeyValue(p, kHkeyCurrentUser, kKey, "Sz");
  EXPECT_EQ(sz.kind(), RegValue::Kind::Text);
  EXPECT_EQ(sz.AsText(), "C:\\Backup");
  EXPECT_EQ(RegistryGetKeyValue(p, kHkeyCurrentUser, kKey, "Expand").AsText(),
            "%UserProfile%\\Mail");
  RegValue bin = RegistryGetKeyValue(p, kHkeyCurrentUser, kKey, "Bin");
  ASSERT_EQ(bin.kind(), RegValue::Kind::Bytes);
  EXPECT_EQ(bin.bytes(), (std::vector<std::uint8_t>{1, 0, 255}));
  RegValue dw = RegistryGetKeyValue(p, kHkeyCurrentUser, kKey, "Dw");
  EXPECT_EQ(dw.kind(), RegValue::Kind::Long);
  EXPECT_EQ(dw.AsLong(), 1);
  EXPECT_EQ(dw.AsText(), "1");
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST_F(RegistryAccess, MissingOrUnhandledIsEmptyAndSilent) {
  m.registry.Set("HKCU\\Software\\TarnKeep", "Multi", kRegMultiSz, Bytes(std::string("a\0b\0\0", 5)));
  for (auto [key, value] : {std::pair<const char*, const char*>{kKey, "Nope"},
                            {"Software\\Missing", "TarnKeep"},
                            {kKey, "Multi"}}) {
    RegValue v = RegistryGetKeyValue(p, kHkeyCurrentUser, key, value);
    EXPECT_TRUE(v.IsEmpty()) << key << " " << value;
    EXPECT_EQ(v.AsText(), "");
    EXPECT_EQ(v.AsLong(), 0);
  }
  EXPECT_TRUE(m.user.messages.empty());
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST_F(RegistryAccess, TextStopsAtTheFirstNulAndEmptyDataIsEmptyText) {
  m.registry.Set("HKCU\\Software\\TarnKeep", "Embedded", kRegSz, Bytes(std::string("abc\0def\0", 8)));
  m.registry.Set("HKCU\\Software\\TarnKeep", "NoNul", kRegExpandSz, Bytes("abc"));
  m.registry.Set("HKCU\\Software\\TarnKeep", "Nothing", kRegSz, {});
  EXPECT_EQ(RegistryGetKeyValue(p, kHkeyCurrentUser, kKey, "Embedded").AsText(), "abc");
  EXPECT_EQ(RegistryGetKeyValue(p, kHkeyCurrentUser, kKey, "NoNul").AsText(), "abc");
  RegValue nothing = RegistryGetKeyValue(p, kHkeyCurrentUser, kKey, "Nothing");
  EXPECT_EQ(nothing.kind(), RegValue::Kind::Text);
  EXPECT_EQ(nothing.AsText(), "");
}

TEST_F(RegistryAccess, DefaultValueAndNamesAreCaseInsensitive) {
  m.registry.SetString("HKCU\\Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "",
                       "C:\\Address\\me.wab");
  EXPECT_EQ(RegistryGetKeyValue(p, kHkeyCurrentUser, "software\\MICROSOFT\\wab\\WAB4\\Wab File Name",
                                "")
                .AsText(),
            "C:\\Address\\me.wab");
}

TEST_F(RegistryAccess, WritesExactTypesAndBytes) {
  SetKeyValue(p, kKey, "TarnKeep", "None Selected", kRegSz);
  const auto* sz = m.registry.Get("HKCU\\Software\\TarnKeep", "TarnKeep");
  ASSERT_NE(sz, nullptr);
  EXPECT_EQ(sz->type, kRegSz);
  EXPECT_EQ(sz->data.size(), 14u);
  EXPECT_EQ(sz->data.back(), 0);

  const std::string marker = "This Identity is empty, there are no values to save.";
  ASSERT_EQ(marker.size(), 52u);
  SetKeyValue(p, kKey, "Store Root", marker, kRegExpandSz);
  const auto* ex = m.registry.Get("HKCU\\Software\\TarnKeep", "Store Root");
  ASSERT_NE(ex, nullptr);
  EXPECT_EQ(ex->type, kRegExpandSz);
  EXPECT_EQ(ex->data, Bytes(marker));  // 52 bytes, no NUL

  SetKeyValue(p, kKey, "BackupOverWrite", "1", kRegDword);
  const auto* dw = m.registry.Get("HKCU\\Software\\TarnKeep", "BackupOverWrite");
  ASSERT_NE(dw, nullptr);
  EXPECT_EQ(dw->type, kRegDword);
  EXPECT_EQ(dw->data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST_F(RegistryAccess, WritesIntoAMissingKeyOrOfOtherTypesDoNothing) {
  SetKeyValue(p, "Software\\NotThere", "TarnKeep", "x", kRegSz);
  EXPECT_EQ(m.registry.Find("HKCU\\Software\\NotThere"), nullptr);
  RegKey key = 0;
  ASSERT_EQ(m.registry.RegOpenKeyExA(kHkeyCurrentUser, kKey, kKeySetValue, &key), 0);
  EXPECT_EQ(SetValueEx(p, key, "Bin", kRegBinary, "abc"), 0);
  m.registry.RegCloseKey(key);
  EXPECT_EQ(m.registry.Get("HKCU\\Software\\TarnKeep", "Bin"), nullptr);
  EXPECT_TRUE(m.user.messages.empty());
}

TEST_F(RegistryAccess, ReadOnlyKeyRefusesTheWriteSilently) {
  m.registry.SetString("HKCU\\Software\\TarnKeep", "TarnKeep", "C:\\Old");
  m.registry.Find("HKCU\\Software\\TarnKeep")->denyWrite = true;
  SetKeyValue(p, kKey, "TarnKeep", "C:\\New", kRegSz);
  EXPECT_EQ(RegistryGetKeyValue(p, kHkeyCurrentUser, kKey, "TarnKeep").AsText(), "C:\\Old");
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST(RegValueConversion, TextToNumber) {
  EXPECT_EQ(RegValue::FromText("1").AsLong(), 1);
  EXPECT_EQ(RegValue::FromText("abc").AsLong(), 0);
  EXPECT_EQ(RegValue::FromLong(-5).AsText(), "-5");
  EXPECT_EQ(RegValue().AsText(), "");
}

}  // namespace
}  // namespace lark
