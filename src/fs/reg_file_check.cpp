#include "fs/reg_file_check.h"

#include <memory>
#include <vector>

namespace lark {

namespace {

constexpr std::size_t kShownKey = 260;  // enough of an offending key to recognise it
constexpr std::size_t kHeaderMax = 64;  // longer than either header

std::uint16_t Lower(std::uint16_t u) { return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u; }

bool Blank(std::uint16_t u) { return u == ' ' || u == '\t' || u == '\v' || u == '\f'; }

bool SameText(const std::vector<std::uint16_t>& units, std::size_t from, const char* text) {
  std::size_t i = from;
  for (; *text; ++text, ++i)
    if (i >= units.size() || units[i] != static_cast<unsigned char>(*text)) return false;
  return i == units.size();
}

std::string Shown(const std::vector<std::uint16_t>& units, std::size_t length) {
  std::string s;
  for (std::size_t i = 0; i < units.size() && i < length; ++i)
    s += units[i] < 0x100 ? static_cast<char>(units[i]) : '?';
  if (length > units.size()) s += "...";
  return s;
}

}  // namespace

RegFileChecker::RegFileChecker(const std::string& branch) {
  for (char c : branch)
    if (c != '\\' || branch_.empty() || branch_.back() != '\\')
      branch_.push_back(static_cast<unsigned char>(c));
  // "HKEY_CURRENT_USER\Identities\" names the same branch as "HKEY_CURRENT_USER\Identities".
  while (!branch_.empty() && branch_.back() == '\\') branch_.pop_back();
  keep_ = branch_.size() + 1 > kShownKey ? branch_.size() + 1 : kShownKey;
}

void RegFileChecker::Fail(RegFileFault fault, std::string key) {
  if (verdict_.fault != RegFileFault::None) return;
  verdict_.fault = fault;
  verdict_.key = std::move(key);
}

void RegFileChecker::Feed(const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size && verdict_.fault == RegFileFault::None; ++i) {
    const auto b = static_cast<unsigned char>(data[i]);
    if (!haveLow_ && (started_ ? wide_ : true)) {
      low_ = static_cast<char>(b);
      haveLow_ = true;
      continue;
    }
    if (!started_) {
      // The byte-order mark decides the encoding, as it does for the editor.
      started_ = true;
      haveLow_ = false;
      wide_ = static_cast<unsigned char>(low_) == 0xFF && b == 0xFE;
      if (!wide_) {
        Unit(static_cast<unsigned char>(low_));
        Unit(b);
      }
      continue;
    }
    if (!wide_) {
      Unit(b);
      continue;
    }
    haveLow_ = false;
    Unit(static_cast<std::uint16_t>(static_cast<unsigned char>(low_) | (b << 8)));
  }
}

void RegFileChecker::Unit(std::uint16_t u) {
  if (verdict_.fault != RegFileFault::None) return;
  // The editor ends its line at a NUL and reads on from wherever its buffer stood, so what it
  // sees after one cannot be told from here.
  if (u == 0) return Fail(RegFileFault::NotARegistryFile);
  if (u == '\r' || u == '\n') return EndLine();
  switch (line_) {
    case Line::Header:
      if (text_.size() <= kHeaderMax) text_.push_back(u);
      return;
    case Line::Start:
      if (Blank(u)) return;
      if (u == '[') {
        line_ = Line::Key;
        text_.clear();
        length_ = lastBracket_ = 0;
        deletion_ = keyStarted_ = separator_ = false;
        return;
      }
      // A value line before any key would go to whatever key the editor has open.
      if ((u == '@' || u == '"') && !sawKey_) return Fail(RegFileFault::ValueBeforeKey);
      line_ = Line::Other;
      return;
    case Line::Key:
      if (!keyStarted_) {
        keyStarted_ = true;
        if (u == '-') {
          deletion_ = true;
          return;
        }
      }
      // A run of separators names one level, as for the editor.
      if (u == '\\' && separator_) return;
      separator_ = u == '\\';
      if (text_.size() < keep_) text_.push_back(u);
      ++length_;
      if (u == ']') lastBracket_ = length_;
      return;
    case Line::Other: return;
  }
}

void RegFileChecker::EndLine() {
  switch (line_) {
    case Line::Header: {
      std::size_t from = 0;
      while (from < text_.size() && (text_[from] == ' ' || text_[from] == '\t')) ++from;
      if (!SameText(text_, from, "Windows Registry Editor Version 5.00") &&
          !SameText(text_, from, "REGEDIT4"))
        return Fail(RegFileFault::NotARegistryFile);
      break;
    }
    case Line::Key: {
      sawKey_ = true;
      if (lastBracket_ == 0) return Fail(RegFileFault::NotARegistryFile);
      // The key is what stands before the line's last "]".
      const std::size_t keyLength = lastBracket_ - 1;
      const std::size_t b = branch_.size();
      bool inside = keyLength >= b && (keyLength == b || text_[b] == '\\');
      for (std::size_t k = 0; inside && k < b; ++k) inside = Lower(text_[k]) == Lower(branch_[k]);
      if (!inside)
        return Fail(deletion_ ? RegFileFault::DeletionOutside : RegFileFault::KeyOutside,
                    Shown(text_, keyLength));
      break;
    }
    case Line::Start:
    case Line::Other: break;
  }
  line_ = Line::Start;
  text_.clear();
}

RegFileVerdict RegFileChecker::Finish() {
  if (!started_ && haveLow_) {
    started_ = true;
    haveLow_ = false;
    Unit(static_cast<unsigned char>(low_));
  }
  // A file that ends without its line end is judged as far as it goes; an odd last byte of a
  // UTF-16 file is no unit, and the editor drops it too.
  if (verdict_.fault == RegFileFault::None) EndLine();
  return verdict_;
}

RegFileVerdict CheckRegText(const std::string& contents, const std::string& branch) {
  RegFileChecker checker(branch);
  checker.Feed(contents.data(), contents.size());
  return checker.Finish();
}

RegFileVerdict CheckRegFile(IFileStreams& streams, const std::string& path,
                            const std::string& branch) {
  RegFileVerdict unreadable;
  unreadable.fault = RegFileFault::Unreadable;
  std::unique_ptr<IFileReader> in = streams.OpenRead(path);
  if (!in) return unreadable;
  RegFileChecker checker(branch);
  std::vector<char> block(1 << 16);
  for (;;) {
    std::size_t got = 0;
    if (!in->Read(block.data(), block.size(), &got)) return unreadable;
    if (got == 0) break;
    checker.Feed(block.data(), got);
  }
  return checker.Finish();
}

}  // namespace lark
