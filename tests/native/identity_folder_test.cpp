// How an identity's display name and store value become folders.
#include <gtest/gtest.h>

#include "backup/store_folder.h"
#include "core/app.h"
#include "discovery/identities.h"
#include "fs/safe_name.h"
#include "platform/memory/memory_platform.h"

namespace lark {
namespace {

TEST(SafeFolderName, OrdinaryNamesAreKeptAsTheyAre) {
  for (const char* name : {"Main Identity", "Work", "José's mail", "a.b", ".hidden", "  lead",
                           "Conrad", "COM10", "LPT", "{3F2504E0}"})
    EXPECT_EQ(SafeFolderName(name), name);
}

TEST(SafeFolderName, HostileOrInvalidNamesStayInsideTheBackupFolder) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"..\\..\\x", ".._.._x"},   {"../../x", ".._.._x"},    {"..", "__"},
      {".", "_"},                 {"", "_"},                 {"C:\\Windows", "C__Windows"},
      {"a:b*c?d\"e<f>g|h", "a_b_c_d_e_f_g_h"},               {"Work.", "Work_"},
      {"Work . ", "Work___"},     {"tab\there", "tab_here"}, {"CON", "CON_"},
      {"con.txt", "con_.txt"},    {"LPT1", "LPT1_"},         {"\\\\server\\share", "__server_share"},
  };
  for (const auto& c : cases) {
    std::string got = SafeFolderName(c.in);
    EXPECT_EQ(got, c.out) << c.in;
    EXPECT_EQ(got.find_first_of("\\/:"), std::string::npos);
  }
  EXPECT_EQ(SafeFolderName(std::string(300, 'n')).size(), 255u);
}

class StoreFolderRead : public ::testing::Test {
 protected:
  MemoryPlatform m;
  App app{m.platform};
  std::string key = "HKCU\\" + MailClientKey("{A}");
  void SetUp() override {
    m.shell.environment["USERPROFILE"] = "C:\\Documents and Settings\\ann";
    m.shell.environment["APPDATA"] = "C:\\Documents and Settings\\ann\\Application Data";
  }
  StoreFolder Read(const std::vector<std::uint8_t>& data, std::uint32_t type = kRegExpandSz) {
    m.registry.Set(key, "Store Root", type, data);
    return ReadStoreFolder(app, "{A}");
  }
  static std::vector<std::uint8_t> Z(const std::string& s, bool nul = true) {
    std::vector<std::uint8_t> v(s.begin(), s.end());
    if (nul) v.push_back(0);
    return v;
  }
};

TEST_F(StoreFolderRead, ExpandsEveryReferenceAndKeepsTheWholeText) {
  auto a = Read(Z("%UserProfile%\\Local Settings\\Identities\\{A}\\Microsoft\\Outlook Express"));
  EXPECT_EQ(a.kind, StoreFolder::Kind::Folder);
  EXPECT_EQ(a.path,
            "C:\\Documents and Settings\\ann\\Local Settings\\Identities\\{A}\\Microsoft\\Outlook Express");
  EXPECT_EQ(Read(Z("D:\\Mail\\%APPDATA%\\x")).path,
            "D:\\Mail\\C:\\Documents and Settings\\ann\\Application Data\\x");
  EXPECT_EQ(Read(Z("D:\\Mail Store"), kRegSz).path, "D:\\Mail Store");
  EXPECT_EQ(Read(Z("D:\\Mail Store", false), kRegSz).path, "D:\\Mail Store");
  EXPECT_EQ(Read(Z("D:\\100%\\store")).path, "D:\\100%\\store");
  EXPECT_EQ(Read(Z("D:\\Mail\\")).path, "D:\\Mail");
  std::string longPath = "D:\\" + std::string(400, 'm');
  EXPECT_EQ(Read(Z(longPath)).path, longPath);
}

TEST_F(StoreFolderRead, PlaceholderIsRecognisedWithOrWithoutItsNul) {
  EXPECT_EQ(Read(Z(kEmptyIdentityMarker, false)).kind, StoreFolder::Kind::Empty);
  EXPECT_EQ(Read(Z(kEmptyIdentityMarker, true), kRegSz).kind, StoreFolder::Kind::Empty);
}

TEST_F(StoreFolderRead, MissingOrEmptyValuesGiveNoFolder) {
  EXPECT_EQ(ReadStoreFolder(app, "{A}").kind, StoreFolder::Kind::None);  // no key
  EXPECT_EQ(Read({}).kind, StoreFolder::Kind::None);
  EXPECT_EQ(Read(Z("")).kind, StoreFolder::Kind::None);
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

}  // namespace
}  // namespace lark
