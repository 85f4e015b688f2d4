// The hashing threads shared by the backup's copies and the restore's checks, on Wine's real
// threads; a thread that cannot be started is the one fault brought about by hand.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "backup/checked_copy.h"
#include "fs/file_hashes.h"
#include "fs/manifest.h"
#include "fs/sha256.h"
#include "platform/process_owner.h"
#include "win_support.h"

namespace lark::test {
namespace {

// Real threads, counted while they run; with refuse set none starts.
struct CountingThreads : Win32Processes {
  bool refuse = false;
  std::atomic<int> running{0};
  std::atomic<int> most{0};
  int started = 0;
  int released = 0;
  int releasedUnjoined = 0;  // let go before a wait saw the thread end
  std::set<ProcessId> live, joined;

  WaitOutcome Await(ProcessId id, std::uint32_t ms) override {
    WaitOutcome outcome = Win32Processes::Await(id, ms);
    if (outcome == WaitOutcome::Ended) joined.insert(id);
    return outcome;
  }
  void Release(ProcessId id) override {
    // Windows gives a closed handle's value to the next thread: a second release of one shows
    // as a release of an id that is not live.
    released += live.erase(id) ? 1 : 100;
    releasedUnjoined += joined.erase(id) ? 0 : 1;
    Win32Processes::Release(id);
  }
  ProcessId StartThread(std::function<void()> work) override {
    if (refuse) return 0;
    ProcessId id = Win32Processes::StartThread([this, work = std::move(work)] {
      int now = ++running;
      for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
      }
      ::Sleep(20);  // long enough for the caller to add more while this one runs
      work();
      --running;
    });
    if (id) {
      ++started;
      live.insert(id);
    }
    return id;
  }
};

std::string HexOf(const std::string& text) {
  Sha256 sha;
  sha.Update(text.data(), text.size());
  return Sha256Hex(sha.Final());
}

// Results in the order the files were added, a missing file as unread, never more than the
// bound at a time, and the same results when no thread can be started.
TEST(FileHashes, InOrderBoundedAndTheSameWithoutThreads) {
  const std::string folder = kRoot + "\\hashes";
  RemoveTree(folder);
  ::CreateDirectoryA(kRoot.c_str(), nullptr);
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  std::vector<std::string> paths, texts;
  for (int i = 0; i < 11; ++i) {
    paths.push_back(folder + "\\f" + std::to_string(i));
    texts.push_back(std::string(i * 70001, static_cast<char>('a' + i)));
    if (i != 5) WriteAll(paths.back(), texts.back());
  }
  Win32FileStreams streams;
  for (bool refuse : {false, true}) {
    SCOPED_TRACE(refuse ? "no thread starts" : "threads");
    CountingThreads threads;
    threads.refuse = refuse;
    FileHashes hashes(threads, streams);
    std::vector<std::pair<bool, std::string>> got;
    auto take = [&] {
      std::string hex;
      bool ok = hashes.Take(&hex);
      got.emplace_back(ok, ok ? hex : "");
    };
    for (std::size_t i = 0; i < paths.size(); ++i) {
      hashes.Add(paths[i]);
      if (i % 3 == 2) take();  // a caller that takes less often than it adds
    }
    while (hashes.Size()) take();
    ASSERT_EQ(got.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
      EXPECT_EQ(got[i], std::make_pair(i != 5, i != 5 ? HexOf(texts[i]) : "")) << i;
    EXPECT_LE(threads.most.load(), static_cast<int>(FileHashes::kMaxInFlight));
    if (!refuse) {
      EXPECT_GE(threads.most.load(), 2) << "nothing ran beside the caller";
    }
    EXPECT_EQ(threads.released, threads.started);
    EXPECT_EQ(threads.releasedUnjoined, 0);
  }
}

// Reads of one file wait until the test lets them go: a large copy still being hashed.
struct HeldStreams : Win32FileStreams {
  std::string held;
  Handle gate{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  std::unique_ptr<IFileReader> OpenRead(const std::string& path) override {
    if (path == held) ::WaitForSingleObject(gate.get(), INFINITE);
    return Win32FileStreams::OpenRead(path);
  }
};

// The shell goes on copying while an early copy's check has not ended: only the running
// hashes bound the copies, and the small files' checks end out of order behind it.
TEST(CheckedCopies, ACheckStillRunningHoldsBackNoCopyAfterIt) {
  const std::string from = kRoot + "\\from", into = kRoot + "\\into";
  RemoveTree(kRoot);
  ::CreateDirectoryA(kRoot.c_str(), nullptr);
  ASSERT_TRUE(::CreateDirectoryA(from.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA(into.c_str(), nullptr));
  const int files = 2 * FileHashes::kMaxInFlight;
  for (int i = 0; i < files; ++i) WriteAll(from + "\\f" + std::to_string(i), std::string(i, 'x'));
  Win32Platform w;
  HeldStreams streams;
  streams.held = into + "\\f0";
  RecordingUser user;
  Platform p{w.registry, w.files, streams, w.processes, w.shell, user};
  // Lets the held check go after a while, so that a copy that waits for it fails the test
  // instead of hanging it.
  std::atomic<bool> letGo{false};
  ThreadOwner watchdog(w.processes, w.processes.StartThread([&] {
    if (::WaitForSingleObject(streams.gate.get(), 20000) == WAIT_TIMEOUT) letGo = true;
    ::SetEvent(streams.gate.get());
  }));
  Manifest manifest;
  std::vector<std::string> problems;
  CopyTally tally;
  {
    CheckedCopies copies(p, manifest, problems);
    for (int i = 0; i < files; ++i) {
      const std::string name = "f" + std::to_string(i);
      copies.Copy(from + "\\" + name, into + "\\" + name, true, true, name, &tally);
    }
    EXPECT_FALSE(letGo.load()) << "a copy waited for the check of the first";
    ::SetEvent(streams.gate.get());
    copies.Finish();
  }
  EXPECT_EQ(tally.files, files);
  EXPECT_TRUE(problems.empty());
  for (int i = 0; i < files; ++i) {
    const std::string* hex = manifest.Find("f" + std::to_string(i));
    ASSERT_TRUE(hex) << i;
    EXPECT_EQ(*hex, HexOf(std::string(i, 'x'))) << i;
  }
  RemoveTree(kRoot);
}

// A thread's owner waits for it to end before it lets the handle go, exactly once, however
// it is moved; the work it shares outlives an owner that is gone.
TEST(ThreadOwner, JoinsAndReleasesOnceWhateverIsMoved) {
  CountingThreads threads;
  std::atomic<int> done{0};
  auto start = [&] { return ThreadOwner(threads, threads.StartThread([&done] { ++done; })); };
  {
    ThreadOwner a = start();
    ThreadOwner b = std::move(a);  // a no longer owns it
    ThreadOwner c = start();
    c = std::move(b);  // c's own thread is joined first
    EXPECT_FALSE(a.Started());
    EXPECT_TRUE(c.Started());
    c.Join();
    c.Join();  // a second join does nothing
    EXPECT_FALSE(c.Started());
    ThreadOwner d = start();
  }  // d joins as it goes
  EXPECT_EQ(done.load(), 3);
  EXPECT_EQ(threads.started, 3);
  EXPECT_EQ(threads.released, 3);
  EXPECT_EQ(threads.releasedUnjoined, 0);
}

}  // namespace
}  // namespace lark::test
