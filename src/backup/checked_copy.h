// Files into the backup folder, checked: each copy is complete and its source did not change
// while it was copied. An earlier copy a new one replaces stays until the new one passed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lark {

class FileHashes;
class Manifest;

// What the copies of one identity came to: the files that passed their checks and their bytes.
struct CopyTally {
  long files = 0;
  std::uint64_t bytes = 0;
};

// Copies one file after another with the shell (replacing without asking when noConfirm;
// asking nothing at all in a hidden run). The size and write-time checks are made at once;
// the checksum of each copy is taken on a thread of its own while the shell copies the next
// files, so that checking costs little beside the copies. Copies are settled in order, as
// their checks end and at Finish: if it passed, its checksum goes into the manifest and it counts
// in its tally; if not, the reason (or failedAs, when given) is added to problems, the earlier copy
// is put back and nothing is listed. A destination folder that is missing is never made.
class CheckedCopies {
 public:
  CheckedCopies(const Platform& p, Manifest& manifest, std::vector<std::string>& problems);
  ~CheckedCopies();  // settles the copies still being checked, as Finish does
  CheckedCopies(const CheckedCopies&) = delete;
  CheckedCopies& operator=(const CheckedCopies&) = delete;

  void Copy(const std::string& src, const std::string& dest, bool noConfirm, bool hiddenRun,
            const std::string& relPath, CopyTally* tally, const std::string& failedAs = "");
  void Finish();

 private:
  struct Pending;
  void SettleFront();
  void Fail(Pending& c, const std::string& reason);

  const Platform& p_;
  Manifest& manifest_;
  std::vector<std::string>& problems_;
  std::deque<std::unique_ptr<Pending>> pending_;  // in the order of the copies
  std::unique_ptr<FileHashes> hashes_;            // one for each pending copy, in the same order
};

// One checked copy, settled before it returns; true when it passed.
bool BackupFile(const Platform& p, const std::string& src, const std::string& dest, bool noConfirm,
                bool hiddenRun, const std::string& relPath, Manifest& manifest,
                std::vector<std::string>& problems, std::uint64_t* bytes = nullptr);

}  // namespace lark
