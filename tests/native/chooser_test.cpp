// The folder chooser without a window: its load, the chained lists, and its buttons,
// against the in-memory platform.
#include "ui/chooser.h"

#include <gtest/gtest.h>

#include "core/app.h"
#include "core/texts.h"
#include "platform/memory/memory_platform.h"
#include "ui/handlers.h"

namespace lark {
namespace {

constexpr const char* kKey = "HKCU\\Software\\TarnKeep";

class Chooser : public ::testing::Test {
 protected:
  MemoryPlatform m;
  App app{m.platform};

  void Store(const std::string& folder) { m.registry.SetString(kKey, "TarnKeep", folder); }
  std::string Stored() {
    const auto* v = m.registry.Get(kKey, "TarnKeep");
    return v ? std::string(v->data.begin(), v->data.end() - 1) : "<missing>";
  }
  std::uint32_t StoredType() { return m.registry.Get(kKey, "TarnKeep")->type; }
  std::vector<std::string> Messages() {
    std::vector<std::string> out;
    for (auto& msg : m.user.messages) out.push_back(msg.text);
    return out;
  }
  std::vector<std::string> FolderLines() {
    std::vector<std::string> out;
    for (const FolderItem& i : app.Form3().Dir1Items())
      out.push_back(std::string(static_cast<std::size_t>(i.level), '>') + i.name);
    return out;
  }
};

TEST_F(Chooser, DriveTypeCompletesABareDriveInTheCallersText) {
  m.files.AddDrive('D', kDriveCdRom);
  std::string letter = "D", colon = "C:", folder = "D:\\Folder", none = "Q";
  EXPECT_EQ(DriveType(app, letter), "CD-ROM");
  EXPECT_EQ(letter, "D:\\");
  EXPECT_EQ(DriveType(app, colon), "Fixed Drive");
  EXPECT_EQ(colon, "C:\\");
  EXPECT_EQ(DriveType(app, folder), "Drive Doesn't Exist");
  EXPECT_EQ(folder, "D:\\Folder");
  EXPECT_EQ(DriveType(app, none), "Drive Doesn't Exist");

  const std::pair<std::uint32_t, const char*> kinds[] = {{kDriveRemovable, "Removable Drive"},
                                                         {kDriveRemote, "Remote Drive"},
                                                         {kDriveRamDisk, "RAM Disk"},
                                                         {kDriveUnknown, "Drive Doesn't Exist"}};
  for (const auto& [type, text] : kinds) {
    m.files.AddDrive('E', type);
    std::string e = "E:";
    EXPECT_EQ(DriveType(app, e), text);
  }
}

TEST_F(Chooser, LoadOpensTheStoredFolderAndChainsTheLists) {
  m.files.AddDrive('D');
  m.files.AddFolder("C:\\Mail\\Backup\\Zeta");
  m.files.AddFolder("C:\\Mail\\Backup\\alpha");
  m.files.AddFolder("C:\\Mail\\Backup\\Hidden", kFileAttributeDirectory | kFileAttributeHidden);
  m.files.AddFile("C:\\Mail\\Backup\\b.reg", "x");
  m.files.AddFile("C:\\Mail\\Backup\\A.wab", "x", kFileAttributeReadOnly);
  m.files.AddFile("C:\\Mail\\Backup\\h.txt", "x", kFileAttributeHidden);
  m.files.AddFile("C:\\Mail\\Backup\\s.sys", "x", kFileAttributeSystem);
  m.files.SetCurrentDirectoryA("D:\\");
  Store("c:\\mail\\backup");

  ChooserWindow& f = app.Form3();
  EXPECT_EQ(app.state.fixedDriveRoot, "C:\\");
  EXPECT_EQ(f.Drive1(), "C:");
  // The folder list reports the folder as the disk spells it; the path box follows it.
  EXPECT_EQ(f.Dir1Path(), "C:\\Mail\\Backup");
  EXPECT_EQ(f.File1Path(), "C:\\Mail\\Backup");
  EXPECT_EQ(f.txtbkPth(), "C:\\Mail\\Backup");
  EXPECT_EQ(FolderLines(),
            (std::vector<std::string>{"C:\\", ">Mail", ">>Backup", ">>>alpha", ">>>Zeta"}));
  EXPECT_EQ(f.Dir1ListIndex(), 2);
  EXPECT_EQ(f.File1Items(), (std::vector<std::string>{"A.wab", "b.reg"}));
  EXPECT_EQ(Stored(), "c:\\mail\\backup");
  EXPECT_FALSE(f.Visible());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST_F(Chooser, ChangingTheDriveRunsBothHandlersBeforeTheChangeReturns) {
  m.files.AddDrive('D');
  m.files.AddFolder("D:\\Stuff");
  m.files.AddFile("D:\\top.txt", "x");
  m.files.AddFolder("C:\\Work");
  m.files.SetCurrentDirectoryA("C:\\Work");
  Store("None Selected");
  ChooserWindow& f = app.Form3();
  ASSERT_EQ(f.txtbkPth(), "C:\\Work");

  ASSERT_TRUE(f.SetDrive1("d:"));
  EXPECT_EQ(f.Drive1(), "D:");
  EXPECT_EQ(f.Dir1Path(), "D:\\");
  EXPECT_EQ(f.File1Path(), "D:\\");
  EXPECT_EQ(f.txtbkPth(), "D:\\");
  EXPECT_EQ(f.File1Items(), (std::vector<std::string>{"top.txt"}));
  EXPECT_EQ(FolderLines(), (std::vector<std::string>{"D:\\", ">Stuff"}));

  // Back to C: opens C's current folder; the same path again changes nothing.
  ASSERT_TRUE(f.SetDrive1("C"));
  EXPECT_EQ(f.txtbkPth(), "C:\\Work");
  f.SetTxtbkPth("typed");
  EXPECT_TRUE(f.SetDir1Path("C:\\work\\"));
  EXPECT_EQ(f.txtbkPth(), "typed") << "an unchanged path runs no change handler";
}

TEST_F(Chooser, WithNoneSelectedTheFirstFixedDrivesCurrentFolderIsOffered) {
  m.files.AddFolder("C:\\Users\\Me");
  m.files.SetCurrentDirectoryA("C:\\Users\\Me");
  m.files.AddDrive('B', kDriveRemovable, false);
  Store("None Selected");
  ChooserWindow& f = app.Form3();
  EXPECT_EQ(f.txtbkPth(), "C:\\Users\\Me");
  EXPECT_EQ(f.Dir1Path(), "C:\\Users\\Me");
  EXPECT_EQ(app.state.fixedDriveRoot, "C:\\");
  EXPECT_EQ(Stored(), "None Selected") << "offering a folder stores nothing";
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Chooser, WithoutAnyFixedDriveTheLoadEndsAtDriveZ) {
  m.files.AddDrive('C', kDriveRemote);
  Store("None Selected");
  ChooserWindow& f = app.Form3();
  EXPECT_EQ(app.state.fixedDriveRoot, "Z:\\");
  EXPECT_EQ(f.Drive1(), "C:");
  EXPECT_EQ(f.txtbkPth(), "C:\\");
  EXPECT_EQ(Stored(), "None Selected");
}

TEST_F(Chooser, AStoredFolderThatIsGoneIsForgottenButStaysInThePathBox) {
  m.files.AddFolder("C:\\Work");
  m.files.SetCurrentDirectoryA("C:\\Work");
  Store("C:\\Gone");
  ChooserWindow& f = app.Form3();
  EXPECT_EQ(f.txtbkPth(), "C:\\Gone");
  EXPECT_EQ(f.Dir1Path(), "C:\\Work");
  EXPECT_EQ(Stored(), "None Selected");
  EXPECT_EQ(StoredType(), kRegSz);
}

TEST_F(Chooser, AnUnreadableDriveIsReportedAndTheListsStayWhereTheyWere) {
  m.files.AddFolder("C:\\Work");
  m.files.SetCurrentDirectoryA("C:\\Work");
  m.files.AddDrive('E', kDriveCdRom, false);
  Store("C:\\Work");
  ChooserWindow& f = app.Form3();
  ASSERT_EQ(f.Drives(), (std::vector<std::string>{"C:", "E:"}));
  f.SetTxtbkPth("C:\\Work\\typed");

  ChooseDrive(app, "E:");
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{
                "The drive E: cannot be read. Insert a disk or choose another drive."}));
  EXPECT_EQ(m.user.messages[0].title, texts::kAppTitle);
  EXPECT_EQ(f.Drive1(), "C:");
  EXPECT_EQ(f.Dir1Path(), "C:\\Work");
  EXPECT_EQ(f.txtbkPth(), "C:\\Work\\typed");

