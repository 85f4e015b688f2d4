// The edition decision and identity discovery, against the in-memory registry.
#include <gtest/gtest.h>

#include "core/app.h"
#include "core/startup.h"
#include "discovery/edition.h"
#include "discovery/identities.h"
#include "platform/memory/memory_platform.h"

namespace lark {
namespace {

constexpr const char* k9x = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNt = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion";

struct EditionCase {
  const char* name9x;  // nullptr: no value
  const char* nameNt;
  const char* expected;
};

TEST(Edition, DecidedByTheProductNamesLastTestWins) {
  const EditionCase cases[] = {
      {"Microsoft Windows 98", nullptr, "SE"},
      {nullptr, "Microsoft Windows 2000", "2K"},
      {nullptr, "Microsoft Windows XP", "XP"},
      {nullptr, "Microsoft Windows Server 2003", "NT"},
      {nullptr, "Windows 10 Pro", "NT"},
      {"Microsoft Windows ME", "Microsoft Windows XP", "XP"},
      {nullptr, "Microsoft Windows XP Professional", "NT"},
      {nullptr, nullptr, ""},
  };
  for (const auto& c : cases) {
    MemoryPlatform m;
    App app{m.platform};
    if (c.name9x) m.registry.SetString(k9x, "ProductName", c.name9x);
    if (c.nameNt) m.registry.SetString(kNt, "ProductName", c.nameNt);
    DecideEdition(app);
    EXPECT_EQ(app.state.winVer, c.expected) << (c.nameNt ? c.nameNt : "-");
    EXPECT_EQ(m.registry.OpenHandles(), 0u);
  }
}

TEST(Edition, NothingFoundKeepsThePreviousCodeAndReadOnlyKeysStillAnswer) {
  MemoryPlatform m;
  App app{m.platform};
  app.state.winVer = "XP";
  DecideEdition(app);
  EXPECT_EQ(app.state.winVer, "XP");
  // A user who may not write HKLM still learns the edition.
  m.registry.SetString(kNt, "ProductName", "Microsoft Windows 2000");
  m.registry.Find(kNt)->denyWrite = true;
  DecideEdition(app);
  EXPECT_EQ(app.state.winVer, "2K");
}

class Discovery : public ::testing::Test {
 protected:
  MemoryPlatform m;
  App app{m.platform};
  void Identity(const std::string& id, const std::string& name, bool mailKey = true) {
    m.registry.SetString("HKCU\\Identities\\" + id, "Username", name);
    if (mailKey)
      m.registry.SetString("HKCU\\" + MailClientKey(id), "Store Root", "%UserProfile%\\x",
                           kRegExpandSz);
  }
  void SetUp() override {
    m.registry.SetString(kNt, "ProductName", "Microsoft Windows XP");
    m.registry.SetString("HKCU\\Identities", "Default User ID", "{A}");
    m.registry.SetString("HKCU\\Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "",
                         "C:\\Book\\me.wab");
  }
};

TEST_F(Discovery, BuildsTheTableInEnumerationOrder) {
  Identity("{B}", "Work");
  Identity("{A}", "Main Identity");
  Identity("{C}", "Guest", false);
  GetInputPaths(app);
  EXPECT_EQ(app.state.winVer, "XP");
  EXPECT_EQ(app.state.identCount, 3);
  EXPECT_EQ(app.state.identKey, (std::vector<std::string>{"{A}", "{B}", "{C}", ""}));
  EXPECT_EQ(app.state.identName, (std::vector<std::string>{"Main Identity", "Work", "Guest", ""}));
  EXPECT_EQ(app.Form1().Label2().text, "3");
  EXPECT_EQ(app.state.wabFile, "C:\\Book\\me.wab");
  EXPECT_TRUE(m.user.messages.empty());
  EXPECT_EQ(UsableIdentities(app.state), 3u);
  EXPECT_EQ(m.registry.OpenHandles(), 0u);

  // The guest got a mail-client key holding the marker, 52 bytes without a NUL.
  const auto* marker = m.registry.Get("HKCU\\" + MailClientKey("{C}"), "Store Root");
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->type, kRegExpandSz);
  EXPECT_EQ(std::string(marker->data.begin(), marker->data.end()), kEmptyIdentityMarker);
  EXPECT_EQ(m.registry.Find("HKCU\\" + MailClientKey("{C}"))->className, "4");

