// The system's own upper-casing of ANSI text.
#include "platform/ansi_case.h"

#include <windows.h>

namespace lark {

void UpperCaseAnsi(char* text, std::size_t length) {
  if (length) ::CharUpperBuffA(text, static_cast<DWORD>(length));
}

int CompareNamesAnsi(const char* a, const char* b) { return ::lstrcmpiA(a, b); }

}  // namespace lark
