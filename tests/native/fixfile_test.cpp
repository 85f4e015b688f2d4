// Rewriting exported registry files: key lines only, both encodings, never losing the file.
#include <gtest/gtest.h>

#include "backup/fixfile.h"
#include "core/app.h"
#include "platform/memory/memory_platform.h"

namespace lark {
namespace {

std::string Wide(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

class FixFile : public ::testing::Test {
 protected:
  MemoryPlatform m;
  App app{m.platform};
  void SetUp() override {
    m.files.AddFolder("C:\\Backup");
    m.files.SetCurrentDirectoryA("C:\\Backup");
  }
  std::string Fix(const std::string& contents, FixResult expected) {
    m.files.AddFile("C:\\Backup\\AllIdentities.reg", contents);
    EXPECT_EQ(fixfile(app, "AllIdentities.reg"), expected);
    EXPECT_FALSE(m.files.Exists("C:\\Backup\\AllIdentities.reg.lark-new"));
    return m.files.Contents("C:\\Backup\\AllIdentities.reg");
  }
};

const std::string kExport =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\]\r\n"
    "\"Default User ID\"=\"{A}\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\\\{A}]\r\n"
    "\"Username\"=\"Main\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\\\{A}\\Software\\Microsoft]\r\n"
    "\"Path\"=\"\\\\\\\\server\\\\share\\\\\"\r\n"
    "\"Odd\"=\"C:\\\\new\\\\tmp\"\r\n";
const std::string kFixed =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\]\r\n"
    "\"Default User ID\"=\"{A}\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\{A}]\r\n"
    "\"Username\"=\"Main\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\{A}\\Software\\Microsoft]\r\n"
    "\"Path\"=\"\\\\\\\\server\\\\share\\\\\"\r\n"
    "\"Odd\"=\"C:\\\\new\\\\tmp\"\r\n";

TEST_F(FixFile, CollapsesDoubledSeparatorsInKeyLinesOnly) {
  EXPECT_EQ(Fix(kExport, FixResult::Rewritten), kFixed);
}

TEST_F(FixFile, HandlesUtf16WithItsByteOrderMark) {
  EXPECT_EQ(Fix(Wide(kExport), FixResult::Rewritten), Wide(kFixed));
}

TEST_F(FixFile, RunsOfThreeAndFourBecomeTwo) {
  EXPECT_EQ(Fix("[A\\\\\\B\\\\\\\\C]\r\n\"v\"=\"\\\\\\\\\"\r\n", FixResult::Rewritten),
            "[A\\\\B\\\\C]\r\n\"v\"=\"\\\\\\\\\"\r\n");
}

TEST_F(FixFile, FileWithoutDoubledKeySeparatorsIsLeftByteForByte) {
  std::string bytes = "REGEDIT4\n[HKEY\\A]\n\"x\"=\"\xE9\xFF\\\\\"\n\n";
  EXPECT_EQ(Fix(bytes, FixResult::Unchanged), bytes);
  EXPECT_EQ(Fix(Wide(bytes), FixResult::Unchanged), Wide(bytes));
  EXPECT_EQ(Fix("", FixResult::Unchanged), "");
}

TEST_F(FixFile, LargeFilesAcrossBlockBoundaries) {
  std::string big;
  for (int i = 0; i < 20000; ++i)
    big += "[HKEY_CURRENT_USER\\\\Identities\\\\{" + std::to_string(i) + "}]\r\n\"v\"=\"a\\\\b\"\r\n";
  std::string want;
  for (int i = 0; i < 20000; ++i)
    want += "[HKEY_CURRENT_USER\\Identities\\{" + std::to_string(i) + "}]\r\n\"v\"=\"a\\\\b\"\r\n";
  EXPECT_EQ(Fix(big, FixResult::Rewritten), want);
  EXPECT_EQ(Fix(Wide(big), FixResult::Rewritten), Wide(want));
}

TEST_F(FixFile, MissingFileIsNotCreated) {
  EXPECT_EQ(fixfile(app, "IAM.reg"), FixResult::Missing);
  EXPECT_FALSE(m.files.Exists("C:\\Backup\\IAM.reg"));
}

TEST_F(FixFile, FailureKeepsTheExportWhole) {
  m.files.AddFile("C:\\Backup\\AllIdentities.reg", kExport);
  m.streams.lockedFiles.insert("C:\\Backup\\AllIdentities.reg");
  EXPECT_EQ(fixfile(app, "AllIdentities.reg"), FixResult::Failed);
  m.streams.lockedFiles.clear();
  m.streams.failWrites = true;  // a full disk
  EXPECT_EQ(fixfile(app, "AllIdentities.reg"), FixResult::Failed);
  EXPECT_EQ(m.files.Contents("C:\\Backup\\AllIdentities.reg"), kExport);
  EXPECT_FALSE(m.files.Exists("C:\\Backup\\AllIdentities.reg.lark-new"));
}

}  // namespace
}  // namespace lark
