#include "fs/set_aside.h"

#include <memory>
#include <vector>

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

std::string CopyAside(const Platform& p, const std::string& path) {
  const std::string incoming = IncomingNameFor(path);
  RemoveFile(p, incoming);
  std::unique_ptr<IFileReader> in = p.streams.OpenRead(path);
  std::unique_ptr<IFileWriter> out = in ? p.streams.Create(incoming) : nullptr;
  bool ok = out != nullptr;
  std::vector<char> block(1 << 20);
  std::size_t got = 0;
  while (ok && (ok = in->Read(block.data(), block.size(), &got)) && got > 0)
    ok = out->Write(block.data(), got);
  ok = out && out->Commit() && ok;
  const std::string aside = SetAsideNameFor(path);
  if (ok && PutInPlace(p.files, incoming, aside)) return aside;
  RemoveFile(p, incoming);
  return std::string();
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
