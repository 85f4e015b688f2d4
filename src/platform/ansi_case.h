// Letter case as Windows itself folds it when it compares names of files, folders and
// registry keys: by the system's ANSI code page, so that a Cyrillic or Central European
// name folds as it does on the PC the program runs on.
#pragma once

#include <cstddef>

namespace lark {

// Upper-cases `length` bytes of ANSI text in place; the length never changes.
void UpperCaseAnsi(char* text, std::size_t length);

// Orders two names as the system lists them for a person (lstrcmpiA: the user's locale, case
// ignored, so that "Élise" stands beside "Elise"): below 0, 0 or above 0.
int CompareNamesAnsi(const char* a, const char* b);

}  // namespace lark
