// The pure helpers: identity display names into folder names, path splitting, switches.
#include <gtest/gtest.h>

#include <set>

#include "core/switches.h"
#include "fs/folders.h"
#include "fs/safe_name.h"
#include "fs/text.h"

namespace lark {
namespace {

TEST(SafeFolderName, KeepsValidNamesAndMendsTheRestIntoOneFolderName) {
  const std::pair<const char*, const char*> cases[] = {
      {"Main Identity", "Main Identity"},
      {"a.b", "a.b"},
      {".hidden", ".hidden"},
      {"  lead", "  lead"},
      {"COM10", "COM10"},
      {"Conrad", "Conrad"},
      {"..\\..\\x", ".._.._x"},
      {"../../x", ".._.._x"},
      {"..", "__"},
      {".", "_"},
      {"", "_"},
      {"C:\\Windows", "C__Windows"},
      {"a:b*c?d\"e<f>g|h", "a_b_c_d_e_f_g_h"},
      {"Work . ", "Work___"},
      {"tab\there", "tab_here"},
      {"con.txt", "con_.txt"},
      {"LPT1", "LPT1_"},
      {"\\\\server\\share", "__server_share"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(SafeFolderName(in), out) << in;
  EXPECT_EQ(SafeFolderName(std::string(300, 'n')), std::string(255, 'n'));
}

TEST(IdentityFolderNames, OnlyNamesThatShareAFolderCarryTheirKey) {
  // The earlier backups' folder beside the identities' is never one of theirs.
  EXPECT_EQ(IdentityFolderNames({"Main", "Work", "Work.", "work", "", " ", "earlier backups"},
                                {"{A}", "{B}", "{C}", "{D}", "{E}", "{F}", "{G}"}),
            (std::vector<std::string>{"Main", "Work {B}", "Work_", "work {D}", "_ {E}", "_ {F}",
                                      "earlier backups {G}"}));
}

TEST(IdentityFolderNames, NoTwoIdentitiesEverShareAFolder) {
  // A name that reads like another's mended folder, keys too long to fit, and a key that
  // repeats in a damaged table.
  const std::string longKey(255, 'k');
  std::vector<std::string> folders =
      IdentityFolderNames({"Work {B}", "Work", "Work", "x", "x", "x", "x"},
                          {"{A}", "{B}", "{C}", longKey, longKey, "{Z}", "{Z}"});
  std::set<std::string> seen;  // each a plain folder name, and no two the same to Windows
  for (auto& f : folders) EXPECT_TRUE(SafeFolderName(f) == f && seen.insert(FoldedName(f)).second);
  EXPECT_EQ(folders[0], "Work {B}");
}

// Names fold as Windows folds them (here by the Western code page): accented letters too,
// and never to another length.
TEST(FoldedName, FoldsTheLettersOfTheCodePageOnly) {
  EXPECT_EQ(FoldedName("Main {a1} \xE9lise \xF7\xFF\xDF"), "MAIN {A1} \xC9LISE \xF7\xFF\xDF");
}

TEST(PathHelpers, SplitJudgeAndScratchNames) {
  const std::pair<const char*, const char*> directory[] = {{"C:\\Data\\book.wab", "C:\\Data\\"},
                                                           {"  C:\\Data\\book.wab  ", "C:\\Data\\"},
                                                           {"book.wab", ""},
                                                           {"   ", ""},
                                                           {"C:\\", "C:\\"},
                                                           {"Data\\Sub\\x", "Data\\Sub\\"}};
  for (const auto& [in, out] : directory) EXPECT_EQ(DirectoryFromFile(in), out) << in;
  const std::pair<const char*, const char*> name[] = {{"C:\\Data\\book.wab", "book.wab"},
                                                      {"book.wab", ""},
                                                      {"C:\\Data\\", ""},
                                                      {" C:\\Data\\ book.wab ", " book.wab "}};
  for (const auto& [in, out] : name) EXPECT_EQ(NameFromFullPath(in), out) << in;
  for (const char* full : {"C:\\x", "c:\\", "\\\\server\\share\\x"}) EXPECT_TRUE(IsFullPath(full));
  for (const char* rel : {"x", "bk\\x", "C:x", "\\x", ""}) EXPECT_FALSE(IsFullPath(rel)) << rel;
  // The scratch file fits wherever the file fits, and is never the file itself.
  EXPECT_EQ(ScratchNameFor("C:\\Bk\\IAM.reg"), "C:\\Bk\\IAM.re~");
  EXPECT_EQ(ScratchNameFor("odd~"), "odd#");
}

}  // namespace
}  // namespace lark

// Scheduled tasks written for the program give the switches in any case, order and spacing.
TEST(Switches, ReadAsScheduledTasksWriteThem) {
  struct Case {
    const char* line;
    bool backup, hidden, overwrite, addressBook;
    const char* folder;       // nullptr: no "/b:"
    const char* generations;  // nullptr: no "/g:"
  } cases[] = {
      {"", false, false, false, false, nullptr, nullptr},
      {"/A /H", true, true, false, false, nullptr, nullptr},
      {"/h", false, true, false, false, nullptr, nullptr},
      {"/g:5 /a /b:\"D:\\Mail Backup\"", true, false, false, false, "\"D:\\Mail Backup\"", "5"},
      {"/G:12/o /w", false, false, true, true, nullptr, "12"},
      {"/g:", false, false, false, false, nullptr, ""},
  };
  for (const Case& c : cases) {
    const lark::Switches s = lark::ReadSwitches(c.line);
    EXPECT_EQ(s.backup, c.backup) << c.line;
    EXPECT_EQ(s.hidden, c.hidden) << c.line;
    EXPECT_EQ(s.overwrite, c.overwrite) << c.line;
    EXPECT_EQ(s.addressBook, c.addressBook) << c.line;
    EXPECT_EQ(s.folder.value_or("-"), c.folder ? c.folder : "-") << c.line;
    EXPECT_EQ(s.generations.value_or("-"), c.generations ? c.generations : "-") << c.line;
    if (s.generations) {
      EXPECT_EQ(s.generationsSwitch.size(), 3 + s.generations->size()) << c.line;
    }
  }
}

// "/x:" and "/b:" each take the rest of the line; the first written ends where the other begins.
TEST(Switches, ExportFolderAndBackupFolderShareTheLine) {
  const struct {
    const char *line, *folder, *exportFolder;  // "-": none
    bool hiddenRun;
  } cases[] = {
      {"/h /X:\"E:\\Mail Export\"", "-", "\"E:\\Mail Export\"", true},
      {"/h /b:D:\\Mail Backup /x:E:\\Out", "D:\\Mail Backup ", "E:\\Out", true},
      {"/x:E:\\Out /B:D:\\Mail Backup", "D:\\Mail Backup", "E:\\Out ", false},
  };
  for (const auto& c : cases) {
    const lark::Switches s = lark::ReadSwitches(c.line);
    EXPECT_EQ(s.folder.value_or("-"), c.folder) << c.line;
    EXPECT_EQ(s.exportFolder.value_or("-"), c.exportFolder) << c.line;
    EXPECT_EQ(s.HiddenUnattended(), c.hiddenRun) << c.line;
  }
}
