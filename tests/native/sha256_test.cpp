// SHA-256: the published test vectors, and the processor's SHA instructions agreeing with
// the portable code on data of every length around the block size, fed in uneven pieces.
#include "fs/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/bytes.h"

namespace lark {
namespace {

using testing::HexOf;

TEST(Sha256, PublishedVectors) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlm"
       "nopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (bool portable : {false, true}) {
    Sha256ForcePortable(portable);
    for (const auto& [message, digest] : cases)
      EXPECT_EQ(HexOf(message), digest) << message.size() << " bytes, portable " << portable;
  }
  Sha256ForcePortable(false);
}

// Pieces of 1 to 131 bytes, so that the block buffer is entered and left at every offset.
std::string HexInPieces(const std::vector<unsigned char>& data) {
  Sha256 sha;
  std::size_t at = 0;
  for (std::size_t piece = 1; at < data.size(); piece = (piece * 7 + 3) % 131 + 1) {
    std::size_t n = std::min(piece, data.size() - at);
    sha.Update(data.data() + at, n);
    at += n;
  }
  return Sha256Hex(sha.Final());
}

TEST(Sha256, CpuExtensionsAgreeWithPortableCode) {
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 300; ++n) lengths.push_back(n);
  for (std::size_t n : {4096u + 13u, (1u << 20) + 7u, (3u << 20) + 64u}) lengths.push_back(n);
  std::uint32_t x = 2463534242u;
  for (std::size_t n : lengths) {
    std::vector<unsigned char> data(n);
    for (auto& b : data) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      b = static_cast<unsigned char>(x >> 11);
    }
    Sha256ForcePortable(false);
    std::string fast = HexInPieces(data);
    Sha256ForcePortable(true);
    EXPECT_FALSE(Sha256UsesCpuExtensions());
    Sha256 whole;
    whole.Update(data.data(), data.size());
    EXPECT_EQ(fast, Sha256Hex(whole.Final())) << n << " bytes";
  }
  Sha256ForcePortable(false);
}

// Two streams taken side by side give what each gives alone: in step or one of them part-way
// into a block, in pieces that are whole blocks or not, with and without the instructions.
TEST(Sha256, TwoStreamsSideBySideAgreeWithEachAlone) {
  std::vector<unsigned char> a(1 << 20), b(1 << 20);
  for (std::size_t i = 0; i < a.size(); ++i) {
    a[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
    b[i] = static_cast<unsigned char>(i * 40503u >> 5);
  }
  const auto alone = [](const unsigned char* data, std::size_t lead, std::size_t piece,
                        std::size_t pieces) {
    Sha256 sha;
    sha.Update(data, lead + piece * pieces);
    return Sha256Hex(sha.Final());
  };
  // {bytes of b taken first on its own, bytes of each piece, pieces}
  const std::size_t cases[][3] = {{0, 0, 1},  {0, 63, 2},     {0, 64, 3},      {0, 65536, 4},
                                  {5, 64, 3}, {5, 1000, 200}, {64, 4097, 100}, {0, 1 << 19, 2}};
  for (bool portable : {false, true}) {
    Sha256ForcePortable(portable);
    for (const auto& [lead, piece, pieces] : cases) {
      Sha256 x, y;
      y.Update(b.data(), lead);
      for (std::size_t i = 0; i < pieces; ++i)
        Sha256UpdateBoth(x, a.data() + i * piece, y, b.data() + lead + i * piece, piece);
      EXPECT_EQ(Sha256Hex(x.Final()), alone(a.data(), 0, piece, pieces)) << piece << portable;
      EXPECT_EQ(Sha256Hex(y.Final()), alone(b.data(), lead, piece, pieces)) << piece << portable;
    }
  }
  Sha256ForcePortable(false);
}

}  // namespace
}  // namespace lark
