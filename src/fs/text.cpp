#include "fs/text.h"

#include "platform/ansi_case.h"

namespace lark {

std::string FoldedName(std::string s) {
  UpperCaseAnsi(s.data(), s.size());
  return s;
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && FoldedName(a) == FoldedName(b);
}

bool StartsWithName(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && SameName(s.substr(0, prefix.size()), prefix);
}

std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
    at = end + 1;
  }
  return lines;
}

}  // namespace lark
