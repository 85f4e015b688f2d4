// Small text helpers the program's files and names share: names compared as Windows compares
// them (letter case ignored) and a text file taken a line at a time.
#pragma once

#include <string>
#include <vector>

namespace lark {

// The name as Windows compares names of files, folders and registry keys: upper-cased by the
// system's own rule, so that "Élise" and "élise" are one folder, as they are on Windows. Keys
// of sets and maps of names, and the one rule behind SameName.
std::string FoldedName(std::string s);
bool SameName(const std::string& a, const std::string& b);
bool StartsWithName(const std::string& s, const std::string& prefix);  // letter case ignored

// The lines of a text, without their ends (LF or CR LF); a last line without an end counts.
std::vector<std::string> TextLines(const std::string& text);

}  // namespace lark
