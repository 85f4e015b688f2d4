// The File menu's backup-folder commands against the in-memory platform.
#include <gtest/gtest.h>

#include "core/app.h"
#include "core/texts.h"
#include "platform/memory/memory_platform.h"
#include "ui/handlers.h"
#include "ui/ids.h"

namespace lark {
namespace {

constexpr const char* kKey = "HKCU\\Software\\TarnKeep";

class MainViewStub : public IMainWindowView {
 public:
  void Refresh(MainPart) override {}
  void Unload() override {}
  std::uintptr_t Handle() const override { return 0x4321; }
};

class FolderCommands : public ::testing::Test {
 protected:
  MemoryPlatform m;
  App app{m.platform};
  MainViewStub view;

  void SetUp() override {
    app.Form1().SetView(&view);
    m.files.AddFolder("C:\\Old");
    m.registry.SetString(kKey, "TarnKeep", "C:\\Old");
    app.Form1().SetLblbkuppthText("C:\\Old");
    app.Form1().SetLblbkuppthTooltip("C:\\Old");
    app.Form1().SetLblbkuppthColour(kRed);
    app.Form1().SetPanel(1, "Backup Complete");
    app.Form1().SetPanel(2, "2 Identities Backed Up");
  }
  std::string Stored() {
    const auto* v = m.registry.Get(kKey, "TarnKeep");
    return v ? std::string(v->data.begin(), v->data.end() - 1) : "<missing>";
  }
};

TEST_F(FolderCommands, MakeANewFolderSwapsTheMainWindowForTheChooser) {
  app.Form1().SetVisible(true);
  ASSERT_FALSE(app.Form3Loaded());
  DispatchMainCommand(app, ids::kMnuCrtbkfldr2);
  EXPECT_EQ(app.Form1().Panel(1), "Backup Complete");
  EXPECT_EQ(app.Form1().Panel(2), "");
  EXPECT_FALSE(app.Form1().Visible());
  ASSERT_TRUE(app.Form3Loaded());
  EXPECT_TRUE(app.Form3().Visible());
  EXPECT_EQ(app.Form3().txtbkPth(), "C:\\Old");
}

TEST_F(FolderCommands, ChoosingInTheBrowserStoresTheFolderAndShowsItEverywhere) {
  m.files.AddFolder("C:\\Picked");
  m.shell.browseAnswers = {std::string("C:\\Picked"), std::string("C:\\")};
  ASSERT_FALSE(app.Form3Loaded());
  DispatchMainCommand(app, ids::kMnuBrbkfldr);
  EXPECT_EQ(m.shell.browseTitles, (std::vector<std::string>{"Select a directory"}));
  EXPECT_EQ(m.shell.browseOwners, (std::vector<std::uintptr_t>{0x4321}));
  EXPECT_EQ(m.shell.browseFlags, (std::vector<unsigned>{1}));
  EXPECT_EQ(app.state.browseResult, "C:\\Picked");
  EXPECT_EQ(Stored(), "C:\\Picked");
  EXPECT_EQ(app.Form1().lblbkuppth().text, "C:\\Picked");
  EXPECT_EQ(app.Form1().lblbkuppth().tooltip, "C:\\Picked");
  EXPECT_EQ(app.Form1().lblbkuppth().colour, kRed);
  EXPECT_EQ(app.Form1().Panel(2), "");
  // The chooser was loaded for the occasion; its path box shows what was stored.
  ASSERT_TRUE(app.Form3Loaded());
  EXPECT_EQ(app.Form3().txtbkPth(), "C:\\Picked");
  EXPECT_FALSE(app.Form3().Visible());

  // A drive root keeps its backslash.
  brbkfldr_Click(app);
  EXPECT_EQ(Stored(), "C:\\");
  EXPECT_EQ(app.Form3().txtbkPth(), "C:\\");
  EXPECT_TRUE(m.user.messages.empty());
}

TEST_F(FolderCommands, CancellingOrANonFolderItemChangesNothing) {
  app.Form3().SetTxtbkPth("C:\\Old");
  app.state.browseResult = "C:\\Earlier";
  m.shell.browseAnswers = {std::nullopt, std::string("")};
  for (int i = 0; i < 2; ++i) {
    brbkfldr_Click(app);
    EXPECT_EQ(app.state.browseResult, "");
    EXPECT_EQ(Stored(), "C:\\Old");
    EXPECT_EQ(app.Form1().lblbkuppth().text, "C:\\Old");
    EXPECT_EQ(app.Form1().lblbkuppth().tooltip, "C:\\Old");
    EXPECT_EQ(app.Form3().txtbkPth(), "C:\\Old");
  }
  EXPECT_EQ(app.Form1().Panel(2), "");
}

TEST_F(FolderCommands, OpenBackupFolderExploresWhatIsStored) {
  struct Case {
    const char* name;
    void (*prepare)(MemoryPlatform&);
    const char* explored;  // nullptr: nothing is opened
    bool message;
  } cases[] = {
      {"a folder", [](MemoryPlatform&) {}, "C:\\Old", false},
      {"None Selected",
       [](MemoryPlatform& mp) { mp.registry.SetString(kKey, "TarnKeep", "None Selected"); },
       "None Selected", false},
      {"no value", [](MemoryPlatform& mp) { mp.registry.Find(kKey)->values.clear(); }, nullptr,
       true},
      {"a value without data",
       [](MemoryPlatform& mp) { mp.registry.Set(kKey, "TarnKeep", kRegSz, {}); }, "", false},
      {"no key", [](MemoryPlatform& mp) { mp.registry.DeleteKey(kKey); }, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryPlatform mp;
    App a{mp.platform};
    mp.registry.SetString(kKey, "TarnKeep", "C:\\Old");
    c.prepare(mp);
    a.Form1().SetPanel(2, "x");
    DispatchMainCommand(a, ids::kMnuOpnbkfldr);
    EXPECT_EQ(a.Form1().Panel(2), "");
    if (c.message) {
      ASSERT_EQ(mp.user.messages.size(), 1u);
      EXPECT_EQ(mp.user.messages[0].text, "Backup Folder Has Not Been Set");
      EXPECT_EQ(mp.user.messages[0].title, texts::kAppTitle);
    } else {
      EXPECT_TRUE(mp.user.messages.empty());
    }
    if (c.explored) {
      ASSERT_EQ(mp.shell.executed.size(), 1u);
      const MemoryShell::Execute& e = mp.shell.executed[0];
      EXPECT_EQ(e.owner, 0u);
      EXPECT_EQ(e.verb, "Explore");
      EXPECT_EQ(e.file, c.explored);
      EXPECT_EQ(e.parameters, "");
      EXPECT_EQ(e.directory, "");
      EXPECT_EQ(e.show, 1);
    } else {
      EXPECT_TRUE(mp.shell.executed.empty());
    }
    EXPECT_EQ(mp.registry.OpenHandles(), 0u);
    EXPECT_FALSE(a.Form3Loaded()) << "opening the folder does not load the chooser";
  }
}

}  // namespace
}  // namespace lark
