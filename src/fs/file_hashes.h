// The SHA-256 of files taken on threads of their own while the caller goes on (copying the
// next file), shared by the backup's copies and the restore's checks.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/process_owner.h"

namespace lark {

// At most kMaxInFlight files are being hashed or waiting for a thread at a time, and their
// results are handed back in the order the files were added. With the processor's SHA
// instructions one thread takes the files as they come, two at a time side by side: two cost
// little more than one, so it keeps up with the copies, and a second thread would only take
// processor time from the copying one. Without them each file has a thread of its own. Waits
// are on events (never a poll). Where no thread can be started, the file is hashed on the
// caller's thread as it is added, so the results are the same, only later.
class FileHashes {
 public:
  // Memory and read-ahead do not grow with the number of files.
  static constexpr std::size_t kMaxInFlight = 4;

  FileHashes(IProcesses& processes, IFileStreams& streams);
  ~FileHashes();  // files not yet begun are dropped; waits for the threads
  FileHashes(const FileHashes&) = delete;
  FileHashes& operator=(const FileHashes&) = delete;

  // Adds the bytes the threads read to *counter as they go (before the first Add), for a
  // progress bar over files of gigabytes; a file hashed on the caller's thread is not counted.
  void CountBytes(std::atomic<std::uint64_t>* counter) { counted_ = counter; }
  // Hands path to the threads; when kMaxInFlight are not yet hashed, waits until one of them
  // is, whichever it is (its result stays to be taken).
  void Add(const std::string& path);
  std::size_t Size() const { return items_.size(); }
  // Whether the oldest result can be taken without waiting; false when there is none.
  bool FrontReady();
  // Waits for the oldest result and hands it back: false when the file could not be read
  // (or memory ran out while it was). There must be one (Size() > 0).
  bool Take(std::string* hex);

 private:
  struct Item {
    std::string path;
    bool ok = false;
    std::string hex;
    std::atomic<bool> done{false};  // set last, by the thread that hashed it
  };
  void StartThreads();
  void Work();  // one thread's loop until stop_
  Item* Next();
  void Done(Item& item);
  std::size_t Undone() const;
  void AwaitDone();

  IProcesses& processes_;
  IFileStreams& streams_;
  // The files handed to the threads and not yet begun. Only the caller fills a slot, only
  // when it is empty; a thread empties one as it takes its file. Fewer than kMaxInFlight files
  // are undone when one is added, so an empty slot is always there.
  struct Slot {
    std::atomic<Item*> item{nullptr};
    std::atomic<std::size_t> order{0};  // beside the item: a thread never reads a taken one
  };
  std::array<Slot, kMaxInFlight> pending_;
  std::size_t added_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t>* counted_ = nullptr;  // set before the threads start
  bool threadsTried_ = false;
  SignalOwner work_;       // set when a file is published: idle threads wake
  SignalOwner done_;       // set when a file is done: a waiting caller wakes
  const bool sideBySide_;  // one thread, two files at a time; otherwise a thread for each
  std::deque<std::unique_ptr<Item>> items_;
  std::vector<ThreadOwner> threads_;  // last member: joined before the rest goes
};

}  // namespace lark
