#include "restore/identity_reg.h"

#include <cctype>
#include <memory>
#include <unordered_map>
#include <utility>

#include "fs/text.h"

namespace lark {

namespace {

constexpr std::size_t kBlock = 64 * 1024;
constexpr char kIdentitiesPrefix[] = "hkey_current_user\\identities\\";

// The lines of a registry file, read a block at a time: each as its bytes (line end
// included, so that it can be written out unchanged) and as text, one character per
// character of the file (a wide character beyond the single-byte range reads as "?").
class LineReader {
 public:
  // Longer than any line (or value over continued lines) an editor writes for these keys.
  static constexpr std::size_t kMaxLine = 16u << 20;

  explicit LineReader(std::unique_ptr<IFileReader> reader) : reader_(std::move(reader)) {}

  bool Next(std::string* raw, std::string* text) {
    if (!reader_ || failed_) return false;
    if (first_) {
      while (buf_.size() < 2 && Fill()) {
      }
      wide_ = buf_.size() >= 2 && buf_[0] == '\xFF' && buf_[1] == '\xFE';
    }
    const std::size_t step = wide_ ? 2 : 1;
    std::size_t end = std::string::npos;
    for (;;) {
      for (; scan_ + step <= buf_.size(); scan_ += step)
        if (buf_[scan_] == '\n' && (!wide_ || buf_[scan_ + 1] == '\0')) {
          end = scan_ + step;
          break;
        }
      if (end != std::string::npos) break;
      if (!Fill()) {
        if (failed_ || pos_ >= buf_.size()) return false;
        end = buf_.size();
        break;
      }
    }
    raw->assign(buf_, pos_, end - pos_);
    pos_ = scan_ = end;
    Decode(*raw, text);
    first_ = false;
    return true;
  }
  bool wide() const { return wide_; }
  bool failed() const { return failed_ || !reader_; }

 private:
  bool Fill() {
    if (eof_) return false;
    // What was handed out already goes, so memory stays at a block or two.
    if (pos_ > 0) {
      buf_.erase(0, pos_);
      scan_ -= pos_;
      pos_ = 0;
    }
    const std::size_t had = buf_.size();
    // A line that long is no editor's: the file is not read on, so memory stays bounded.
    if (had >= kMaxLine) {
      failed_ = true;
      return false;
    }
    buf_.resize(had + kBlock);
    std::size_t got = 0;
    if (!reader_->Read(&buf_[had], kBlock, &got)) {
      failed_ = true;
      got = 0;
    }
    buf_.resize(had + got);
    if (got == 0) eof_ = true;
    return got > 0;
  }
  void Decode(const std::string& raw, std::string* text) const {
    text->clear();
    std::size_t i = first_ && wide_ ? 2 : 0;
    if (wide_) {
      for (; i + 1 < raw.size(); i += 2) {
        unsigned u = static_cast<unsigned char>(raw[i]) | static_cast<unsigned char>(raw[i + 1])
                                                              << 8;
        text->push_back(u < 0x100 ? static_cast<char>(u) : '?');
      }
    } else {
      text->assign(raw, i, std::string::npos);
    }
    while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
  }

