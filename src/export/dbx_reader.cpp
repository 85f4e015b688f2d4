#include "export/dbx_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>

namespace lark {

namespace {

constexpr std::uint32_t kMagic = 0xFE12ADCF;
constexpr std::uint32_t kMessageStore = 0x6F74FDC5;
constexpr std::uint32_t kFolderStore = 0x6F74FDC6;
constexpr std::uint64_t kHeaderSize = 0x24BC;
constexpr std::uint64_t kCountAt = 0xC4;
constexpr std::uint64_t kRootAt = 0xE4;
constexpr std::size_t kNodeSize = 0x27C;
constexpr std::size_t kNodeHeader = 0x18;
constexpr std::size_t kNodeEntry = 12;
constexpr unsigned kMaxNodeEntries = 0x33;
// Far more than the few dozen fields an index entry has; a larger one is not an entry.
constexpr std::uint32_t kMaxInfoBody = 0x10000;
constexpr std::uint32_t kMaxBlockBody = 0x10000;

std::uint32_t Le32(const unsigned char* b) {
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

// An indexed-info object: a table of (field, value) entries, each value either held in the
// entry itself or an offset into the data that follows the table.
class IndexedInfo {
 public:
  bool Read(StoreFile& file, std::uint32_t offset) {
    unsigned char head[12];
    if (offset < kHeaderSize || !file.ReadAt(offset, head, sizeof head)) return false;
    const std::uint32_t bodyLength = Le32(head + 4);
    count_ = head[10];
    if (Le32(head) != offset || bodyLength > kMaxInfoBody || count_ * 4u > bodyLength) return false;
    body_.resize(bodyLength);
    return file.ReadAt(offset + 12ull, body_.data(), bodyLength);
  }
  // The entry of a field: its value when held directly, else its data's offset in body_.
  bool Find(unsigned id, bool* direct, std::uint32_t* value) const {
    for (unsigned i = 0; i < count_; ++i) {
      const unsigned char* e = body_.data() + 4 * i;
      if ((e[0] & 0x7F) != id) continue;
      *direct = (e[0] & 0x80) != 0;
      *value = e[1] | (e[2] << 8) | (e[3] << 16);
      if (!*direct) *value += 4 * count_;
      return *direct || *value < body_.size();
    }
    return false;
  }
  std::uint32_t Int(unsigned id) const {
    bool direct = false;
    std::uint32_t v = 0;
    if (!Find(id, &direct, &v)) return 0;
    if (direct) return v;
    return v + 4 <= body_.size() ? Le32(body_.data() + v) : 0;
  }
  std::uint64_t Time(unsigned id) const {
    bool direct = false;
    std::uint32_t v = 0;
    if (!Find(id, &direct, &v) || direct || v + 8 > body_.size()) return 0;
    return Le32(body_.data() + v) | (static_cast<std::uint64_t>(Le32(body_.data() + v + 4)) << 32);
  }
  std::string Text(unsigned id) const {
    bool direct = false;
    std::uint32_t v = 0;
    if (!Find(id, &direct, &v) || direct) return std::string();
    const char* start = reinterpret_cast<const char*>(body_.data()) + v;
    const void* end = std::memchr(start, 0, body_.size() - v);
    return std::string(start, end ? static_cast<const char*>(end) : start + (body_.size() - v));
  }

 private:
  std::vector<unsigned char> body_;
  unsigned count_ = 0;
};

// Walks an index tree depth first in its own order: a node's child before its first entry,
// each entry's value before the entry's child. A node is read once: one reached again, outside
// the file, not holding its own offset or deeper than any real index makes the branch damaged.
// Memory: one node per level and the set of nodes seen, a node per 51 messages.
bool WalkTree(StoreFile& file, std::uint32_t root, unsigned* damage,
              const std::function<bool(std::uint32_t)>& value) {
  struct Frame {
    unsigned char node[kNodeSize];
    int next = -1;  // -1: the node's own child is still to be walked
  };
  std::vector<Frame> stack;
  stack.reserve(DbxReader::kMaxDepth);
  std::unordered_set<std::uint32_t> seen;
  auto push = [&](std::uint32_t offset) {
    if (stack.size() >= DbxReader::kMaxDepth || !seen.insert(offset).second ||
        offset < kHeaderSize) {
      *damage |= static_cast<unsigned>(DbxDamage::Index);
      return;
    }
    stack.emplace_back();
    Frame& f = stack.back();
    if (!file.ReadAt(offset, f.node, kNodeSize) || Le32(f.node) != offset ||
        f.node[0x11] > kMaxNodeEntries) {
      stack.pop_back();
      *damage |= static_cast<unsigned>(DbxDamage::Index);
    }
  };
  if (root != 0) push(root);
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next < 0) {
      f.next = 0;
      if (const std::uint32_t child = Le32(f.node + 8)) push(child);
      continue;
    }
    if (f.next >= f.node[0x11]) {
      stack.pop_back();
      continue;
    }
    const unsigned char* e = f.node + kNodeHeader + kNodeEntry * f.next++;
    const std::uint32_t child = Le32(e + 4);
    if (!value(Le32(e))) return false;
    if (child) push(child);
  }
  return true;
}

}  // namespace

