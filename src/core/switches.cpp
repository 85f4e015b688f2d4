#include "core/switches.h"

#include "fs/text.h"

namespace lark {

Switches ReadSwitches(const std::string& c) {
  const std::string lower = Lowered(c);
  auto has = [&](const char* s) { return lower.find(s) != std::string::npos; };
  Switches s;
  s.backup = has("/a");
  s.hidden = has("/h");
  s.overwrite = has("/o");
  s.addressBook = has("/w");
  s.check = has("/v");
  const std::size_t b = lower.find("/b:");
  if (b != std::string::npos) s.folder = c.substr(b + 3);
  const std::size_t g = lower.find("/g:");
  if (g != std::string::npos) {
    std::string number = c.substr(g + 3);
    number = number.substr(0, number.find_first_of(" \t/"));
    s.generationsSwitch = c.substr(g, 3 + number.size());
    s.generations = number;
  }
  return s;
}

}  // namespace lark
