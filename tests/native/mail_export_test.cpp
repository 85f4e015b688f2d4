// The export's pure parts: file names from hostile subjects, dates from Date headers, and the
// quoting of mbox lines across the blocks a message arrives in.
#include "export/mail_export.h"

#include <gtest/gtest.h>

namespace lark {
namespace {

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
