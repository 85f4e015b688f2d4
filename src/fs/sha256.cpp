// SHA-256 (FIPS 180-4): a portable compression function and one built on the x86 SHA
// instructions, chosen per call so that the same program still runs on processors
// without them (the 32-bit build targets plain i686).
#include "fs/sha256.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/platform.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define LARK_SHA_X86 1
#endif

namespace lark {

namespace {

alignas(16) const std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void CompressPortable(std::uint32_t state[8], const std::uint8_t* data, std::size_t blocks) {
  for (; blocks > 0; --blocks, data += 64) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
      w[i] = std::uint32_t(data[4 * i]) << 24 | std::uint32_t(data[4 * i + 1]) << 16 |
             std::uint32_t(data[4 * i + 2]) << 8 | data[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
      std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
      std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; ++i) {
      std::uint32_t t1 =
          h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
      std::uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      h = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

#ifdef LARK_SHA_X86

bool DetectShaExtensions() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  const bool ssse3 = (c & bit_SSSE3) != 0, sse41 = (c & bit_SSE4_1) != 0;
  if (!ssse3 || !sse41 || !__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return (b & (1u << 29)) != 0;  // leaf 7, EBX bit 29: SHA
}

// Windows calls into 32-bit programs with the stack aligned to 4 bytes only; the 128-bit
// values spilled here need 16.
#if defined(__i386__)
#define LARK_REALIGN __attribute__((force_align_arg_pointer))
#else
#define LARK_REALIGN
#endif

// The state is kept as ABEF and CDGH, the halves sha256rnds2 works on; each step does
// four rounds and extends the message schedule four words ahead. Lanes are independent
// streams interleaved step by step: one stream waits on each round's result, two keep the
// SHA unit busy (nearly twice the bytes a second).
template <int Lanes>
__attribute__((target("sha,sse4.1,ssse3"), always_inline)) inline void CompressShaLanes(
    std::uint32_t* const state[Lanes], const std::uint8_t* const in[Lanes], std::size_t blocks) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i s0[Lanes], s1[Lanes];
  const std::uint8_t* data[Lanes];
#pragma GCC unroll 2
  for (int l = 0; l < Lanes; ++l) {
    data[l] = in[l];
    const __m128i tmp =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state[l])), 0xB1);
    s1[l] =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state[l] + 4)), 0x1B);
    s0[l] = _mm_alignr_epi8(tmp, s1[l], 8);     // ABEF
    s1[l] = _mm_blend_epi16(s1[l], tmp, 0xF0);  // CDGH
  }
  for (; blocks > 0; --blocks) {
    __m128i abef[Lanes], cdgh[Lanes], m[Lanes][4];
#pragma GCC unroll 2
    for (int l = 0; l < Lanes; ++l) {
      abef[l] = s0[l];
      cdgh[l] = s1[l];
#pragma GCC unroll 4
      for (int i = 0; i < 4; ++i)
        m[l][i] = _mm_shuffle_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(data[l] + 16 * i)), byteSwap);
      data[l] += 64;
    }
#pragma GCC unroll 16
    for (int r = 0; r < 16; ++r) {
      const __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 4 * r));
#pragma GCC unroll 2
      for (int l = 0; l < Lanes; ++l) {
        const __m128i msg = _mm_add_epi32(m[l][r & 3], k);
        s1[l] = _mm_sha256rnds2_epu32(s1[l], s0[l], msg);
        s0[l] = _mm_sha256rnds2_epu32(s0[l], s1[l], _mm_shuffle_epi32(msg, 0x0E));
        if (r < 12) {  // W[t] = W[t-16] + s0(W[t-15]) + W[t-7] + s1(W[t-2]), four at a time
          __m128i next = _mm_sha256msg1_epu32(m[l][r & 3], m[l][(r + 1) & 3]);
          next = _mm_add_epi32(next, _mm_alignr_epi8(m[l][(r + 3) & 3], m[l][(r + 2) & 3], 4));
          m[l][r & 3] = _mm_sha256msg2_epu32(next, m[l][(r + 3) & 3]);
        }
      }
    }
#pragma GCC unroll 2
    for (int l = 0; l < Lanes; ++l) {
      s0[l] = _mm_add_epi32(s0[l], abef[l]);
      s1[l] = _mm_add_epi32(s1[l], cdgh[l]);
    }
  }
#pragma GCC unroll 2
  for (int l = 0; l < Lanes; ++l) {
    const __m128i feba = _mm_shuffle_epi32(s0[l], 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(s1[l], 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state[l]), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state[l] + 4), _mm_alignr_epi8(dchg, feba, 8));
  }
}

