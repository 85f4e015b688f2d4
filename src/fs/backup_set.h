// The backups a backup folder holds: the newest at its top, the earlier ones it keeps each in
// a folder of its own under "Earlier Backups", named by the time it was made so that the
// names sort. Beside each backup's checksum list lies a small text file, Larkmoor.info, with
// the time it was made, each message store's message count, what the store check found, and
// the computer, Windows user and identities it was made of.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fs/backup_layout.h"
#include "platform/platform.h"

namespace lark {

inline constexpr const char* kEarlierBackupsFolder = "Earlier Backups";
inline constexpr const char* kBackupInfoFile = "Larkmoor.info";
// In Earlier Backups while a run moves a backup to the top: the top is in between then.
inline constexpr const char* kSwapJournalFile = "Larkmoor.swap";

// An identity as the backup found it, with its store folder as written and as it expanded.
struct InfoIdentity {
  std::string key, name, storeRoot, storeFolder;
};

struct BackupInfo {
  std::string made;                                             // "2026-12-07 05.53.12"
  std::vector<std::pair<std::string, std::uint32_t>> messages;  // list path -> message count
  std::vector<std::string> findings;                            // store-check findings, in words
  // Where the backup was made; all empty in backups made before this was recorded.
  std::string computer, user, windows;
  std::vector<InfoIdentity> identities;
};

// Reads `folder`\Larkmoor.info; false when it has none or it holds nothing usable.
bool ReadBackupInfo(IFileSystem& fs, const std::string& folder, BackupInfo* info);
std::string BackupInfoText(const BackupInfo& info);
bool ParseBackupInfo(const std::string& text, BackupInfo* info);

struct BackupSet {
  std::string
      folder;  // full path: the backup folder itself for the newest, else Earlier Backups\<time>
  BackupInfo info;  // as read; made taken from the folder name for kept ones without an info file
  bool newest = false;
};

// Every complete backup in the backup folder, newest first: the top (when it holds a backup:
// a checksum list or any of the three registry files, and no swap is under way) and then each
// kept one by name, descending.
std::vector<BackupSet> ListBackups(const Platform& p, const std::string& backupFolder);

// Whether a name inside Earlier Backups is a kept backup's: "YYYY-MM-DD HH.MM.SS", optionally
// followed by " (n)" when two backups were made within one second. Staging folders, folders
// being deleted and scratch files have other names.
bool IsKeptBackupName(const std::string& name);

// The folder of the kept backups inside a backup folder.
std::string EarlierBackupsOf(const std::string& backupFolder);

// Whether a run stopped while it moved its backup to the top: the next run finishes the move,
// and until then the top is in between two backups.
bool SwapPending(IFileSystem& fs, const std::string& backupFolder);

// Whether `folder` holds a backup: a checksum list or one of the registry exports.
bool HoldsBackup(IFileSystem& fs, const std::string& folder);

// The folders of `folder` (bare names, "." and ".." left out), in the file system's order.
std::vector<std::string> SubFolders(IFileSystem& fs, const std::string& folder);

// Whether an entry is a junction, symbolic link or other reparse point, which may lead out of
// the folder it stands in (Wine shows a Unix symbolic link as one). As Windows' own tools
// do, a deletion never goes through one; the tag that tells the kinds apart is not to be
// trusted under Wine.
bool IsLink(const FindEntry& e);
bool IsLink(IFileSystem& fs, const std::string& path);

// Deletes the folder and everything in it, read-only files too; true when it is gone. A link
// on the way is removed as a link (Windows removes a junction as an empty folder) or left,
// and never followed: what it points at is not the folder's. *linkStayed tells of a link
// left (under Wine a Unix symbolic link to a folder cannot be removed).
bool RemoveTree(IFileSystem& fs, const std::string& folder, bool* linkStayed = nullptr);

}  // namespace lark
