// Messages for the tests and the bench: plain RFC 822 text with CRLF lines and body lines that
// an mbox must quote; with large, every 50th over 64 KB and the eighth over 1 MB.
#pragma once

#include <string>
#include <vector>

#include "common/dbx_writer.h"

namespace lark::testing {

inline std::vector<DbxTestMessage> SampleMessages(std::size_t n, bool large = false) {
  std::vector<DbxTestMessage> out(n);
  for (std::size_t i = 0; i < n; ++i) {
    DbxTestMessage& m = out[i];
    const std::string minute = std::to_string(100 + i % 60).substr(1);
    m.subject = "Message " + std::to_string(i + 1);
    m.text = "From: Ann <ann@example.org>\r\nTo: bob@example.org\r\nSubject: " + m.subject +
             "\r\nDate: Tue, " + std::to_string(1 + i % 28) + " Jun 2004 09:" + minute +
             ":00 +0200\r\nMessage-ID: <" + std::to_string(i) +
             "@example.org>\r\n\r\nHello,\r\nFrom the start of a line.\r\n>From quoted once.\r\n";
    std::size_t size = 600 + (i * 37) % 3000;
    if (large && i % 50 == 49) size = 70000 + i;
    if (large && i == 7) size = (1 << 20) + 4321;
    while (m.text.size() < size) m.text += "line " + std::to_string(i) + " of the body.\r\n";
    m.text += "Bye.\r\n";
    m.flags = i % 3 == 0 ? 0x01 : 0x81;  // every third unread
    m.sent = 0x01C44F0000000000ull + i * 600000000ull;
  }
  return out;
}

}  // namespace lark::testing
