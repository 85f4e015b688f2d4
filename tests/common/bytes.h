// Bytes as the program's files hold them, for the tests on either platform.
#pragma once

#include <string>

#include "fs/sha256.h"

namespace lark::testing {

// Text as the registry editor's UTF-16 files hold it (without their byte-order mark).
inline std::string Utf16(const std::string& text) {
  std::string wide;
  for (char c : text) wide += std::string(1, c) + '\0';
  return wide;
}

// The SHA-256 of bytes, as a checksum list writes it.
inline std::string HexOf(const std::string& data) {
  Sha256 sha;
  sha.Update(data.data(), data.size());
  return Sha256Hex(sha.Final());
}

}  // namespace lark::testing
