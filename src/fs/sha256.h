// SHA-256 of byte streams and of whole files, with the processor's SHA instructions
// where it has them, so that a backup's manifest costs little next to its copies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lark {

class IFileStreams;  // from platform/platform.h
class IShell;

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, std::size_t size);
  Sha256Digest Final();  // the object may not be updated afterwards

 private:
  friend void Sha256UpdateBoth(Sha256& a, const void* dataA, Sha256& b, const void* dataB,
                               std::size_t size);
  std::uint32_t state_[8];
  std::uint8_t block_[64];
  std::size_t used_ = 0;      // bytes waiting in block_
  std::uint64_t length_ = 0;  // bytes hashed so far
};

// a.Update(dataA, size) and b.Update(dataB, size) at once: two files hashed side by side on
// one thread, in little more time than one with the processor's SHA instructions.
void Sha256UpdateBoth(Sha256& a, const void* dataA, Sha256& b, const void* dataB, std::size_t size);

std::string Sha256Hex(const Sha256Digest& digest);  // 64 lower-case hex digits

// Hashes a whole file through the streaming reader (flat memory, blocks of 1 MiB);
// false when it cannot be opened or read.
bool Sha256File(IFileStreams& streams, const std::string& path, std::string* hexDigest);

// True when the processor has the SHA extensions (checked once at run time with cpuid)
// and they are being used.
bool Sha256UsesCpuExtensions();

// The extensions work on the SSE registers, which only a Windows that saves them when it
// switches between threads may let a program use (NT 4.0 does not; 95, 98 and ME cannot tell
// a program whether they do). Asked once at start-up, before any hashing: the portable code
// is used unless Windows says it saves both the SSE and the SSE2 state.
void Sha256SettleOsSupport(IShell& environment);

// For tests and the bench: force the portable code even on a processor with the extensions.
void Sha256ForcePortable(bool force);

}  // namespace lark
