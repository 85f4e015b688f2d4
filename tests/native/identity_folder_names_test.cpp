// Identity folders in the backup folder: one per identity, whatever the display names.
#include <gtest/gtest.h>

#include <set>

#include "fs/folders.h"
#include "fs/safe_name.h"

namespace lark {
namespace {

std::set<std::string> Folded(const std::vector<std::string>& folders) {
  std::set<std::string> out;
  for (std::string f : folders) {
    for (char& c : f)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    out.insert(f);
  }
  return out;
}

TEST(IdentityFolderNames, DistinctNamesKeepTheirFolderAndOnlySharedOnesCarryTheKey) {
  EXPECT_EQ(IdentityFolderNames({"Main", "Work", "Work.", "work", "", " ", "Guest"},
                                {"{A}", "{B}", "{C}", "{D}", "{E}", "{F}", "{G}"}),
            (std::vector<std::string>{"Main", "Work {B}", "Work_", "work {D}", "_ {E}", "_ {F}",
                                      "Guest"}));
  // Accented letters differ in case only: the same folder on Windows.
  EXPECT_EQ(IdentityFolderNames({"\xC9lise", "\xE9lise"}, {"{A}", "{B}"}),
            (std::vector<std::string>{"\xC9lise {A}", "\xE9lise {B}"}));
}

TEST(IdentityFolderNames, NoTwoIdentitiesEverShareAFolder) {
  // A name that already reads like another's mended folder, keys that are too long to fit,
  // and a key that repeats in a damaged table: each still gets a folder of its own.
  const std::string longKey(255, 'k');
  std::vector<std::string> names = {"Work {B}", "Work", "Work", "x", "x", "x", "x"};
  std::vector<std::string> keys = {"{A}", "{B}", "{C}", longKey, longKey, "{Z}", "{Z}"};
  std::vector<std::string> folders = IdentityFolderNames(names, keys);
  ASSERT_EQ(folders.size(), names.size());
  EXPECT_EQ(Folded(folders).size(), folders.size());
  for (const std::string& f : folders) {
    EXPECT_LE(f.size(), 255u);
    EXPECT_EQ(SafeFolderName(f), f);
  }
  EXPECT_EQ(folders[0], "Work {B}");
}

TEST(ScratchNameFor, IsNoLongerThanTheFileAndNeverTheFileItself) {
  EXPECT_EQ(ScratchNameFor("C:\\Bk\\IAM.reg"), "C:\\Bk\\IAM.re~");
  EXPECT_EQ(ScratchNameFor("odd~"), "odd#");
}

}  // namespace
}  // namespace lark
