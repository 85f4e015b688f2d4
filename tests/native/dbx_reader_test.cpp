// The store reader against stores of the test writer, whole and damaged.
#include "export/dbx_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/sample_mail.h"

namespace lark {
namespace {

using testing::DbxLayout;
using testing::DbxWriter;
using testing::SampleMessages;

class MemoryReader : public IFileReader {
 public:
  explicit MemoryReader(const std::string& bytes) : bytes_(bytes) {}
  bool Read(char* buffer, std::size_t capacity, std::size_t* got) override {
    *got = std::min(capacity, bytes_.size() - std::min(at_, bytes_.size()));
    std::memcpy(buffer, bytes_.data() + at_, *got);
    at_ += *got;
    return true;
  }
  bool Seek(std::uint64_t offset) override {
    at_ = static_cast<std::size_t>(offset);
    return true;
  }

 private:
  const std::string& bytes_;
  std::size_t at_ = 0;
};

struct Read {
  std::vector<std::string> texts, subjects;  // of the messages whose text was whole
  DbxSummary summary;
  bool opened = false;
};

Read ReadAll(const std::string& bytes) {
  MemoryReader reader(bytes);
  StoreFile file(reader, bytes.size());
  DbxReader dbx(file);
  Read r;
  r.opened = dbx.Open();
  if (r.opened)
    dbx.ForEachMessage([&](const DbxMessageInfo& m) {
      std::string text;
      std::uint64_t length = 0;
      const bool measured = dbx.MeasureText(m, &length);
      if (dbx.CopyText(m, [&](const char* d, std::size_t n) { return text.append(d, n), true; })) {
        EXPECT_TRUE(measured);
        EXPECT_EQ(length, text.size());
        r.texts.push_back(text);
        r.subjects.push_back(m.subject);
      }
      return true;
    });
  r.summary = dbx.Summary();
  return r;
}

TEST(DbxReader, ReadsEveryMessageOfWholeStoresInOrder) {
  const struct {
    std::size_t count;
    unsigned perNode;
  } cases[] = {{0, 0x33}, {1, 0x33}, {10, 3}, {500, 0x33}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    const auto messages = SampleMessages(c.count, true);
    const DbxLayout store = DbxWriter::Messages(messages, c.perNode);
    const Read r = ReadAll(store.bytes);
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.summary.damage, 0u);
    EXPECT_EQ(r.summary.headerCount, c.count);
    EXPECT_EQ(r.summary.reached, c.count);
    ASSERT_EQ(r.texts.size(), c.count);
    for (std::size_t i = 0; i < c.count; ++i) {
      EXPECT_EQ(r.texts[i], messages[i].text) << i;
      EXPECT_EQ(r.subjects[i], messages[i].subject);
    }
  }
}

TEST(DbxReader, DamageEndsOnlyWhatItReachesAndIsNamed) {
  const auto messages = SampleMessages(10);
  const DbxLayout base = DbxWriter::Messages(messages, 3);
  const std::uint32_t size = static_cast<std::uint32_t>(base.bytes.size());
  const std::uint32_t lastBlock3 = base.blocks[3].back();
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    std::size_t whole;  // messages read whole
    unsigned bits;
  } cases[] = {
      {"a chain that loops to its start",
       [&](std::string& s) { DbxWriter::Put32(s, lastBlock3 + 12, base.blocks[3][0]); }, 9,
       static_cast<unsigned>(DbxDamage::Text)},
      {"a block that points at itself",
       [&](std::string& s) { DbxWriter::Put32(s, lastBlock3 + 12, lastBlock3); }, 9,
       static_cast<unsigned>(DbxDamage::Text)},
      {"a block past the end",
       [&](std::string& s) { DbxWriter::Put32(s, lastBlock3 + 12, size + 64); }, 9,
       static_cast<unsigned>(DbxDamage::Text)},
      {"an info object past the end",
       [&](std::string& s) { DbxWriter::Put32(s, base.nodes.back() + 0x18, 0xFFFFFFF0u); }, 9,
       static_cast<unsigned>(DbxDamage::MessageInfo)},
      {"an index node that loops to the root",
       [&](std::string& s) { DbxWriter::Put32(s, base.nodes.back() + 0x18 + 4, base.nodes[0]); },
       10, static_cast<unsigned>(DbxDamage::Index)},
      {"a root past the end", [&](std::string& s) { DbxWriter::Put32(s, 0xE4, size); }, 0,
       static_cast<unsigned>(DbxDamage::Index)},
      {"a header count that disagrees", [&](std::string& s) { DbxWriter::Put32(s, 0xC4, 12); }, 10,
       0},
      {"a store cut short in its last index node", [&](std::string& s) { s.resize(size - 8); }, 9,
       static_cast<unsigned>(DbxDamage::Index)},
      {"a store cut inside its header", [&](std::string& s) { s.resize(0x100); }, 0,
       static_cast<unsigned>(DbxDamage::NotAStore)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = base.bytes;
    c.damage(bytes);
    const Read r = ReadAll(bytes);
    EXPECT_EQ(r.texts.size(), c.whole);
    EXPECT_EQ(r.summary.damage, c.bits);
    for (const std::string& t : r.texts) EXPECT_EQ(t.rfind("From: Ann", 0), 0u);
  }
}

TEST(ReadFolderNames, GivesEachStoreTheNameItsFolderShows) {
  const std::string folders = DbxWriter::Folders({{"Posteingang", "Inbox.dbx"}});
  const std::string messages = DbxWriter::Messages(SampleMessages(2)).bytes;
  MemoryReader reader(folders), other(messages);
  StoreFile file(reader, folders.size()), notFolders(other, messages.size());
  const auto names = ReadFolderNames(file);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].name + "|" + names[0].file, "Posteingang|Inbox.dbx");
  EXPECT_TRUE(ReadFolderNames(notFolders).empty());
}

TEST(FileTimeStamp, GivesTheCivilMinute) {
  EXPECT_EQ(FileTimeStamp(0), "");
  EXPECT_EQ(FileTimeStamp(116444736000000000ull), "1970-01-01 00.00");
  // 2004-02-29 23:59:30 UTC.
  EXPECT_EQ(FileTimeStamp(127225727700000000ull), "2004-02-29 23.59");
}

}  // namespace
}  // namespace lark
