// Writes small Outlook Express stores from the published description of the format, for the
// tests and the bench: a header, the message index as a tree of several nodes, one
// message-info object per message and each message's text in a chain of 0x200-byte blocks.
// Debian's undbx reads what this writes (scripts/test.sh checks it), so that the writer and
// the program cannot share a wrong reading of the format.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace lark::testing {

struct DbxTestMessage {
  std::string text;                         // the message's bytes, CRLF lines
  std::string subject;                      // as the index holds it
  std::uint32_t flags = 0x81;               // downloaded and read
  std::uint64_t sent = 0x01D0000000000000;  // FILETIME
  std::string sender = "someone@example.org";
};

struct DbxLayout {
  std::string bytes;
  std::vector<std::vector<std::uint32_t>> blocks;  // each message's blocks, in order
  std::vector<std::uint32_t> nodes;                // the index's nodes, root first
};

class DbxWriter {
 public:
  static constexpr std::uint32_t kHeaderSize = 0x24BC;
  static constexpr std::uint32_t kFileInfoSize = 0x618;

  // entriesPerNode below 0x33 gives a deeper index for a few messages.
  static DbxLayout Messages(const std::vector<DbxTestMessage>& messages,
                            unsigned entriesPerNode = 0x33) {
    DbxWriter w(0x6F74FDC5);
    DbxLayout layout;
    std::vector<std::vector<Field>> infos;
    for (const DbxTestMessage& m : messages) {
      layout.blocks.emplace_back();
      const std::uint32_t first = m.text.empty() ? 0 : w.Blocks(m.text, &layout.blocks.back());
      infos.push_back({{0x00, true, static_cast<std::uint32_t>(infos.size() + 1), ""},
                       {0x01, true, m.flags & 0xFFFFFF, ""},
                       {0x02, false, 0, Le64(m.sent)},
                       {0x04, false, 0, Le32(first)},
                       {0x05, false, 0, m.subject + '\0'},
                       {0x08, false, 0, m.subject + '\0'},
                       {0x0E, false, 0, m.sender + '\0'},
                       {0x12, false, 0, Le64(m.sent)}});
    }
    w.Index(infos, entriesPerNode, &layout.nodes);
    layout.bytes = std::move(w.out_);
    return layout;
  }

  // Folders.dbx naming each store's folder: pairs of (name, file name).
  static std::string Folders(const std::vector<std::pair<std::string, std::string>>& folders) {
    DbxWriter w(0x6F74FDC6);
    std::vector<std::vector<Field>> infos;
    for (const auto& f : folders)
      infos.push_back({{0x00, true, static_cast<std::uint32_t>(infos.size() + 1), ""},
                       {0x01, true, 0, ""},
                       {0x02, false, 0, f.first + '\0'},
                       {0x03, false, 0, f.second + '\0'}});
    std::vector<std::uint32_t> nodes;
    w.Index(infos, 0x33, &nodes);
    return w.out_;
  }

