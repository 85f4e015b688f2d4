#include "fs/safe_name.h"

#include <cctype>
#include <cstring>

namespace lark {

namespace {

bool IsForbidden(unsigned char c) {
  return c < 32 || std::strchr("\\/:*?\"<>|", c) != nullptr;
}

bool IsDeviceName(const std::string& name) {
  // Windows reserves these names whatever the extension (CON.txt is still CON).
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* d : kDevices)
    if (base == d) return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
      base[3] >= '1' && base[3] <= '9')
    return true;
  return false;
}

}  // namespace

std::string SafeFolderName(const std::string& displayName) {
  std::string name = displayName;
  if (name.size() > 255) name.resize(255);
  for (char& c : name)
    if (IsForbidden(static_cast<unsigned char>(c))) c = '_';
  // Windows drops trailing dots and blanks, so "Work." would name the folder "Work" and
  // ".." its parent: keep every character, but never at the end.
  for (std::size_t i = name.size(); i > 0 && (name[i - 1] == '.' || name[i - 1] == ' '); --i)
    name[i - 1] = '_';
  if (name.empty()) name = "_";
  if (IsDeviceName(name)) name.insert(name.find('.') == std::string::npos ? name.size() : name.find('.'), "_");
  return name;
}

}  // namespace lark
