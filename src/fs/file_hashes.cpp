#include "fs/file_hashes.h"

#include <utility>

#include "fs/sha256.h"

namespace lark {

// Shared between the caller and the thread: a result whose owner goes (an exception while
// other files are added) stays alive as long as the thread still writes into it.
struct FileHashes::Job {
  std::string path;
  bool ok = false;
  std::string hex;

  void Run(IFileStreams& streams) {
    try {
      ok = Sha256File(streams, path, &hex);
    } catch (...) {
      ok = false;  // out of memory: the file counts as not read
    }
  }
};

FileHashes::FileHashes(IProcesses& processes, IFileStreams& streams)
    : processes_(processes), streams_(streams) {
  // Settled here, on the caller's thread: the hashing threads only read it.
  Sha256UsesCpuExtensions();
}

FileHashes::~FileHashes() = default;  // each entry's owner joins its thread

std::vector<ProcessId> FileHashes::Running() {
  std::vector<ProcessId> running;
  for (Entry& e : jobs_) {
    if (!e.ended && e.thread.Ended(0)) e.ended = true;
    if (!e.ended) running.push_back(e.thread.Id());
  }
  return running;
}

void FileHashes::Add(const std::string& path) {
  // Whichever thread ends first makes room: files end out of order (a small one added after
  // a large one), and waiting for the oldest would hold the caller's next copy for nothing.
  for (std::vector<ProcessId> running = Running(); running.size() >= kMaxInFlight;
       running = Running()) {
    if (processes_.AwaitAny(running, kInfinite) == WaitOutcome::Failed) {
      for (Entry& e : jobs_) {
        if (e.ended) continue;
        e.thread.Join();
        e.ended = true;
        break;
      }
    }
  }
  auto job = std::make_shared<Job>();
  job->path = path;
  // The entry is in place before its thread starts, so nothing is allocated between the
  // start and the owner that joins it.
  jobs_.push_back(Entry{job, ThreadOwner(), false});
  Entry& entry = jobs_.back();
  ProcessId id = 0;
  try {
    IFileStreams& streams = streams_;
    id = processes_.StartThread([job, &streams] { job->Run(streams); });
  } catch (...) {
    id = 0;  // out of memory for the thread's work: hashed here instead
  }
  if (id) {
    entry.thread = ThreadOwner(processes_, id);
  } else {
    job->Run(streams_);
    entry.ended = true;
  }
}

bool FileHashes::FrontReady() {
  if (jobs_.empty()) return false;
  Entry& e = jobs_.front();
  if (!e.ended && e.thread.Ended(0)) e.ended = true;
  return e.ended;
}

bool FileHashes::Take(std::string* hex) {
  Entry& e = jobs_.front();
  e.thread.Join();
  const std::shared_ptr<Job> job = std::move(e.job);
  jobs_.pop_front();
  if (job->ok) *hex = std::move(job->hex);
  return job->ok;
}

}  // namespace lark
