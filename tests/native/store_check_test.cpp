// The store check's judgement of a store from its header, its size and its index root.
#include "discovery/store_check.h"

#include <gtest/gtest.h>

#include <optional>

namespace lark {
namespace {

void Put(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// A message folder's header as the published description of the format gives it.
std::string Header(std::uint32_t kind = 0x6F74FDC5, std::uint32_t used = 0x3000,
                   std::uint32_t count = 40, std::uint32_t root = 0x2600) {
  std::string h(kStoreHeaderSize, '\0');
  Put(h, 0, 0xFE12ADCF);
  Put(h, 4, kind);
  const char klass[] = "\x66\xE3\xD1\x11\x9A\x4E\x00\xC0";
  h.replace(8, 8, klass, 8);
  Put(h, 0x1C, kind == 0x6F74FDC6 ? 0x108 : 0x618);
  Put(h, 0x7C, used);
  Put(h, 0xC4, count);
  Put(h, 0xE4, root);
  return h;
}

TEST(JudgeStore, HealthyStoresPassAndEachDamageIsNamed) {
  using F = StoreFinding;
  const std::uint64_t mb = 1 << 20;
  std::string wrongStart = Header();
  wrongStart[0] = 'x';
  std::string wrongClass = Header();
  wrongClass[9] = 0;
  struct Case {
    const char* what;
    std::string head;
    std::uint64_t size;
    std::optional<std::uint32_t> atRoot, before;
    std::vector<F> findings;
  } cases[] = {
      {"message folder", Header(), 0x3000, 0x2600, 41, {}},
      {"count kept at half", Header(), 0x3000, 0x2600, 80, {}},
      {"empty folder, no index", Header(0x6F74FDC5, 0x24BC, 0, 0), 0x24BC, {}, {}, {}},
      {"folder list", Header(0x6F74FDC6, 0x3000, 0, 0), 0x3000, {}, {}, {}},
      {"offline store, other class", Header(0x26FE9D30).replace(8, 8, 8, 'z'), 0x3000, {}, {}, {}},
      {"index root not read", Header(), 0x3000, std::nullopt, {}, {}},
      {"wrong first bytes", wrongStart, 0x3000, 0x2600, {}, {F::NotAStore}},
      {"wrong class", wrongClass, 0x3000, 0x2600, {}, {F::NotAStore}},
      {"shorter than the header", Header().substr(0, 0x100), 0x100, {}, {}, {F::NotAStore}},
      {"cut short", Header(0x6F74FDC5, 0x5000), 0x3000, 0x2600, {}, {F::CutShort}},
      {"index outside", Header(0x6F74FDC5, 0x3000, 40, 0x9000), 0x3000, {}, {}, {F::IndexOutside}},
      {"index not its own", Header(), 0x3000, 0x1234, {}, {F::IndexOutside}},
      {"count fell", Header(0x6F74FDC5, 0x3000, 4), 0x3000, 0x2600, 40, {F::CountFell}},
      {"1.5 GB", Header(0x6F74FDC5, 0x3000), 1536 * mb, 0x2600, {}, {F::NearLimit}},
      {"2 GB", Header(0x6F74FDC5, 0x3000), 2048 * mb, 0x2600, {}, {F::OverLimit}},
  };
  for (const Case& c : cases) {
    const StoreVerdict v = JudgeStore(c.head, c.size, c.atRoot, c.before);
    EXPECT_EQ(v.findings, c.findings) << c.what;
  }
  EXPECT_EQ(JudgeStore(Header(), 0x3000, 0x2600, {}).messages, 40u);
}

}  // namespace
}  // namespace lark
