// The kept backups' names and the small info file beside each backup's checksum list.
#include "fs/backup_set.h"

#include <gtest/gtest.h>

#include "fs/safe_name.h"

namespace lark {
namespace {

TEST(BackupInfo, ReadsBackWhatItWroteAndSkipsLinesItCannotUse) {
  BackupInfo info;
  info.made = "2026-12-07 05.53.12";
  info.messages = {{"Main Identity/Inbox.dbx", 1234}, {"Work  Two/Sent Items.dbx", 0}};
  info.findings = {"Inbox.dbx of \"Main Identity\" is cut short."};
  BackupInfo back;
  ASSERT_TRUE(ParseBackupInfo(BackupInfoText(info), &back));
  EXPECT_EQ(back.made, info.made);
  EXPECT_EQ(back.messages, info.messages);
  EXPECT_EQ(back.findings, info.findings);

  ASSERT_TRUE(
      ParseBackupInfo("Messages: 12x  a.dbx\nMessages: 99999999999  b.dbx\n"
                      "Messages: 7  c.dbx\nnoise\n",
                      &back));
  EXPECT_EQ(back.messages, (std::vector<std::pair<std::string, std::uint32_t>>{{"c.dbx", 7}}));
  EXPECT_FALSE(ParseBackupInfo("something else\n", &back));
}

TEST(IsKeptBackupName, OnlyTimesAndTheirSecondsCount) {
  struct Case {
    const char* name;
    bool kept;
  } cases[] = {
      {"2026-12-07 05.53.12", true},          {"2026-12-07 05.53.12 (2)", true},
      {"2026-12-07 05.53.12.partial", false}, {"2026-12-07 05.53.12.deleting", false},
      {"2026-12-07 05.53.1", false},          {"2026-12-07 05:53:12", false},
      {"2026-12-07 05.53.12 (x)", false},     {"Larkmoor.lock", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsKeptBackupName(c.name), c.kept) << c.name;
}

TEST(IdentityFolderNames, TheEarlierBackupsFolderIsNeverAnIdentitysOwn) {
  EXPECT_EQ(IdentityFolderNames({"earlier backups", "Main"}, {"{A}", "{B}"}),
            (std::vector<std::string>{"earlier backups {A}", "Main"}));
}

}  // namespace
}  // namespace lark