StoreFile::StoreFile(IFileReader& reader, std::uint64_t size) : reader_(reader), size_(size) {}

bool StoreFile::ReadAt(std::uint64_t offset, void* out, std::size_t n) {
  if (offset > size_ || n > size_ - offset) return false;
  if (offset >= windowStart_ && offset + n <= windowStart_ + windowSize_) {
    std::memcpy(out, window_.data() + (offset - windowStart_), n);
    return true;
  }
  char* to = static_cast<char*>(out);
  if (n > kWindow / 2) {
    // Large reads go straight through; the window stays as it was.
    if (!reader_.Seek(offset)) return false;
    std::size_t have = 0;
    while (have < n) {
      std::size_t got = 0;
      if (!reader_.Read(to + have, n - have, &got) || got == 0) return false;
      have += got;
    }
    return true;
  }
  window_.resize(kWindow);
  windowStart_ = offset & ~static_cast<std::uint64_t>(0xFFF);
  windowSize_ = 0;
  const std::size_t want =
      static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, size_ - windowStart_));
  if (!reader_.Seek(windowStart_)) return false;
  while (windowSize_ < want) {
    std::size_t got = 0;
    if (!reader_.Read(window_.data() + windowSize_, want - windowSize_, &got)) break;
    if (got == 0) break;
    windowSize_ += got;
  }
  if (offset + n > windowStart_ + windowSize_) return false;
  std::memcpy(to, window_.data() + (offset - windowStart_), n);
  return true;
}

bool StoreFile::Dword(std::uint64_t offset, std::uint32_t* value) {
  unsigned char b[4];
  if (!ReadAt(offset, b, 4)) return false;
  *value = Le32(b);
  return true;
}

bool DbxReader::Open() {
  std::uint32_t magic = 0, kind = 0;
  if (file_.Size() < kHeaderSize || !file_.Dword(0, &magic) || !file_.Dword(4, &kind) ||
      magic != kMagic || kind != kMessageStore || !file_.Dword(kCountAt, &summary_.headerCount) ||
      !file_.Dword(kRootAt, &root_)) {
    summary_.damage |= static_cast<unsigned>(DbxDamage::NotAStore);
    return false;
  }
  return true;
}

bool DbxReader::ReadInfo(std::uint32_t offset, DbxMessageInfo* m) {
  IndexedInfo info;
  if (!info.Read(file_, offset)) return false;
  m->offset = offset;
  m->flags = info.Int(0x01);
  m->sent = info.Time(0x02);
  m->text = info.Int(0x04);
  m->subject = info.Text(0x08);
  m->senderAddress = info.Text(0x0E);
  m->received = info.Time(0x12);
  return true;
}

void DbxReader::ForEachMessage(const std::function<bool(const DbxMessageInfo&)>& visit) {
  WalkTree(file_, root_, &summary_.damage, [&](std::uint32_t offset) {
    DbxMessageInfo m;
    if (!ReadInfo(offset, &m)) {
      ++summary_.badInfo;
      summary_.damage |= static_cast<unsigned>(DbxDamage::MessageInfo);
      return true;
    }
    ++summary_.reached;
    return visit(m);
  });
}

