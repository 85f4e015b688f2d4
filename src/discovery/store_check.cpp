#include "discovery/store_check.h"

#include <cstring>

#include "core/texts.h"

namespace lark {

namespace {

constexpr unsigned char kStoreMagic[4] = {0xCF, 0xAD, 0x12, 0xFE};
constexpr unsigned char kMessageFolder[4] = {0xC5, 0xFD, 0x74, 0x6F};
constexpr unsigned char kFolderList[4] = {0xC6, 0xFD, 0x74, 0x6F};
constexpr unsigned char kStoreClass[8] = {0x66, 0xE3, 0xD1, 0x11, 0x9A, 0x4E, 0x00, 0xC0};
constexpr std::size_t kUsedLength = 0x7C;
constexpr std::size_t kMessageCount = 0xC4;
constexpr std::size_t kIndexRoot = 0xE4;
constexpr std::uint64_t kNearLimit = 1536ull << 20;
constexpr std::uint64_t kOverLimit = 2048ull << 20;

bool Has(const std::string& head, std::size_t at, const unsigned char* bytes, std::size_t n) {
  return head.size() >= at + n && std::memcmp(head.data() + at, bytes, n) == 0;
}

std::uint32_t Dword(const std::string& head, std::size_t at) {
  const auto* b = reinterpret_cast<const unsigned char*>(head.data() + at);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

}  // namespace

StoreVerdict JudgeStore(const std::string& head, std::uint64_t size,
                        std::optional<std::uint32_t> atIndexRoot,
                        std::optional<std::uint32_t> previousCount) {
  StoreVerdict v;
  v.size = size;
  if (size >= kOverLimit)
    v.findings.push_back(StoreFinding::OverLimit);
  else if (size >= kNearLimit)
    v.findings.push_back(StoreFinding::NearLimit);
  // The kinds of store other than the message folders and the folder list are less well
  // described: for them the first four bytes alone decide.
  const bool messageFolder = Has(head, 4, kMessageFolder, 4);
  const bool wellKnown = messageFolder || Has(head, 4, kFolderList, 4);
  if (size < kStoreHeaderSize || head.size() < kStoreHeaderSize || !Has(head, 0, kStoreMagic, 4) ||
      (wellKnown && !Has(head, 8, kStoreClass, 8))) {
    v.findings.insert(v.findings.begin(), StoreFinding::NotAStore);
    return v;
  }
  if (Dword(head, kUsedLength) > size) v.findings.push_back(StoreFinding::CutShort);
  if (!messageFolder) return v;
  v.messageFolder = true;
  v.messages = Dword(head, kMessageCount);
  // Every object of the store begins with its own offset: an index root the header points to
  // holds that offset again. 0 is a folder that never held an index.
  const std::uint32_t root = Dword(head, kIndexRoot);
  if (root != 0 &&
      (root < kStoreHeaderSize || root + 4ull > size || (atIndexRoot && *atIndexRoot != root)))
    v.findings.push_back(StoreFinding::IndexOutside);
  if (previousCount && v.messages < *previousCount / 2.0)
    v.findings.push_back(StoreFinding::CountFell);
  return v;
}

std::optional<StoreVerdict> CheckStore(const Platform& p, const std::string& path,
                                       std::optional<std::uint32_t> previousCount) {
  FileInfo info;
  if (!p.files.GetFileInfo(path, &info)) return std::nullopt;
  std::unique_ptr<IFileReader> reader = p.streams.OpenRead(path);
  if (!reader) return std::nullopt;
  std::string head(kStoreHeaderSize, '\0');
  std::size_t have = 0;
  while (have < head.size()) {
    std::size_t got = 0;
    if (!reader->Read(&head[have], head.size() - have, &got)) return std::nullopt;
    if (got == 0) break;
    have += got;
  }
  head.resize(have);
  std::optional<std::uint32_t> atRoot;
  if (have >= kIndexRoot + 4) {
    const std::uint32_t root = Dword(head, kIndexRoot);
    char bytes[4];
    std::size_t got = 0;
    if (root >= kStoreHeaderSize && root + 4ull <= info.size && reader->Seek(root) &&
        reader->Read(bytes, 4, &got) && got == 4)
      atRoot = Dword(std::string(bytes, 4), 0);
  }
  return JudgeStore(head, info.size, atRoot, previousCount);
}

std::string FindingText(StoreFinding f, const std::string& what, const StoreVerdict& v,
                        std::optional<std::uint32_t> previousCount) {
  switch (f) {
    case StoreFinding::NotAStore: return texts::StoreNotAStore(what);
    case StoreFinding::CutShort: return texts::StoreCutShort(what);
    case StoreFinding::IndexOutside: return texts::StoreIndexOutside(what);
    case StoreFinding::NearLimit: return texts::StoreNearLimit(what, v.size >> 20);
    case StoreFinding::OverLimit: return texts::StoreOverLimit(what);
    case StoreFinding::CountFell:
      return texts::StoreCountFell(what, v.messages, previousCount.value_or(0));
  }
  return std::string();
}

}  // namespace lark
