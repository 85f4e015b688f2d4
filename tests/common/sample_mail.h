// Messages for the tests and the bench: plain RFC 822 text with CRLF lines, some with body
// lines that an mbox must quote, some larger than 64 KB and, in a set of 500, one over 1 MB.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/dbx_writer.h"

namespace lark::testing {

inline DbxTestMessage SampleMessage(std::size_t i, std::size_t bodyBytes) {
  DbxTestMessage m;
  m.subject = "Message " + std::to_string(i + 1);
  const unsigned day = 1 + static_cast<unsigned>(i % 28);
  const std::string date = "Tue, " + std::to_string(day) +
                           " Jun 2004 09:" + (i % 60 < 10 ? "0" : "") + std::to_string(i % 60) +
                           ":00 +0200";
  m.text = "From: Ann <ann@example.org>\r\nTo: bob@example.org\r\nSubject: " + m.subject +
           "\r\nDate: " + date + "\r\nMessage-ID: <" + std::to_string(i) +
           "@example.org>\r\n\r\nHello,\r\nFrom the start of a line.\r\n>From quoted once.\r\n";
  std::string line = "line " + std::to_string(i) + " of the body, to fill it out.\r\n";
  while (m.text.size() < bodyBytes) m.text += line;
  m.text += "Bye.\r\n";
  m.flags = i % 3 == 0 ? 0x01 : 0x81;  // every third unread
  m.sent = 0x01C44F0000000000ull + i * 600000000ull;
  return m;
}

// n messages; with large, every 50th is over 64 KB and the eighth over 1 MB.
inline std::vector<DbxTestMessage> SampleMessages(std::size_t n, bool large = false) {
  std::vector<DbxTestMessage> out;
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t size = 600 + (i * 37) % 3000;
    if (large && i % 50 == 49) size = 70000 + i;
    if (large && i == 7) size = (1 << 20) + 4321;
    out.push_back(SampleMessage(i, size));
  }
  return out;
}

}  // namespace lark::testing
