// The SHA-256 of files taken on threads of their own while the caller goes on (copying the
// next file), shared by the backup's copies and the restore's checks.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/process_owner.h"

namespace lark {

// At most kMaxInFlight files are hashed at a time, and their results are handed back in the
// order the files were added. Taking a result waits on its thread (never a poll). Where no
// thread can be started, the file is hashed on the caller's thread as it is added, so the
// results are the same, only later.
class FileHashes {
 public:
  // Two processors are kept busy beside the copying thread, with memory and read-ahead that
  // do not grow with the number of files.
  static constexpr std::size_t kMaxInFlight = 4;

  FileHashes(IProcesses& processes, IFileStreams& streams);
  ~FileHashes();  // waits for every thread still hashing
  FileHashes(const FileHashes&) = delete;
  FileHashes& operator=(const FileHashes&) = delete;

  // Starts the checksum of path; when kMaxInFlight are under way, waits until one of them
  // ends, whichever it is (its result stays to be taken).
  void Add(const std::string& path);
  std::size_t Size() const { return jobs_.size(); }
  // Whether the oldest result can be taken without waiting; false when there is none.
  bool FrontReady();
  // Waits for the oldest result and hands it back: false when the file could not be read
  // (or memory ran out while it was). There must be one (Size() > 0).
  bool Take(std::string* hex);

 private:
  struct Job;
  struct Entry {
    std::shared_ptr<Job> job;  // shared with its thread, which may outlive a failed caller
    ThreadOwner thread;        // joined before the entry goes; none when hashed here
    bool ended = false;
  };
  // The threads still hashing; those seen to have ended are marked so.
  std::vector<ProcessId> Running();

  IProcesses& processes_;
  IFileStreams& streams_;
  std::deque<Entry> jobs_;
};

}  // namespace lark
