// The discovery layer's judgements: a store from its header, its size and its index root,
// and which live identity each identity of a backup made elsewhere goes to.
#include <gtest/gtest.h>

#include <optional>

#include "common/dbx_writer.h"
#include "discovery/identity_match.h"
#include "discovery/store_check.h"

namespace lark {
namespace {

// A message folder's header as the published description of the format gives it.
std::string Header(std::uint32_t used = 0x3000, std::uint32_t count = 40,
                   std::uint32_t root = 0x2600, std::uint32_t kind = testing::kDbxMessages) {
  return testing::DbxHeader(used, count, root, kind);
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
      {"empty folder, no index", Header(0x24BC, 0, 0), 0x24BC, {}, {}, {}},
      {"folder list", Header(0x3000, 0, 0, testing::kDbxFolders), 0x3000, {}, {}, {}},
      {"offline store, other class",
       Header(0x3000, 40, 0x2600, 0x26FE9D30).replace(8, 8, 8, 'z'),
       0x3000,
       {},
       {},
       {}},
      {"index root not read", Header(), 0x3000, std::nullopt, {}, {}},
      {"wrong first bytes", wrongStart, 0x3000, 0x2600, {}, {F::NotAStore}},
      {"wrong class", wrongClass, 0x3000, 0x2600, {}, {F::NotAStore}},
      {"shorter than the header", Header().substr(0, 0x100), 0x100, {}, {}, {F::NotAStore}},
      {"cut short", Header(0x5000), 0x3000, 0x2600, {}, {F::CutShort}},
      {"index outside", Header(0x3000, 40, 0x9000), 0x3000, {}, {}, {F::IndexOutside}},
      {"index not its own", Header(), 0x3000, 0x1234, {}, {F::IndexOutside}},
      {"count fell", Header(0x3000, 4), 0x3000, 0x2600, 40, {F::CountFell}},
      {"1.5 GB", Header(), 1536 * mb, 0x2600, {}, {F::NearLimit}},
      {"2 GB", Header(), 2048 * mb, 0x2600, {}, {F::OverLimit}},
  };
  for (const Case& c : cases) {
    const StoreVerdict v = JudgeStore(c.head, c.size, c.atRoot, c.before);
    EXPECT_EQ(v.findings, c.findings) << c.what;
  }
  EXPECT_EQ(JudgeStore(Header(), 0x3000, 0x2600, {}).messages, 40u);
}

using K = IdentityMatch::Kind;

TEST(MatchIdentities, SameKeyThenTheOneLiveIdentityOfItsNameElseCreated) {
  struct Case {
    const char* what;
    std::vector<NamedIdentity> backup, live;
    std::vector<std::pair<K, std::string>> want;  // kind and live key, per backup identity
  } cases[] = {
      {"a fresh PC",
       {{"{A}", "Main Identity"}, {"{B}", "Work"}},
       {{"{N}", "main identity"}},
       {{K::Matched, "{N}"}, {K::Created, "{B}"}}},
      {"keys compare without letter case", {{"{a}", "X"}}, {{"{A}", "Y"}}, {{K::SameKey, "{A}"}}},
      {"two live of the name: neither is taken",
       {{"{A}", "Main"}},
       {{"{N}", "Main"}, {"{M}", "Main"}},
       {{K::Created, "{A}"}}},
      {"a live one the backup holds is its own",
       {{"{A}", "Main"}, {"{B}", "Main"}},
       {{"{B}", "Main"}},
       {{K::Created, "{A}"}, {K::SameKey, "{B}"}}},
      {"taken once only",
       {{"{A}", "Main"}, {"{B}", "Main"}},
       {{"{N}", "Main"}},
       {{K::Matched, "{N}"}, {K::Created, "{B}"}}},
  };
  for (const Case& c : cases) {
    const std::vector<IdentityMatch> got = MatchIdentities(c.backup, c.live);
    ASSERT_EQ(got.size(), c.want.size()) << c.what;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].kind, c.want[i].first) << c.what << " #" << i;
      EXPECT_EQ(got[i].liveKey, c.want[i].second) << c.what << " #" << i;
    }
  }
}

}  // namespace
}  // namespace lark
