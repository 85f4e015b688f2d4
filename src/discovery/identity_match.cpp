#include "discovery/identity_match.h"

#include <set>

#include "fs/text.h"

namespace lark {

std::vector<IdentityMatch> MatchIdentities(const std::vector<NamedIdentity>& backup,
                                           const std::vector<NamedIdentity>& live) {
  std::set<std::string> backupKeys, liveKeys, taken;
  for (const NamedIdentity& b : backup) backupKeys.insert(FoldedName(b.key));
  for (const NamedIdentity& l : live) liveKeys.insert(FoldedName(l.key));
  std::vector<IdentityMatch> out;
  for (const NamedIdentity& b : backup) {
    IdentityMatch m;
    m.backupKey = b.key;
    m.backupName = b.name;
    m.liveKey = b.key;
    if (liveKeys.count(FoldedName(b.key))) {
      m.kind = IdentityMatch::Kind::SameKey;
      for (const NamedIdentity& l : live)
        if (SameName(l.key, b.key)) {
          m.liveKey = l.key;
          m.liveName = l.name;
        }
      out.push_back(m);
      continue;
    }
    // A live identity the backup holds under its own key gets the backup's, and another of
    // the same name taking this one's settings too would leave one of them without its own.
    const NamedIdentity* only = nullptr;
    int candidates = 0;
    for (const NamedIdentity& l : live)
      if (SameName(l.name, b.name) && !backupKeys.count(FoldedName(l.key)) &&
          !taken.count(FoldedName(l.key))) {
        only = &l;
        ++candidates;
      }
    if (candidates == 1) {
      m.kind = IdentityMatch::Kind::Matched;
      m.liveKey = only->key;
      m.liveName = only->name;
      taken.insert(FoldedName(only->key));
    }
    out.push_back(m);
  }
  return out;
}

}  // namespace lark
