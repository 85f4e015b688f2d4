// Which live identity each identity of a backup made elsewhere goes to.
#include "discovery/identity_match.h"

#include <gtest/gtest.h>

namespace lark {
namespace {

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
