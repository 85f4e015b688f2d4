// The kept backups' names and the small info file beside each backup's checksum list.
#include "fs/backup_set.h"

#include <gtest/gtest.h>

#include "fs/manifest.h"

namespace lark {
namespace {

TEST(BackupInfo, ReadsBackWhatItWroteAndSkipsLinesItCannotUse) {
  BackupInfo info;
  info.made = "2026-12-07 05.53.12";
  info.messages = {{"Main Identity/Inbox.dbx", 1234}, {"Work  Two/Sent Items.dbx", 0}};
  info.findings = {"Inbox.dbx of \"Main Identity\" is cut short."};
  info.computer = "OLDPC";
  info.user = "ann";
  info.identities = {{"{A}", "Main\tIdentity", "%UserProfile%\\x", "C:\\u\\ann\\x"}};
  BackupInfo back;
  ASSERT_TRUE(ParseBackupInfo(BackupInfoText(info), &back));
  EXPECT_EQ(back.computer + back.user, "OLDPCann");
  ASSERT_EQ(back.identities.size(), 1u);
  EXPECT_EQ(back.identities[0].name, "Main Identity");  // a tab would split the line
  EXPECT_EQ(back.identities[0].storeFolder, info.identities[0].storeFolder);
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
  const std::pair<const char*, bool> cases[] = {
      {"2026-12-07 05.53.12", true},          {"2026-12-07 05.53.12 (2)", true},
      {"2026-12-07 05.53.12.partial", false}, {"2026-12-07 05.53.12.deleting", false},
      {"2026-12-07 05.53.1", false},          {"2026-12-07 05:53:12", false},
      {"2026-12-07 05.53.12 (x)", false},     {"Larkmoor.lock", false},
  };
  for (const auto& [name, kept] : cases) EXPECT_EQ(IsKeptBackupName(name), kept) << name;
}

// Lines that name no file of the folder (bad digits, a path out of it) are not the list's.
TEST(ChecksumList, OneLineAFileWhateverTheCaseOrSeparatorOfItsName) {
  const std::string a(64, 'a'), b(64, 'b'), c(64, 'c');
  Manifest list;
  ASSERT_TRUE(list.Parse(a + "  Main/Inbox.dbx\r\n" + b + " *Main\\Sent Items.dbx\n" + "noise\n" +
                         std::string(64, 'g') + "  Main/Bad.dbx\n" + c + "  IAM.reg\n" + a +
                         "  ../../boot.ini\n" + a + "  Main\\..\\x\n" + a + "  C:/x\n" + a +
                         "  /x\n" + a + "  Main/. ./x\n" + a + "  Main//x"));
  list.Set("main\\INBOX.DBX", c);
  list.Remove("MAIN/sent items.dbx");
  list.Set("Main/Sent Items.dbx", a);
  EXPECT_EQ(list.Text(),
            c + "  Main/Inbox.dbx\n" + c + "  IAM.reg\n" + a + "  Main/Sent Items.dbx\n");
  ASSERT_NE(list.Find("Main\\inbox.dbx"), nullptr);
  EXPECT_EQ(*list.Find("Main\\inbox.dbx"), c);
  EXPECT_EQ(list.Find("Main/Bad.dbx"), nullptr);
  EXPECT_FALSE(list.Parse("noise only\n"));
}

// A list read from a backup folder is as long as whoever wrote it made it.
TEST(ChecksumList, AListOfAHundredThousandFilesReadsBackAsItWas) {
  std::string text;
  for (int i = 0; i < 100000; ++i)
    text += std::string(64, "0123456789abcdef"[i % 16]) + "  Identity " + std::to_string(i / 20) +
            "/Folder " + std::to_string(i) + ".dbx\n";
  Manifest list;
  ASSERT_TRUE(list.Parse(text));
  EXPECT_EQ(list.Text(), text);
}

}  // namespace
}  // namespace lark
