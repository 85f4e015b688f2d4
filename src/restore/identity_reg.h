// What a backup's AllIdentities.reg says of each identity, and one identity's keys taken out
// of it into a file of their own, for a restore of that identity alone. The file is read a
// line at a time, in the encoding it was written in: UTF-16LE with its byte-order mark, as
// the editors of Windows 2000, XP and Wine export, or single-byte "REGEDIT4".
#pragma once

#include <string>
#include <vector>

#include "discovery/identity_match.h"
#include "platform/platform.h"

namespace lark {

struct RegIdentity {
  std::string key;        // "{GUID}", the identity's subkey
  std::string name;       // its "Username", "" when the file holds none
  std::string storeRoot;  // its mail client's "Store Root" as written, not expanded
  bool hasStoreRoot = false;
};

// The identities the file holds, in the order of their first key line; false when the
// file cannot be read.
bool ReadRegIdentities(IFileStreams& streams, const std::string& path,
                       std::vector<RegIdentity>* identities);

// Writes `to` with the header of `from` and every key of the identity `identityKey` (its own
// key and the keys below it), byte for byte as `from` holds them, and nothing else. False
// when `from` cannot be read, holds no key of the identity, or `to` cannot be written.
bool WriteIdentityReg(IFileStreams& streams, const std::string& from,
                      const std::string& identityKey, const std::string& to);

// Writes `to` as `from`, but with each identity the matches put under another live key moved
// there, without what binds an identity to the computer it was made on: its own "User ID" and
// "Identity Ordinal" and its mail client's "Store Root" (the live ones stay). A value of the
// identities' own key that names such an identity ("Default User ID", "Last User ID") names
// the live one. Everything else goes byte for byte. With `onlyKey`, the header and that
// identity's keys alone are written, as WriteIdentityReg writes them. False as WriteIdentityReg.
bool WriteMappedIdentities(IFileStreams& streams, const std::string& from,
                           const std::vector<IdentityMatch>& matches, const std::string& to,
                           const std::string& onlyKey = std::string());

// The "Account Name" of every mail account an IAM.reg holds, in its order.
bool ReadAccountNames(IFileStreams& streams, const std::string& path,
                      std::vector<std::string>* names);

}  // namespace lark
