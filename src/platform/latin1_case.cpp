// Off Windows (the native tests) there is no system code page to ask: names fold as the
// Western one folds them, ASCII and the accented letters of Latin-1.
#include <string>

#include "platform/ansi_case.h"

namespace lark {

void UpperCaseAnsi(char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const auto u = static_cast<unsigned char>(text[i]);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
      text[i] = static_cast<char>(u - 0x20);
  }
}

int CompareNamesAnsi(const char* a, const char* b) {
  std::string x(a), y(b);
  UpperCaseAnsi(x.data(), x.size());
  UpperCaseAnsi(y.data(), y.size());
  return x.compare(y);
}

}  // namespace lark
