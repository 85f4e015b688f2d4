// Which live identity each identity of a backup goes to, when the backup may come from
// another computer or Windows user whose identities were made under other keys.
#pragma once

#include <string>
#include <vector>

namespace lark {

struct NamedIdentity {
  std::string key;   // "{GUID}"
  std::string name;  // display name
};

struct IdentityMatch {
  enum class Kind {
    SameKey,  // the live identity of the backup's own key: this is the PC it came from
    Matched,  // the one live identity of its name whose key the backup does not hold
    Created,  // made under the backup's key
  };
  std::string backupKey, backupName;
  Kind kind = Kind::Created;
  std::string liveKey;   // where its settings and stores go: the backup key when created
  std::string liveName;  // "" when created
};

// One entry per backup identity, in the backup's order. A backup identity whose key is not
// live takes the live identity of its name (letter case ignored) when exactly one such is left
// that the backup does not hold itself and no earlier backup identity took; otherwise it is
// created. So no name ends up twice unless it already was twice, live or in the backup.
std::vector<IdentityMatch> MatchIdentities(const std::vector<NamedIdentity>& backup,
                                           const std::vector<NamedIdentity>& live);

}  // namespace lark
