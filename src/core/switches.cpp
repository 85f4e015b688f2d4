#include "core/switches.h"

#include "fs/text.h"

namespace lark {

Switches ReadSwitches(const std::string& c) {
  const std::string folded = FoldedName(c);
  auto has = [&](const char* s) { return folded.find(s) != std::string::npos; };
  Switches s;
  s.backup = has("/A");
  s.hidden = has("/H");
  s.overwrite = has("/O");
  s.addressBook = has("/W");
  s.check = has("/V");
  // Each of the two takes the rest of the line; when both are given, the one written first
  // ends where the other begins. No folder's path holds either: a colon follows only a drive.
  const std::size_t b = folded.find("/B:"), x = folded.find("/X:");
  auto upTo = [&](std::size_t from, std::size_t other) {
    return c.substr(from + 3, other != std::string::npos && other > from ? other - from - 3
                                                                         : std::string::npos);
  };
  if (b != std::string::npos) s.folder = upTo(b, x);
  if (x != std::string::npos) s.exportFolder = upTo(x, b);
  const std::size_t g = folded.find("/G:");
  if (g != std::string::npos) {
    std::string number = c.substr(g + 3);
    number = number.substr(0, number.find_first_of(" \t/"));
    s.generationsSwitch = c.substr(g, 3 + number.size());
    s.generations = number;
  }
  return s;
}

// The folder of "/b:" as a user or a scheduled task writes it. Windows allows no quote in
// a path and drops blanks at its end, so the quotes that a folder with blanks naturally
// gets ("/b:"D:\Mail Backup"", or the whole switch quoted) and blanks around them are
// dropped; nothing else is changed.
std::string FolderArgument(std::string folder) {
  auto junk = [](char c) { return c == '"' || c == ' ' || c == '\t'; };
  while (!folder.empty() && junk(folder.back())) folder.pop_back();
  std::size_t first = 0;
  while (first < folder.size() && junk(folder[first])) ++first;
  return folder.substr(first);
}

}  // namespace lark