__attribute__((target("sha,sse4.1,ssse3"))) LARK_REALIGN void CompressSha(std::uint32_t state[8],
                                                                          const std::uint8_t* data,
                                                                          std::size_t blocks) {
  std::uint32_t* const states[1] = {state};
  const std::uint8_t* const in[1] = {data};
  CompressShaLanes<1>(states, in, blocks);
}

__attribute__((target("sha,sse4.1,ssse3"))) LARK_REALIGN void CompressShaPair(
    std::uint32_t stateA[8], const std::uint8_t* dataA, std::uint32_t stateB[8],
    const std::uint8_t* dataB, std::size_t blocks) {
  std::uint32_t* const states[2] = {stateA, stateB};
  const std::uint8_t* const in[2] = {dataA, dataB};
  CompressShaLanes<2>(states, in, blocks);
}

bool HasShaExtensions() {
  static const bool has = DetectShaExtensions();
  return has;
}

#else

bool HasShaExtensions() { return false; }

#endif

std::atomic<bool> g_forcePortable{false};
std::atomic<bool> g_osSavesSse{true};

void Compress(std::uint32_t state[8], const std::uint8_t* data, std::size_t blocks) {
#ifdef LARK_SHA_X86
  if (Sha256UsesCpuExtensions()) return CompressSha(state, data, blocks);
#endif
  CompressPortable(state, data, blocks);
}

}  // namespace

Sha256::Sha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::Update(const void* data, std::size_t size) {
  auto* p = static_cast<const std::uint8_t*>(data);
  length_ += size;
  if (used_ > 0) {
    std::size_t take = std::min(size, sizeof(block_) - used_);
    std::memcpy(block_ + used_, p, take);
    used_ += take;
    p += take;
    size -= take;
    if (used_ < sizeof(block_)) return;
    Compress(state_, block_, 1);
    used_ = 0;
  }
  if (size >= 64) {
    Compress(state_, p, size / 64);
    p += size / 64 * 64;
    size %= 64;
  }
  std::memcpy(block_, p, size);
  used_ = size;
}

void Sha256UpdateBoth(Sha256& a, const void* dataA, Sha256& b, const void* dataB,
                      std::size_t size) {
  auto* pa = static_cast<const std::uint8_t*>(dataA);
  auto* pb = static_cast<const std::uint8_t*>(dataB);
#ifdef LARK_SHA_X86
  const std::size_t blocks = size / 64;
  if (a.used_ == 0 && b.used_ == 0 && blocks > 0 && Sha256UsesCpuExtensions()) {
    CompressShaPair(a.state_, pa, b.state_, pb, blocks);
    a.length_ += blocks * 64;
    b.length_ += blocks * 64;
    pa += blocks * 64;
    pb += blocks * 64;
    size -= blocks * 64;
  }
#endif
  a.Update(pa, size);
  b.Update(pb, size);
}

Sha256Digest Sha256::Final() {
  const std::uint64_t bits = length_ * 8;
  std::uint8_t tail[72] = {0x80};
  const std::size_t pad = (used_ < 56 ? 56 : 120) - used_;
  for (int i = 0; i < 8; ++i) tail[pad + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  Update(tail, pad + 8);
  Sha256Digest out;
  for (int i = 0; i < 32; ++i)
    out[i] = static_cast<std::uint8_t>(state_[i / 4] >> (24 - 8 * (i % 4)));
  return out;
}

std::string Sha256Hex(const Sha256Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(64);
  for (std::uint8_t b : digest) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

bool Sha256File(IFileStreams& streams, const std::string& path, std::string* hexDigest) {
  std::unique_ptr<IFileReader> reader = streams.OpenRead(path);
  if (!reader) return false;
  std::vector<char> buffer(1 << 20);
  Sha256 sha;
  for (;;) {
    std::size_t got = 0;
    if (!reader->Read(buffer.data(), buffer.size(), &got)) return false;
    if (got == 0) break;
    sha.Update(buffer.data(), got);
  }
  *hexDigest = Sha256Hex(sha.Final());
  return true;
}

bool Sha256UsesCpuExtensions() {
  return HasShaExtensions() && g_osSavesSse.load() && !g_forcePortable.load();
}

void Sha256SettleOsSupport(IShell& environment) {
  g_osSavesSse.store(environment.ProcessorFeaturePresent(kPfXmmiInstructionsAvailable) &&
                     environment.ProcessorFeaturePresent(kPfXmmi64InstructionsAvailable));
}

void Sha256ForcePortable(bool force) { g_forcePortable.store(force); }

}  // namespace lark
