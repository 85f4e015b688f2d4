// Where an identity keeps its message store: the "Store Root" of its mail-client key.
#pragma once

#include <string>

#include "platform/platform.h"

namespace lark {

struct StoreFolder {
  enum class Kind {
    Folder,  // a usable folder path in `path`
    Empty,   // the identity never used the mail client (the placeholder discovery writes)
    None,    // no value, an empty value, one that is not text, or one that cannot be read
  };
  Kind kind = Kind::None;
  std::string path;     // expanded, without a trailing NUL
  std::string written;  // the value as the registry holds it, before expansion
};

// Reads the identity's "Store Root" and expands every %name% reference in it.
StoreFolder ReadStoreFolder(const Platform& p, const std::string& identityKey);

}  // namespace lark