  // Discovery again finds the same table.
  GetInputPaths(app);
  EXPECT_EQ(app.state.identName, (std::vector<std::string>{"Main Identity", "Work", "Guest", ""}));
}

TEST_F(Discovery, MarkerTypeFollowsTheEdition) {
  for (auto [product, key, type, bytes] :
       {std::tuple<const char*, const char*, std::uint32_t, std::size_t>{
            "Microsoft Windows 98", k9x, kRegSz, 53},
        {nullptr, nullptr, 0, 0}}) {
    MemoryPlatform mp;
    App a{mp.platform};
    if (product) mp.registry.SetString(key, "ProductName", product);
    mp.registry.SetString("HKCU\\Identities", "Default User ID", "{A}");
    mp.registry.SetString("HKCU\\Identities\\{A}", "Username", "Main");
    GetInputPaths(a);
    const auto* v = mp.registry.Get("HKCU\\" + MailClientKey("{A}"), "Store Root");
    if (!product) {
      EXPECT_EQ(mp.registry.Find("HKCU\\" + MailClientKey("{A}")), nullptr);
      continue;
    }
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, type);
    EXPECT_EQ(v->data.size(), bytes);
  }
}

TEST_F(Discovery, NoIdentitiesKeyLeavesEverythingAsItWas) {
  m.registry.DeleteKey("HKCU\\Identities");
  GetInputPaths(app);
  EXPECT_EQ(app.state.identCount, 0);
  EXPECT_EQ(app.state.identKey, (std::vector<std::string>{""}));
  EXPECT_EQ(app.Form1().Label2().text, "0");
  EXPECT_EQ(app.state.wabFile, "");
  EXPECT_TRUE(m.user.messages.empty());
}

TEST_F(Discovery, EmptyIdentitiesKeyStillReadsTheAddressBook) {
  m.registry.Ensure("HKCU\\Identities");
  GetInputPaths(app);
  EXPECT_EQ(app.state.identCount, 0);
  EXPECT_EQ(app.state.identKey.size(), 1u);
  EXPECT_EQ(app.state.identName.size(), 1u);
  EXPECT_EQ(app.Form1().Label2().text, "0");
  EXPECT_EQ(app.state.wabFile, "C:\\Book\\me.wab");
}

TEST_F(Discovery, MissingDefaultIdentityIsAReadErrorAndStopsDiscovery) {
  Identity("{A}", "Main Identity");
  Identity("{B}", "Work");
  m.registry.SetString("HKCU\\Identities", "Default User ID", "{Gone}");
  GetInputPaths(app);
  ASSERT_EQ(m.user.messages.size(), 1u);
  EXPECT_EQ(m.user.messages[0].text, "Registry read error 2 Default User ID Username");
  EXPECT_EQ(app.state.identCount, 2);
  EXPECT_EQ(app.state.identName, (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(app.Form1().Label2().text, "0");
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST_F(Discovery, NamesWithoutNulOrMissingKeepEveryCharacter) {
  m.registry.Set("HKCU\\Identities\\{A}", "Username", kRegSz, {'A', 'n', 'n'});
  m.registry.Ensure("HKCU\\Identities\\{B}");  // no Username at all
  std::string longName(300, 'x');
  m.registry.SetString("HKCU\\Identities\\{C}", "Username", longName);
  GetInputPaths(app);
  EXPECT_EQ(app.state.identName, (std::vector<std::string>{"Ann", "", longName, ""}));
}

TEST_F(Discovery, LaterRunThatFindsNoIdentitiesNeverLetsConsumersOverrun) {
  Identity("{A}", "Main Identity");
  GetInputPaths(app);
  EXPECT_EQ(UsableIdentities(app.state), 1u);
  m.registry.DeleteKey("HKCU\\Identities");
  GetInputPaths(app);
  EXPECT_EQ(app.state.identCount, 1);  // as it was
  EXPECT_EQ(UsableIdentities(app.state), 0u);
}

}  // namespace
}  // namespace lark