bool DbxReader::Walk(std::uint32_t offset,
                     const std::function<bool(const char*, std::size_t)>* sink,
                     std::uint64_t* length, std::string* head, std::size_t headLimit) {
  std::uint64_t total = 0;
  // Brent's cycle finding: a loop of any length and place is found within twice its reach,
  // with nothing remembered but one block.
  std::uint32_t mark = offset;
  std::uint64_t power = 1, steps = 0;
  char data[kMaxBlockBody];
  auto damaged = [&](DbxDamage d) {
    summary_.damage |= static_cast<unsigned>(d);
    return false;
  };
  while (offset != 0) {
    unsigned char block[16];
    if (offset < kHeaderSize || !file_.ReadAt(offset, block, sizeof block))
      return damaged(DbxDamage::Text);
    const std::uint32_t bodySize = Le32(block + 4), used = Le32(block + 8);
    const std::uint32_t next = Le32(block + 12);
    if (Le32(block) != offset || bodySize > kMaxBlockBody || used > bodySize)
      return damaged(DbxDamage::Text);
    total += used;
    if (total > kMaxMessage) return damaged(DbxDamage::Text);
    const bool wantHead = head && head->size() < headLimit;
    if (used > 0 && (sink || wantHead)) {
      if (!file_.ReadAt(offset + 16ull, data, used)) return damaged(DbxDamage::Text);
      if (wantHead) head->append(data, std::min<std::size_t>(used, headLimit - head->size()));
      if (sink && !(*sink)(data, used)) return false;
    } else if (offset + 16ull + used > file_.Size()) {
      return damaged(DbxDamage::Text);
    }
    if (next == mark) return damaged(DbxDamage::Text);
    if (++steps == power) {
      mark = next;
      power *= 2;
      steps = 0;
    }
    offset = next;
  }
  if (length) *length = total;
  return true;
}

bool DbxReader::MeasureText(const DbxMessageInfo& m, std::uint64_t* length, std::string* head,
                            std::size_t headLimit) {
  if (head) head->clear();
  return Walk(m.text, nullptr, length, head, headLimit);
}

bool DbxReader::CopyText(const DbxMessageInfo& m,
                         const std::function<bool(const char*, std::size_t)>& sink) {
  return Walk(m.text, &sink, nullptr, nullptr, 0);
}

std::vector<DbxFolderName> ReadFolderNames(StoreFile& file) {
  std::vector<DbxFolderName> names;
  std::uint32_t magic = 0, kind = 0, root = 0;
  if (file.Size() < kHeaderSize || !file.Dword(0, &magic) || !file.Dword(4, &kind) ||
      magic != kMagic || kind != kFolderStore || !file.Dword(kRootAt, &root))
    return names;
  unsigned damage = 0;
  WalkTree(file, root, &damage, [&](std::uint32_t offset) {
    IndexedInfo info;
    if (info.Read(file, offset)) {
      DbxFolderName n{info.Text(0x02), info.Text(0x03)};
      if (!n.name.empty() && !n.file.empty()) names.push_back(n);
    }
    // A store of a few hundred folders at most; one that claims more is not believed further.
    return names.size() < 100000;
  });
  return names;
}

CivilTime CivilFromFileTime(std::uint64_t fileTime) {
  CivilTime t;
  const std::uint64_t seconds = fileTime / 10000000ull;
  const std::uint64_t sinceDay = seconds % 86400;
  t.hour = static_cast<unsigned>(sinceDay / 3600);
  t.minute = static_cast<unsigned>(sinceDay % 3600 / 60);
  t.second = static_cast<unsigned>(sinceDay % 60);
  const std::int64_t days1601 = static_cast<std::int64_t>(seconds / 86400);
  t.weekday = static_cast<unsigned>((days1601 + 1) % 7);  // 1601-01-01 was a Monday
  // Days since 0000-03-01 of the proleptic Gregorian calendar, then by eras of 400 years.
  const std::int64_t days = days1601 - 134774 + 719468;
  const std::int64_t era = days / 146097;
  const unsigned doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  t.day = doy - (153 * mp + 2) / 5 + 1;
  t.month = mp < 10 ? mp + 3 : mp - 9;
  t.year = static_cast<long long>(yoe) + era * 400 + (t.month <= 2);
  return t;
}

std::string FileTimeStamp(std::uint64_t fileTime) {
  if (fileTime == 0) return std::string();
  const CivilTime t = CivilFromFileTime(fileTime);
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02u.%02u", t.year, t.month, t.day, t.hour,
                t.minute);
  return text;
}

}  // namespace lark