  std::unique_ptr<IFileReader> reader_;
  std::string buf_;
  std::size_t pos_ = 0, scan_ = 0;
  bool first_ = true, wide_ = false, eof_ = false, failed_ = false;
};

// A key line's path, "" for any other line. Exports of a branch named with a trailing
// separator double the separators of their key lines; one stands for all.
std::string KeyPath(const std::string& text) {
  if (text.empty() || text[0] != '[') return std::string();
  const std::size_t close = text.rfind(']');
  if (close == std::string::npos || close < 2) return std::string();
  std::string path;
  for (std::size_t i = 1; i < close; ++i)
    if (text[i] != '\\' || path.empty() || path.back() != '\\') path += text[i];
  return path;
}

// The identity a key path belongs to ("{GUID}"), and the rest of its path below it.
bool IdentityOf(const std::string& path, std::string* key, std::string* below) {
  const std::size_t n = sizeof(kIdentitiesPrefix) - 1;
  if (path.size() <= n || !StartsWithName(path, kIdentitiesPrefix)) return false;
  const std::size_t slash = path.find('\\', n);
  *key = path.substr(n, slash == std::string::npos ? std::string::npos : slash - n);
  *below = slash == std::string::npos ? std::string() : path.substr(slash + 1);
  return !key->empty();
}

// "Name"=... : the name with its escapes undone, and the data after the "=".
bool SplitValue(const std::string& text, std::string* name, std::string* data) {
  if (text.empty() || text[0] != '"') return false;
  name->clear();
  std::size_t i = 1;
  for (; i < text.size() && text[i] != '"'; ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    *name += text[i];
  }
  if (i + 1 >= text.size() || text[i + 1] != '=') return false;
  *data = text.substr(i + 2);
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The text a value holds: a quoted string, or a hex(1)/hex(2) byte list (UTF-16LE in a
// wide file), without its terminating NUL.
bool ValueText(const std::string& data, bool wide, std::string* out) {
  out->clear();
  if (!data.empty() && data[0] == '"') {
    for (std::size_t i = 1; i < data.size() && data[i] != '"'; ++i) {
      if (data[i] == '\\' && i + 1 < data.size()) ++i;
      *out += data[i];
    }
    return true;
  }
  const std::size_t colon = data.find(':');
  const std::string kind = data.substr(0, colon);
  if (colon == std::string::npos || (!SameName(kind, "hex(2)") && !SameName(kind, "hex(1)")))
    return false;
  std::string bytes;
  int hi = -1;
  for (std::size_t i = colon + 1; i < data.size(); ++i) {
    const int d = HexDigit(data[i]);
    if (d < 0) continue;
    if (hi < 0) {
      hi = d;
    } else {
      bytes += static_cast<char>(hi << 4 | d);
      hi = -1;
    }
  }
  if (wide) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      unsigned u = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1])
                                                              << 8;
      out->push_back(u < 0x100 ? static_cast<char>(u) : '?');
    }
  } else {
    *out = bytes;
  }
  *out = out->substr(0, out->find('\0'));
  return true;
}

// `text` as the file writes it: one byte a character, or two in a wide file.
std::string Encoded(const std::string& text, bool wide) {
  if (!wide) return text;
  std::string out;
  for (char c : text) {
    out += c;
    out += '\0';
  }
  return out;
}

// Replaces every `from` in the line's bytes by `to`, letter case ignored.
std::string ReplacedIn(const std::string& raw, const std::string& from, const std::string& to) {
  if (from.empty()) return raw;
  const std::string foldedRaw = FoldedName(raw), foldedFrom = FoldedName(from);
  std::string out;
  std::size_t at = 0;
  for (std::size_t hit; (hit = foldedRaw.find(foldedFrom, at)) != std::string::npos;
       at = hit + from.size())
    out += raw.substr(at, hit - at) + to;
  return out + raw.substr(at);
}

}  // namespace

bool ReadRegIdentities(IFileStreams& streams, const std::string& path,
                       std::vector<RegIdentity>* identities) {
  identities->clear();
  LineReader lines(streams.OpenRead(path));
  std::string raw, text, key, below, pending;
  RegIdentity* current = nullptr;
  // By folded key: a file may hold any number of identities.
  std::unordered_map<std::string, std::size_t> index;
  const std::string mailClient = "software\\microsoft\\outlook express\\5.0";
  bool inIdentityKey = false, inMailClientKey = false;
  auto take = [&](const std::string& line) {
    std::string name, data, value;
    if (!current || !SplitValue(line, &name, &data)) return;
    if (inIdentityKey && SameName(name, "username") && ValueText(data, lines.wide(), &value))
      current->name = value;
    if (inMailClientKey && SameName(name, "store root") && ValueText(data, lines.wide(), &value)) {
      current->storeRoot = value;
      current->hasStoreRoot = true;
    }
  };
  while (lines.Next(&raw, &text)) {
    // A value's byte list goes on over lines that end in a backslash.
    if (!pending.empty()) {
      std::size_t first = text.find_first_not_of(" \t");
      pending += first == std::string::npos ? std::string() : text.substr(first);
      if (pending.size() >= LineReader::kMaxLine) return false;
      if (!pending.empty() && pending.back() == '\\') {
        pending.pop_back();
        continue;
      }
      take(pending);
      pending.clear();
      continue;
    }
    const std::string keyPath = KeyPath(text);
    if (!keyPath.empty()) {
      current = nullptr;
      inIdentityKey = inMailClientKey = false;
      if (keyPath[0] == '-' || !IdentityOf(keyPath, &key, &below)) continue;
      auto found = index.emplace(FoldedName(key), identities->size());
      if (found.second) identities->push_back(RegIdentity{key, "", "", false});
      current = &(*identities)[found.first->second];
      inIdentityKey = below.empty();
      inMailClientKey = SameName(below, mailClient);
      continue;
    }
    if (!text.empty() && text.back() == '\\' && text[0] == '"') {
      pending = text.substr(0, text.size() - 1);
      continue;
    }
    take(text);
  }
  if (!pending.empty()) take(pending);
  return !lines.failed();
}

