// The steps by which a complete backup becomes the newest of the backups the folder keeps,
// each a rename on the backup folder's own disk, so that at every moment (a kill included)
// every complete backup the folder held stays whole and no checksum list vouches for a file
// it does not describe:
//   tidy   what a killed run left: a swap half done is finished, a staged backup that never
//          got to its swap and a kept backup half deleted are removed;
//   stage  the whole new backup is written into Earlier Backups\<time>.partial;
//   swap   the top's backup moves into Earlier Backups\<its time> (its list first, under a
//          scratch name, so that no list names files on the move), then the staged files
//          move to the top, their list last; only what a backup wrote moves, and a person's
//          files stay where they are, in the top's identity folders too;
//   prune  after a run that found nothing wrong, the oldest kept backups beyond the number
//          to keep are renamed <time>.deleting, their list deleted first, then the rest; one
//          that also holds files its backup did not write loses only the backup's files.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fs/backup_set.h"
#include "platform/platform.h"

namespace lark {

inline constexpr const char* kLockFile = "Larkmoor.lock";
inline constexpr const char* kStagingSuffix = ".partial";
inline constexpr const char* kDeletingSuffix = ".deleting";
// How long a leftover folder that will not go at once is tried again: 40 x 0.25 s.
inline constexpr int kLeftoverTries = 40;
inline constexpr unsigned kLeftoverPauseMs = 250;

// Called with the name of each step a run reaches; tests end a run there as a kill would.
inline std::function<void(const std::string& step)> g_backupStepHook;
inline void BackupStep(const std::string& step) {
  if (g_backupStepHook) g_backupStepHook(step);
}

// The local time as kept backups are named: "2026-12-07 05.53.12".
std::string BackupTimeNow();

// The name the top's backup gets in Earlier Backups when the next backup sets it aside: the
// time it was made, and " (n)" when a kept backup was made within the same second; "" when
// nothing tells when it was made.
std::string KeptNameOfTop(IFileSystem& fs, const std::string& backupFolder);

// Finishes or removes what a killed run left in the backup folder; problems in words.
void TidyBackupFolder(const Platform& p, const std::string& backupFolder,
                      std::vector<std::string>* problems);

// A run's hold on a backup folder for its length: the lock file in Earlier Backups, open
// without sharing, so that a second run into the folder (a scheduled one while a person's
// runs) cannot take it and leaves everything to the first.
class FolderHold {
 public:
  FolderHold(const Platform& p, const std::string& backupFolder);
  ~FolderHold();  // lets go of the folder
  FolderHold(const FolderHold&) = delete;
  FolderHold& operator=(const FolderHold&) = delete;

  enum class Result { Held, Busy, Failed };
  // Makes Earlier Backups when it is missing. Failed (the reason in problems) when the lock
  // file cannot be made at all: a folder that takes no files, or paths too long for it.
  Result Take(std::vector<std::string>* problems);

 private:
  const Platform& p_;
  std::string earlier_;
  std::unique_ptr<IFileWriter> lock_;
};

// A run that works on a backup folder without making a backup there (a restore, the address
// book copied on its own) holds it as a backup does, for its length, so that no backup moves
// the top under it, and finds a swap that a killed backup left half done finished first. An
// Earlier Backups made only for the hold goes again afterwards.
class FolderVisit {
 public:
  FolderVisit(const Platform& p, std::string backupFolder);
  ~FolderVisit();  // lets go of the folder
  FolderVisit(const FolderVisit&) = delete;
  FolderVisit& operator=(const FolderVisit&) = delete;

  // Busy while another run holds the folder; Failed when it takes no lock file (read-only
  // media), and it is then worked on as it is.
  FolderHold::Result Enter();

 private:
  const Platform& p_;
  std::string folder_;
  std::string earlier_;
  bool madeEarlier_;
  std::optional<FolderHold> hold_;
};

class KeptBackups {
 public:
  KeptBackups(const Platform& p, std::string backupFolder);
  ~KeptBackups() = default;  // releases the run's hold on the folder
  KeptBackups(const KeptBackups&) = delete;
  KeptBackups& operator=(const KeptBackups&) = delete;

  enum class Start { Ready, Busy, Failed };
  // Holds the folder for this run (a second run at the same time is Busy), tidies it and
  // makes the staging folder.
  Start Begin(const std::string& made, std::vector<std::string>* problems);
  const std::string& staging() const { return staging_; }
  // The top's backup as found: what the store check compares with.
  const BackupInfo& previous() const { return previous_; }

  // The live store folders and address book as this run found them. A backup folder chosen
  // where they live (the store folder of an identity named like its folder in the backup, the
  // address book's own folder) holds them among the backups: neither the swap nor the prune
  // ever moves or deletes a folder or file that is, or holds, one of them.
  void KeepInPlace(std::vector<std::string> livePaths);
  // The staged backup to the top, the top's into Earlier Backups. False (with the reason in
  // problems) when it could not be: the new backup is then kept in Earlier Backups instead.
  bool Swap(std::vector<std::string>* problems);
  // The kept backups beyond `keep` (counting the top), oldest last, as a prune would let go.
  std::vector<std::string> Beyond(unsigned keep) const;
  // Lets them go; those that could not be removed come back. One that also holds files its
  // backup did not write loses only the backup's own files, and is named in heldOthers.
  std::vector<std::string> Prune(const std::vector<std::string>& names,
                                 std::vector<std::string>* heldOthers);
  // Where the previous top went ("" when the folder held none), and where the new backup
  // stayed when the swap failed.
  const std::string& previousKeptAs() const { return previousKeptAs_; }

 private:
  const Platform& p_;
  std::string folder_;
  std::string earlier_;
  std::string staging_;
  std::string made_;
  BackupInfo previous_;
  std::string previousKeptAs_;
  std::vector<std::string> live_;
  FolderHold hold_;
  bool HoldsLive(const std::string& path) const;
};

}  // namespace lark
