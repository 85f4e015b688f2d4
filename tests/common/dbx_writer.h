// Writes small Outlook Express stores from the published description of the format, for the
// tests and the bench, and sample messages to fill them: a header, the message index as a chain of
// nodes, one message-info object per message and each message's text in a chain of 0x200-byte
// blocks. Debian's undbx reads what this writes (scripts/test.sh checks it), so that the writer and
// the program cannot share a wrong reading of the format.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lark::testing {

inline std::string Le32(std::uint64_t v) {
  return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}
inline void Put32(std::string& s, std::size_t at, std::uint64_t v) { s.replace(at, 4, Le32(v)); }

constexpr std::uint32_t kDbxMessages = 0x6F74FDC5, kDbxFolders = 0x6F74FDC6;
// A store's fixed header: its kind, the bytes it uses, the messages it counts and the offset
// of its index's root (0: no index).
inline std::string DbxHeader(std::uint32_t used, std::uint32_t count = 0, std::uint32_t root = 0,
                             std::uint32_t kind = kDbxMessages) {
  std::string h(0x24BC, '\0');
  h.replace(0, 8, Le32(0xFE12ADCF) + Le32(kind));
  h.replace(8, 18, "\x66\xE3\xD1\x11\x9A\x4E\x00\xC0\x4F\xA3\x09\xD4\x05\x00\x00\x00\x05", 18);
  Put32(h, 0x1C, 0x618);  // the file info's length
  Put32(h, 0x7C, used);
  Put32(h, 0xC4, count);
  Put32(h, 0xE4, root);
  return h;
}

struct DbxTestMessage {
  std::string text;                         // the message's bytes, CRLF lines
  std::string subject;                      // as the index holds it
  std::uint32_t flags = 0x81;               // downloaded and read
  std::uint64_t sent = 0x01D0000000000000;  // FILETIME
};

struct DbxLayout {
  std::string bytes;
  std::vector<std::vector<std::uint32_t>> blocks;  // each message's blocks, in order
  std::vector<std::uint32_t> nodes;                // the index's nodes, root first
};

class DbxWriter {
 public:
  // entriesPerNode below 0x33 gives a deeper index for a few messages.
  static DbxLayout Messages(const std::vector<DbxTestMessage>& messages,
                            unsigned entriesPerNode = 0x33) {
    DbxWriter w(kDbxMessages);
    std::vector<std::string> infos;
    for (const DbxTestMessage& m : messages) {
      w.layout_.blocks.emplace_back();
      const std::string sent = Le32(m.sent) + Le32(m.sent >> 32);
      infos.push_back(Info({{0x80, Le32(infos.size() + 1)},
                            {0x81, Le32(m.flags)},
                            {0x02, sent},
                            {0x04, Le32(m.text.empty() ? 0 : w.Blocks(m.text))},
                            {0x08, m.subject + '\0'},
                            {0x12, sent}}));
    }
    w.Index(infos, entriesPerNode);
    return std::move(w.layout_);
  }

  // Folders.dbx naming each store's folder: pairs of (name, file name).
  static std::string Folders(const std::vector<std::pair<std::string, std::string>>& folders) {
    DbxWriter w(kDbxFolders);
    std::vector<std::string> infos;
    for (const auto& f : folders)
      infos.push_back(
          Info({{0x80, Le32(infos.size() + 1)}, {0x02, f.first + '\0'}, {0x03, f.second + '\0'}}));
    w.Index(infos, 0x33);
    return std::move(w.layout_.bytes);
  }

 private:
  // A field of a message-info object: ids with 0x80 hold their value in the table itself.
  using Field = std::pair<unsigned, std::string>;

  explicit DbxWriter(std::uint32_t kind) : out_(layout_.bytes) {
    out_ =
        DbxHeader(0, 0, 0, kind) + std::string("\1\0\0\0\3", 5);  // the file info: a local folder
    out_.resize(0x24BC + 0x618);
  }

  std::uint32_t Here() const { return static_cast<std::uint32_t>(out_.size()); }

  std::uint32_t Blocks(const std::string& text) {
    const std::uint32_t first = Here();
    for (std::size_t at = 0; at < text.size(); at += 0x200) {
      const std::size_t used = std::min<std::size_t>(0x200, text.size() - at);
      layout_.blocks.back().push_back(Here());
      const std::uint32_t next = at + 0x200 < text.size() ? Here() + 0x210 : 0;
      out_ += Le32(Here()) + Le32(0x200) + Le32(used) + Le32(next) + text.substr(at, used);
      out_.append(0x200 - used, '\0');
    }
    return first;
  }

  // The object without its first four bytes, which hold its own offset once it has one.
  static std::string Info(const std::vector<Field>& fields) {
    std::string table, data;
    for (const Field& f : fields) {
      table +=
          static_cast<char>(f.first) + (f.first & 0x80 ? f.second : Le32(data.size())).substr(0, 3);
      if (!(f.first & 0x80)) data += f.second;
    }
    std::string body = table + data;
    body.append((4 - body.size() % 4) % 4, '\0');
    return Le32(body.size()) + Le32(12 + body.size()).substr(0, 2) +
           static_cast<char>(fields.size()) + '\1' + body;
  }

  // A B-tree over values[0..n): at most `per` entries a node, the rest spread evenly over
  // the children before and after each entry.
  std::uint32_t Tree(const std::uint32_t* values, std::size_t n, std::uint32_t parent,
                     unsigned per) {
    const std::uint32_t at = Here();
    const std::size_t own = std::min<std::size_t>(n, per), rest = n - own;
    out_.append(0x27C, '\0');
    layout_.nodes.push_back(at);
    out_.replace(at, 16, Le32(at) + Le32(0) + Le32(0) + Le32(parent));
    out_[at + 0x11] = static_cast<char>(own);
    for (std::size_t c = 0, next = 0; c <= own; ++c) {
      const std::size_t take = rest / (own + 1) + (c < rest % (own + 1) ? 1 : 0);
      const std::size_t child = c == 0 ? 8 : 0x18 + 12 * c - 8;  // its count follows it
      if (take) Put32(out_, at + child, Tree(values + next, take, at, per));
      Put32(out_, at + child + (c == 0 ? 12 : 4), take);
      next += take;
      if (c < own) Put32(out_, at + 0x18 + 12 * c, values[next++]);
    }
    return at;
  }

  // The info objects, the tree over them and the header's count, root and used length.
  void Index(const std::vector<std::string>& infos, unsigned per) {
    std::vector<std::uint32_t> values;
    for (const std::string& info : infos) values.push_back(Here()), out_ += Le32(Here()) + info;
    const std::uint32_t root = values.empty() ? 0 : Tree(values.data(), values.size(), 0, per);
    Put32(out_, 0x7C, Here());
    Put32(out_, 0xC4, values.size());
    Put32(out_, 0xE4, root);
  }

  DbxLayout layout_;
  std::string& out_;
};

// Plain RFC 822 text with CRLF lines and body lines that an mbox must quote; with large,
// every 50th over 64 KB and the eighth over 1 MB.
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
    std::size_t size = large && i == 7 ? (1 << 20) + 4321 : 600 + (i * 37) % 3000;
    if (large && i % 50 == 49) size = 70000 + i;
    while (m.text.size() < size) m.text += "line " + std::to_string(i) + " of the body.\r\n";
    m.flags = i % 3 == 0 ? 0x01 : 0x81;  // every third unread
    m.sent = 0x01C44F0000000000ull + i * 600000000ull;
  }
  return out;
}

}  // namespace lark::testing
