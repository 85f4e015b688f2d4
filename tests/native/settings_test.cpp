// The settings store and start-up, against the in-memory platform.
#include <gtest/gtest.h>

#include "core/app.h"
#include "core/settings.h"
#include "core/startup.h"
#include "core/texts.h"
#include "platform/memory/memory_platform.h"
#include "ui/handlers.h"

namespace lark {
namespace {

constexpr const char* kKey = "HKCU\\Software\\TarnKeep";

class Settings : public ::testing::Test {
 protected:
  MemoryPlatform m;
  App app{m.platform};

  std::vector<std::string> Messages() {
    std::vector<std::string> out;
    for (auto& msg : m.user.messages) {
      EXPECT_EQ(msg.title, texts::kAppTitle);
      out.push_back(msg.text);
    }
    return out;
  }
  std::string Stored() {
    const auto* v = m.registry.Get(kKey, "TarnKeep");
    if (!v) return "<missing>";
    EXPECT_EQ(v->type, kRegSz);
    EXPECT_EQ(v->data.back(), 0);
    return std::string(v->data.begin(), v->data.end() - 1);
  }
  void StartUp() {
    m.registry.Ensure("HKCU\\Software\\Microsoft\\WAB\\WAB4\\Wab File Name");
    Form_Load(app);
  }
};

TEST_F(Settings, FirstRunCreatesTheKeyAndRemindsTwiceInOrder) {
  std::vector<std::string> stateAtMessages;
  m.user.onMessage = [&](const std::string&) {
    stateAtMessages.push_back(app.Form1().lblbkuppth().text);
  };
  StartUp();
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "Please select a backup folder or create one from the Tools menu.",
                            "Please Select A Backup Folder Before Proceeding Further"}));
  EXPECT_EQ(stateAtMessages[0], "None Selected");
  EXPECT_EQ(Stored(), "None Selected");
  const auto* ow = m.registry.Get(kKey, "BackupOverWrite");
  ASSERT_NE(ow, nullptr);
  EXPECT_EQ(ow->type, kRegDword);
  EXPECT_EQ(ow->data, (std::vector<std::uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(app.Form1().lblbkuppth().text, "None Selected");
  EXPECT_EQ(app.Form1().lblbkuppth().tooltip, "None Selected");
  EXPECT_EQ(app.Form1().lblbkuppth().colour, kRed);
  EXPECT_EQ(app.Form1().chkOverwrite(), 0);
  EXPECT_TRUE(app.Form1().Visible());
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST_F(Settings, KeyThatCannotBeCreatedIsReportedAndStartUpGoesOn) {
  m.registry.Ensure("HKCU\\Software").denyWrite = true;
  StartUp();
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Error opening or creating registry key -- aborting."}));
  EXPECT_EQ(app.Form1().lblbkuppth().text, "None Selected");
  EXPECT_EQ(app.Form1().lblbkuppth().colour, kRed);
  EXPECT_TRUE(app.Form1().Visible());
}

TEST_F(Settings, StoredFolderThatExistsIsShownInRedWithoutAMessage) {
  m.files.AddFolder("D:\\Backups\\Mail");
  m.registry.SetString(kKey, "TarnKeep", "D:\\Backups\\Mail");
  m.registry.SetDword(kKey, "BackupOverWrite", 1);
  StartUp();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(app.Form1().lblbkuppth().text, "D:\\Backups\\Mail");
  EXPECT_EQ(app.Form1().lblbkuppth().tooltip, "D:\\Backups\\Mail");
  EXPECT_EQ(app.Form1().lblbkuppth().colour, kRed);
  ASSERT_TRUE(app.Form3Loaded());
  EXPECT_EQ(app.Form3().txtbkPth(), "D:\\Backups\\Mail");
  EXPECT_FALSE(app.Form3().Visible());
  EXPECT_EQ(app.Form1().chkOverwrite(), 1);
  EXPECT_EQ(Stored(), "D:\\Backups\\Mail");
}

TEST_F(Settings, DeletedFolderIsForgottenWithoutAMessage) {
  m.registry.SetString(kKey, "TarnKeep", "C:\\Gone");
  m.registry.SetDword(kKey, "BackupOverWrite", 0);
  Form_Load(app);  // no address-book key: the second refresh does not run
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Stored(), "None Selected");
  EXPECT_EQ(app.Form1().lblbkuppth().text, "C:\\Gone");

  // With the address-book key, start-up's second refresh shows the reset at once.
  MemoryPlatform m2;
  App app2{m2.platform};
  m2.registry.SetString(kKey, "TarnKeep", "C:\\Gone");
  m2.registry.Ensure("HKCU\\Software\\Microsoft\\WAB\\WAB4\\Wab File Name");
  Form_Load(app2);
  EXPECT_TRUE(m2.user.messages.empty());
  EXPECT_EQ(app2.Form1().lblbkuppth().text, "None Selected");
  EXPECT_EQ(app2.Form1().lblbkuppth().colour, kRed);
}

TEST_F(Settings, MissingOrEmptyFolderValueIsResetWithTheReminder) {
  for (bool empty : {false, true}) {
    MemoryPlatform mp;
    App a{mp.platform};
    mp.registry.Ensure(kKey);
    if (empty) mp.registry.Set(kKey, "TarnKeep", kRegSz, {});
    mp.registry.SetDword(kKey, "BackupOverWrite", 0);
    oeb(a);
    ASSERT_EQ(mp.user.messages.size(), 1u) << empty;
    EXPECT_EQ(mp.user.messages[0].text, "Please Select A Backup Folder Before Proceeding Further");
    EXPECT_EQ(a.Form1().lblbkuppth().text, "None Selected");
    EXPECT_EQ(a.Form1().lblbkuppth().tooltip, "None Selected");
    const auto* v = mp.registry.Get(kKey, "TarnKeep");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->data.size(), 14u);
  }
}

TEST_F(Settings, OverwriteOptionLoadsAndFollowsTheCheckBox) {
  m.registry.Ensure(kKey);
  chkbox(app);  // value missing: written as 0
  const auto* ow = m.registry.Get(kKey, "BackupOverWrite");
  ASSERT_NE(ow, nullptr);
  EXPECT_EQ(ow->type, kRegDword);
  EXPECT_EQ(app.Form1().chkOverwrite(), 0);

  m.registry.SetDword(kKey, "BackupOverWrite", 5);
  chkbox(app);
  EXPECT_EQ(app.Form1().chkOverwrite(), 0);  // unchanged

  app.Form1().SetChkOverwrite(1);  // a click
  EXPECT_EQ(m.registry.Get(kKey, "BackupOverWrite")->data,
            (std::vector<std::uint8_t>{1, 0, 0, 0}));
  app.Form1().SetChkOverwrite(0);
  EXPECT_EQ(m.registry.Get(kKey, "BackupOverWrite")->data,
            (std::vector<std::uint8_t>{0, 0, 0, 0}));
  app.Form1().SetChkOverwrite(2);  // greyed: nothing written
  EXPECT_EQ(m.registry.Get(kKey, "BackupOverWrite")->data,
            (std::vector<std::uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST_F(Settings, NoSettingsKeyLeavesTheCheckBoxUncheckedAndWritesNothing) {
  app.Form1().SetChkOverwrite(1);
  m.registry.DeleteKey(kKey);
  chkbox(app);
  EXPECT_EQ(app.Form1().chkOverwrite(), 0);
  EXPECT_EQ(m.registry.Find(kKey), nullptr);
}

}  // namespace
}  // namespace lark