  // With a disk in, the same choice works.
  m.files.SetDriveReady('E', true);
  ChooseDrive(app, "E:");
  EXPECT_EQ(f.Drive1(), "E:");
  EXPECT_EQ(f.txtbkPth(), "E:\\");
  EXPECT_EQ(m.user.messages.size(), 1u);
}

TEST_F(Chooser, OpeningAFolderLineMovesTheListsAndAVanishedOneIsReported) {
  m.files.AddFolder("C:\\Data\\One");
  m.files.AddFolder("C:\\Data\\Two");
  Store("C:\\Data");
  ChooserWindow& f = app.Form3();
  ASSERT_EQ(FolderLines(), (std::vector<std::string>{"C:\\", ">Data", ">>One", ">>Two"}));
  OpenFolderListItem(app, 3);
  EXPECT_EQ(f.txtbkPth(), "C:\\Data\\Two");
  EXPECT_EQ(FolderLines(), (std::vector<std::string>{"C:\\", ">Data", ">>Two"}));
  OpenFolderListItem(app, 0);
  EXPECT_EQ(f.txtbkPth(), "C:\\");

  // A disk taken out after its folders were listed.
  m.files.AddDrive('D', kDriveRemovable);
  m.files.AddFolder("D:\\Disk\\Sub");
  ASSERT_TRUE(f.SetDir1Path("D:\\Disk"));
  m.files.SetDriveReady('D', false);
  OpenFolderListItem(app, 2);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"The folder D:\\Disk\\Sub cannot be opened."}));
  EXPECT_EQ(f.txtbkPth(), "D:\\Disk");
  EXPECT_EQ(FolderLines(), (std::vector<std::string>{"D:\\", ">Disk"}));
  OpenFolderListItem(app, 99);  // out of range: nothing
  EXPECT_EQ(m.user.messages.size(), 1u);
}

