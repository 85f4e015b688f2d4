#include "fs/set_aside.h"

#include "fs/folders.h"

namespace lark {

std::string SetAsideNameFor(const std::string& path) {
  std::string aside = path;
  if (!aside.empty()) aside.back() = aside.back() == '$' ? '%' : '$';
  return aside;
}

std::string IncomingNameFor(const std::string& path) {
  std::string incoming = path;
  if (!incoming.empty()) incoming.back() = incoming.back() == '#' ? '!' : '#';
  return incoming;
}

std::string SetAside(const Platform& p, const std::string& path) {
  const std::string aside = SetAsideNameFor(path);
  RemoveFile(p, aside);
  return p.files.MoveFileReplacing(path, aside) ? aside : std::string();
}

void PutBackAside(const Platform& p, std::string& aside, const std::string& path) {
  if (aside.empty()) return;
  RemoveFile(p, path);
  p.files.MoveFileReplacing(aside, path);
  aside.clear();
}

void DropAside(const Platform& p, std::string& aside) {
  if (!aside.empty()) RemoveFile(p, aside);
  aside.clear();
}

}  // namespace lark
