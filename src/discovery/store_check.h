// A look at each message store before it is copied: the fixed header every Outlook Express
// store begins with, as the published description of the format gives it, tells a store that
// is damaged in place (cut short, its index lost, grown near the size that breaks it) from a
// healthy one. Only a few KB of the store are read. A finding never stops the copy: the store
// may be all there is; it only keeps the earlier backups and warns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lark {

inline constexpr std::size_t kStoreHeaderSize = 0x24BC;

enum class StoreFinding {
  NotAStore,     // wrong first bytes, or shorter than the header
  CutShort,      // shorter than the used length its header records
  IndexOutside,  // the message index's root is outside the file, or not where it points
  NearLimit,     // 1.5 GB or more: Outlook Express damages stores near 2 GB
  OverLimit,     // 2 GB or more: probably damaged already
  CountFell,     // fewer than half the messages the previous backup's copy held
};

struct StoreVerdict {
  std::uint64_t size = 0;
  bool messageFolder = false;  // a message folder's store, with a message count
  std::uint32_t messages = 0;  // its message count
  std::vector<StoreFinding> findings;
};

// Judges a store from its first bytes (`head`: up to the header's size, less when the file is
// shorter), its size, the 4 bytes found at the index root's offset (nullopt when they could
// not be read) and the count the previous backup's copy held (nullopt when none).
StoreVerdict JudgeStore(const std::string& head, std::uint64_t size,
                        std::optional<std::uint32_t> atIndexRoot,
                        std::optional<std::uint32_t> previousCount);

// Reads what JudgeStore needs of the store at `path` and judges it. A store that cannot be
// opened is not judged (the copy that follows names the failure).
std::optional<StoreVerdict> CheckStore(const Platform& p, const std::string& path,
                                       std::optional<std::uint32_t> previousCount);

// A finding in words, for the report and the closing box: "- <what>: <finding>".
std::string FindingText(StoreFinding f, const std::string& what, const StoreVerdict& v,
                        std::optional<std::uint32_t> previousCount);

}  // namespace lark