TEST_F(Chooser, CreatingAFolderJoinsWithOneBackslashAndListsIt) {
  m.files.AddFolder("C:\\Data");
  Store("C:\\Data");
  ChooserWindow& f = app.Form3();
  m.user.inputAnswers = {std::string("New")};
  cmdMkFolder_Click(app);
  EXPECT_EQ(m.user.inputPrompts, (std::vector<std::string>{"Enter folder name"}));
  EXPECT_EQ(m.user.inputTitles, (std::vector<std::string>{""}));
  EXPECT_EQ(f.txtbkPth(), "C:\\Data\\New");
  EXPECT_TRUE(m.files.Exists("C:\\Data\\New"));
  EXPECT_EQ(FolderLines().back(), ">>New");

  ASSERT_TRUE(f.SetDir1Path("C:\\"));
  m.user.inputAnswers = {std::string("Top")};
  cmdMkFolder_Click(app);
  EXPECT_EQ(f.txtbkPth(), "C:\\Top");
  EXPECT_TRUE(m.files.Exists("C:\\Top"));
  EXPECT_EQ(Stored(), "C:\\Data") << "nothing is stored until Set";
}

TEST_F(Chooser, CreatingAFolderFailsQuietlyAndCancelChangesNothing) {
  m.files.AddFolder("C:\\Data\\Old");
  Store("C:\\Data");
  ChooserWindow& f = app.Form3();
  m.user.inputAnswers = {std::nullopt, std::string("")};
  cmdMkFolder_Click(app);
  cmdMkFolder_Click(app);
  EXPECT_EQ(f.txtbkPth(), "C:\\Data");

  const char* bad[] = {"Old", "no\\such\\parent", "a*b"};
  for (const char* name : bad) {
    m.user.inputAnswers = {std::string(name)};
    cmdMkFolder_Click(app);
    EXPECT_EQ(f.txtbkPth(), std::string("C:\\Data\\") + name);
  }
  EXPECT_FALSE(m.files.Exists("C:\\Data\\no"));
  EXPECT_EQ(FolderLines(), (std::vector<std::string>{"C:\\", ">Data", ">>Old"}));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Chooser, SetStoresThePathBoxOnceAndShowsItOnTheMainWindow) {
  m.files.AddFolder("C:\\Data");
  Store("C:\\Data");
  app.Form1().SetLblbkuppthColour(kRed);
  ChooserWindow& f = app.Form3();
  f.TypedTxtbkPth("C:\\Not There Yet");
  cmdSetPath_Click(app);
  EXPECT_EQ(Stored(), "C:\\Not There Yet");
  EXPECT_EQ(StoredType(), kRegSz);
  EXPECT_EQ(app.Form1().lblbkuppth().text, "C:\\Not There Yet");
  EXPECT_EQ(app.Form1().lblbkuppth().tooltip, "C:\\Not There Yet");
  EXPECT_EQ(app.Form1().lblbkuppth().colour, kRed);

  // The same text again writes nothing: a write would turn the value back into REG_SZ.
  m.registry.SetString(kKey, "TarnKeep", "C:\\Not There Yet", kRegExpandSz);
  cmdSetPath_Click(app);
  EXPECT_EQ(StoredType(), kRegExpandSz);

  // An empty box names no folder.
  f.TypedTxtbkPth("");
  cmdSetPath_Click(app);
  EXPECT_EQ(Stored(), "C:\\Not There Yet");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

}  // namespace
}  // namespace lark
