// What a complete restore will do with the identities of its backup when the backup may come
// from another computer or Windows user: which live identity each goes to, whether the person
// is asked first, and what is told at the end.
#pragma once

#include <string>
#include <vector>

#include "discovery/identity_match.h"
#include "fs/backup_set.h"
#include "restore/identity_reg.h"

namespace lark {

class App;
class IUser;

struct RestorePlan {
  bool known = false;  // the backup's AllIdentities.reg named its identities
  std::vector<RegIdentity> backup;
  std::vector<std::string> folders;  // each backup identity's folder in the backup
  std::vector<IdentityMatch> matches;
  BackupInfo info;
  bool recorded = false;   // the backup says where it was made
  bool elsewhere = false;  // on another computer or for another Windows user
  // A live identity's Store Root as written, and the key in it: how this Windows forms one.
  std::string liveStoreRoot, liveStoreKey;
  std::string liveWab;               // the address book's place before the restore
  std::vector<std::string> created;  // "name" and its store folder, filled as they are made
  std::vector<std::string> createdStores;

  // Some identity of the backup goes to a live one under another key.
  bool Remaps() const;
  // Not the backup's own PC (it says so, or an identity goes to another key): the identities'
  // mapping is reported.
  bool Moving() const;
  // The backup folder of the identity that goes to the live key; "" when none does.
  std::string FolderFor(const std::string& liveKey, std::string* backupName) const;
};

// Reads the backup `from` and the live identities and matches them.
RestorePlan PlanRestore(App& app, const std::string& from);

// Shows the person where the backup came from and the mapping, when it came from elsewhere;
// false for Cancel. True at once when there is nothing to ask.
bool ConfirmRestore(IUser& user, const RestorePlan& plan);

// After the identities' import: an identity made under its backup key gets a store folder of
// this PC when the recorded one is not usable here, and an ordinal no other identity has.
void SettleCreatedIdentities(App& app, RestorePlan& plan);

// After the address book's import: a place for it that names another user's profile or a
// folder that does not exist here becomes this user's.
void SettleAddressBookPlace(App& app, const RestorePlan& plan);

// The lines of the closing box and report that tell of the move: the mapping, the identities
// created, the accounts imported and the passwords to type again.
void ReportMove(App& app, const RestorePlan& plan, const std::string& from, bool accountsImported);

// Whether a full path may be used by this Windows user: its drive is there and it is not in
// another user's profile.
bool UsableHere(const Platform& p, const std::string& path);

}  // namespace lark