bool WriteIdentityReg(IFileStreams& streams, const std::string& from,
                      const std::string& identityKey, const std::string& to) {
  LineReader lines(streams.OpenRead(from));
  if (lines.failed()) return false;
  std::unique_ptr<IFileWriter> out = streams.Create(to);
  if (!out) return false;
  std::string raw, text, key, below;
  bool header = true, inside = false, found = false, ok = true;
  while (ok && lines.Next(&raw, &text)) {
    const std::string keyPath = KeyPath(text);
    if (!keyPath.empty()) {
      header = false;
      inside = keyPath[0] != '-' && IdentityOf(keyPath, &key, &below) && SameName(key, identityKey);
      found = found || inside;
    }
    if (header || inside) ok = out->Write(raw.data(), raw.size());
  }
  ok = ok && !lines.failed();
  return out->Commit() && ok && found;
}

bool WriteMappedIdentities(IFileStreams& streams, const std::string& from,
                           const std::vector<IdentityMatch>& matches, const std::string& to,
                           const std::string& onlyKey) {
  LineReader lines(streams.OpenRead(from));
  if (lines.failed()) return false;
  std::unique_ptr<IFileWriter> out = streams.Create(to);
  if (!out) return false;
  std::unordered_map<std::string, const IdentityMatch*> moved;
  for (const IdentityMatch& m : matches)
    if (m.kind == IdentityMatch::Kind::Matched) moved.emplace(FoldedName(m.backupKey), &m);
  const std::string mailClient = "software\\microsoft\\outlook express\\5.0";
  const std::string root = "hkey_current_user\\identities";
  std::string raw, text, key, below;
  const IdentityMatch* current = nullptr;
  bool inRoot = false, ownKey = false, mailKey = false, skipping = false, found = false, ok = true;
  bool header = true, wanted = true;
  while (ok && lines.Next(&raw, &text)) {
    // The lines a left-out value goes on over.
    if (skipping) {
      skipping = !text.empty() && text.back() == '\\';
      continue;
    }
    const std::string keyPath = KeyPath(text);
    if (keyPath.empty() && !header && !wanted) continue;
    if (!keyPath.empty()) {
      header = false;
      wanted = onlyKey.empty() ||
               (keyPath[0] != '-' && IdentityOf(keyPath, &key, &below) && SameName(key, onlyKey));
      if (!wanted) continue;
      std::string bare = keyPath;
      while (!bare.empty() && bare.back() == '\\') bare.pop_back();
      inRoot = SameName(bare, root);
      current = nullptr;
      ownKey = mailKey = false;
      if (keyPath[0] != '-' && IdentityOf(keyPath, &key, &below)) {
        found = true;
        auto it = moved.find(FoldedName(key));
        if (it != moved.end()) {
          current = it->second;
          ownKey = below.empty();
          mailKey = SameName(below, mailClient);
          raw = ReplacedIn(raw, Encoded(current->backupKey, lines.wide()),
                           Encoded(current->liveKey, lines.wide()));
        }
      }
      ok = out->Write(raw.data(), raw.size());
      continue;
    }
    std::string name, data, value;
    if (SplitValue(text, &name, &data)) {
      if ((ownKey && (SameName(name, "user id") || SameName(name, "identity ordinal"))) ||
          (mailKey && SameName(name, "store root"))) {
        skipping = !text.empty() && text.back() == '\\';
        continue;
      }
      if (inRoot && !data.empty() && data[0] == '"' && ValueText(data, lines.wide(), &value)) {
        auto it = moved.find(FoldedName(value));
        if (it != moved.end())
          raw = ReplacedIn(raw, Encoded(it->second->backupKey, lines.wide()),
                           Encoded(it->second->liveKey, lines.wide()));
      }
    }
    ok = out->Write(raw.data(), raw.size());
  }
  ok = ok && !lines.failed();
  return out->Commit() && ok && found;
}

bool ReadAccountNames(IFileStreams& streams, const std::string& path,
                      std::vector<std::string>* names) {
  names->clear();
  LineReader lines(streams.OpenRead(path));
  std::string raw, text, name, data, value;
  while (lines.Next(&raw, &text))
    if (SplitValue(text, &name, &data) && SameName(name, "account name") &&
        ValueText(data, lines.wide(), &value))
      names->push_back(value);
  return !lines.failed();
}

}  // namespace lark
