// The export's pure parts: the store reader against stores of the test writer, whole and
// damaged; file names from hostile subjects, dates from Date headers, and the quoting of mbox
// lines across the blocks a message arrives in.
#include <gtest/gtest.h>

#include <cstring>

#include "common/dbx_writer.h"
#include "export/dbx_reader.h"
#include "export/mail_export.h"

namespace lark {
namespace {

struct MemoryReader : IFileReader {
  explicit MemoryReader(const std::string& b) : bytes_(b) {}
  bool Read(char* buffer, std::size_t capacity, std::size_t* got) override {
    *got = std::min(capacity, bytes_.size() - std::min(at_, bytes_.size()));
    std::memcpy(buffer, bytes_.data() + at_, *got);
    return at_ += *got, true;
  }
  bool Seek(std::uint64_t offset) override { return at_ = offset, true; }
  const std::string& bytes_;
  std::size_t at_ = 0;
};

// The texts read whole, each after its subject, and the store's summary.
std::vector<std::string> ReadAll(const std::string& bytes, DbxSummary* summary) {
  MemoryReader reader(bytes);
  StoreFile file(reader, bytes.size());
  DbxReader dbx(file);
  std::vector<std::string> texts;
  if (dbx.Open())
    dbx.ForEachMessage([&](const DbxMessageInfo& m) {
      std::string text;
      std::uint64_t length = 0;
      const bool measured = dbx.MeasureText(m, &length);
      if (dbx.CopyText(m, [&](const char* d, std::size_t n) { return text.append(d, n), true; })) {
        EXPECT_TRUE(measured && length == text.size());
        texts.push_back(m.subject + "|" + text);
      }
      return true;
    });
  *summary = dbx.Summary();
  return texts;
}

TEST(DbxReader, ReadsEveryMessageOfWholeStoresInOrder) {
  for (const auto& [count, perNode] : {std::pair{0, 0x33}, {1, 0x33}, {10, 3}, {500, 0x33}}) {
    const auto messages = testing::SampleMessages(count, true);
    DbxSummary s;
    const auto texts = ReadAll(testing::DbxWriter::Messages(messages, perNode).bytes, &s);
    EXPECT_EQ(s.damage, 0u);
    EXPECT_EQ(s.headerCount, count);
    EXPECT_EQ(s.reached, count);
    ASSERT_EQ(texts.size(), messages.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
      EXPECT_EQ(texts[i], messages[i].subject + "|" + messages[i].text) << i;
  }
}

TEST(DbxReader, DamageEndsOnlyWhatItReachesAndIsNamed) {
  const testing::DbxLayout base = testing::DbxWriter::Messages(testing::SampleMessages(10), 3);
  const std::uint32_t size = static_cast<std::uint32_t>(base.bytes.size());
  const std::uint32_t next3 = base.blocks[3].back() + 12, leaf = base.nodes.back();
  const struct {
    std::size_t at, value, whole;  // the dword written (at 0: the store cut short), read whole
    DbxDamage damage;
  } cases[] = {
      {next3, base.blocks[3][0], 9, DbxDamage::Text},         // a chain that loops to its start
      {next3, size + 64, 9, DbxDamage::Text},                 // a block past the end
      {leaf + 0x18, 0xFFFFFFF0u, 9, DbxDamage::MessageInfo},  // an info object past the end
      {leaf + 0x1C, base.nodes[0], 10, DbxDamage::Index},  // an index node that loops to the root
      {0xE4, size, 0, DbxDamage::Index},                   // a root past the end
      {0xC4, 12, 10, DbxDamage{}},                         // a header count that disagrees
      {0, size - 8, 9, DbxDamage::Index},                  // cut short in its last index node
      {0, 0x100, 0, DbxDamage::NotAStore},                 // cut inside its header
  };
  for (const auto& c : cases) {
    std::string bytes = base.bytes;
    c.at ? testing::Put32(bytes, c.at, c.value) : bytes.resize(c.value);
    DbxSummary s;
    const auto texts = ReadAll(bytes, &s);
    EXPECT_EQ(texts.size(), c.whole) << &c - cases;
    EXPECT_EQ(s.damage, static_cast<unsigned>(c.damage)) << &c - cases;
    for (const std::string& t : texts) EXPECT_NE(t.find("|From: Ann"), std::string::npos);
  }
}

TEST(FileTimeStamp, GivesTheCivilMinute) {
  EXPECT_EQ(FileTimeStamp(0), "");
  EXPECT_EQ(FileTimeStamp(116444736000000000ull), "1970-01-01 00.00");
  EXPECT_EQ(FileTimeStamp(127225727700000000ull), "2004-02-29 23.59");  // 23:59:30 UTC
}

TEST(MessageFileName, EverySubjectGivesOnePlainNameInsideTheFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "(no subject)"},
      {"CON", "CON_"},
      {"a:b*c?d\"e<f>g|h/i", "a_b_c_d_e_f_g_h_i"},
      {"Re: Folded\r\n\tsubject", "Re_ Folded___subject"},
      {"ends in dots...", "ends in dots___"},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageFileName("", c.first, 120), c.second);
  EXPECT_EQ(MessageFileName("2004-06-01 09.05", std::string(300, 'x'), 120).size(), 120u);
}

TEST(DateHeaderStamp, ReadsTheSendersClockOrNothing) {
  const std::pair<const char*, const char*> cases[] = {
      {"From: a\r\nDate: Tue, 1 Jun 2004 09:05:00 +0200\r\n\r\nbody", "2004-06-01 09.05"},
      {"date:   3 Feb 99 23:59 GMT\r\n\r\n", "1999-02-03 23.59"},
      {"Subject: x\r\n\r\nDate: Tue, 1 Jun 2004 09:05:00 +0200\r\n", ""},  // in the body
      {"Date: Tue, 41 Jun 2004 09:05:00\r\n", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DateHeaderStamp(c.first), c.second) << c.first;
}

TEST(MboxQuoter, QuotesFromLinesWhereverTheBlocksBreak) {
  const std::string in =
      "From: a\r\n\r\nFrom here\r\n>From there\r\n>>From far\r\nFro\r\n>Fr\r\n"
      "Not From x\r\nFrom";
  const std::string want =
      "From: a\r\n\r\n>From here\r\n>>From there\r\n>>>From far\r\nFro\r\n>Fr\r\n"
      "Not From x\r\nFrom";
  for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, in.size()}) {
    MboxQuoter q;
    std::string out;
    for (std::size_t at = 0; at < in.size(); at += piece)
      q.Feed(in.data() + at, std::min(piece, in.size() - at), &out);
    q.Finish(&out);
    EXPECT_EQ(out, want) << piece;
  }
}

}  // namespace
}  // namespace lark