  static void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
  }

 private:
  struct Field {
    unsigned id;
    bool direct;
    std::uint32_t value;
    std::string data;
  };

  explicit DbxWriter(std::uint32_t kind) : out_(kHeaderSize + kFileInfoSize, '\0') {
    Put32(out_, 0, 0xFE12ADCF);
    Put32(out_, 4, kind);
    const char klass[] = "\x66\xE3\xD1\x11\x9A\x4E\x00\xC0\x4F\xA3\x09\xD4\x05\x00\x00\x00\x05\x00";
    out_.replace(8, 18, klass, 18);
    Put32(out_, 0x1C, kFileInfoSize);
    Put32(out_, 0x24, 0);
    Put32(out_, kHeaderSize, 1);
    out_[kHeaderSize + 4] = 3;  // a local folder
  }

  static std::string Le32(std::uint32_t v) {
    std::string s(4, '\0');
    Put32(s, 0, v);
    return s;
  }
  static std::string Le64(std::uint64_t v) {
    return Le32(static_cast<std::uint32_t>(v)) + Le32(static_cast<std::uint32_t>(v >> 32));
  }

  std::uint32_t Here() const { return static_cast<std::uint32_t>(out_.size()); }

  std::uint32_t Blocks(const std::string& text, std::vector<std::uint32_t>* chain) {
    const std::uint32_t first = Here();
    for (std::size_t at = 0; at < text.size(); at += 0x200) {
      const std::uint32_t offset = Here();
      const std::size_t used = std::min<std::size_t>(0x200, text.size() - at);
      std::string block(0x210, '\0');
      Put32(block, 0, offset);
      Put32(block, 4, 0x200);
      Put32(block, 8, static_cast<std::uint32_t>(used));
      Put32(block, 12, at + 0x200 < text.size() ? offset + 0x210 : 0);
      block.replace(16, used, text, at, used);
      out_ += block;
      chain->push_back(offset);
    }
    return first;
  }

  std::uint32_t Info(const std::vector<Field>& fields) {
    std::string table, data;
    for (const Field& f : fields) {
      const std::uint32_t v = f.direct ? f.value : static_cast<std::uint32_t>(data.size());
      table += static_cast<char>(f.id | (f.direct ? 0x80 : 0));
      table += static_cast<char>(v), table += static_cast<char>(v >> 8);
      table += static_cast<char>(v >> 16);
      data += f.data;
    }
    std::string body = table + data;
    while (body.size() % 4) body += '\0';
    const std::uint32_t offset = Here();
    std::string head(12, '\0');
    Put32(head, 0, offset);
    Put32(head, 4, static_cast<std::uint32_t>(body.size()));
    head[8] = static_cast<char>(12 + body.size());
    head[9] = static_cast<char>((12 + body.size()) >> 8);
    head[10] = static_cast<char>(fields.size());
    head[11] = 1;
    out_ += head + body;
    return offset;
  }

  // A B-tree over values[0..n): a node's child holds the values before its first entry, each
  // entry's child those between it and the next. Answers the node and the values under it.
  std::pair<std::uint32_t, std::uint32_t> Tree(const std::uint32_t* values, std::size_t n,
                                               std::uint32_t parent, unsigned id, unsigned per,
                                               std::vector<std::uint32_t>* nodes) {
    const std::uint32_t offset = Here();
    out_.append(0x27C, '\0');
    nodes->push_back(offset);
    std::string node(0x27C, '\0');
    Put32(node, 0, offset);
    Put32(node, 12, parent);
    node[0x10] = static_cast<char>(id);
    if (n <= per) {
      node[0x11] = static_cast<char>(n);
      for (std::size_t i = 0; i < n; ++i) Put32(node, 0x18 + 12 * i, values[i]);
    } else {
      // `per` entries, the rest spread evenly over the per + 1 children.
      const std::size_t rest = n - per, share = rest / (per + 1), extra = rest % (per + 1);
      std::size_t at = 0;
      node[0x11] = static_cast<char>(per);
      for (unsigned c = 0; c <= per; ++c) {
        const std::size_t take = share + (c < extra ? 1 : 0);
        std::uint32_t child = 0, under = 0;
        if (take) std::tie(child, under) = Tree(values + at, take, offset, c, per, nodes);
        at += take;
        if (c == 0) {
          Put32(node, 8, child);
          Put32(node, 0x14, under);
        } else {
          Put32(node, 0x18 + 12 * (c - 1) + 4, child);
          Put32(node, 0x18 + 12 * (c - 1) + 8, under);
        }
        if (c < per) Put32(node, 0x18 + 12 * c, values[at++]);
      }
    }
    out_.replace(offset, 0x27C, node);
    return {offset, static_cast<std::uint32_t>(n)};
  }

  // The info objects, the tree over them and the header's count, root and used length.
  void Index(const std::vector<std::vector<Field>>& infos, unsigned per,
             std::vector<std::uint32_t>* nodes) {
    std::vector<std::uint32_t> values;
    for (const auto& fields : infos) values.push_back(Info(fields));
    const std::uint32_t root =
        values.empty() ? 0 : Tree(values.data(), values.size(), 0, 0, per, nodes).first;
    Put32(out_, 0x7C, Here());
    Put32(out_, 0xC4, static_cast<std::uint32_t>(values.size()));
    Put32(out_, 0xE4, root);
  }

  std::string out_;
};

}  // namespace lark::testing
