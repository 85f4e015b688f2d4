// The hashing threads shared by the backup's copies and the restore's checks, on Wine's real
// threads; a thread that cannot be started is the one fault brought about by hand.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
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
  std::set<std::uint64_t> live, joined, signals;

  WaitOutcome AwaitHandle(std::uint64_t id, std::uint32_t ms) override {
    WaitOutcome outcome = Win32Processes::AwaitHandle(id, ms);
    if (outcome == WaitOutcome::Ended) joined.insert(id);
    return outcome;
  }
  SignalId CreateSignal() override {
    SignalId id = Win32Processes::CreateSignal();
    signals.insert(id.value);
    return id;
  }
  void ReleaseHandle(std::uint64_t id) override {
    if (signals.erase(id)) return Win32Processes::ReleaseHandle(id);
    // Windows gives a closed handle's value to the next thread: a second release of one shows
    // as a release of an id that is not live.
    released += live.erase(id) ? 1 : 100;
    releasedUnjoined += joined.erase(id) ? 0 : 1;
    Win32Processes::ReleaseHandle(id);
  }
  ThreadId StartThread(std::function<void()> work) override {
    if (refuse) return ThreadId();
    ThreadId id = Win32Processes::StartThread([this, work = std::move(work)] {
      int now = ++running;
      for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
      }
      ::Sleep(20);  // long enough for the caller to add more while this one runs
      work();
      --running;
    });
    if (id) {
      ++started;
      live.insert(id.value);
    }
    return id;
  }
};

// Results in the order the files were added, a missing file as unread, and the same results
// from one thread taking two files side by side (the SHA instructions), a thread for each file
// (the portable code) and no thread at all; every thread joined and let go once.
TEST(FileHashes, InOrderAndTheSameWhateverTheThreads) {
  const std::string folder = kRoot + "\\hashes";
  RemoveTree(folder);  // made anew by the files below
  std::vector<std::string> paths, texts;
  for (int i = 0; i < 11; ++i) {  // up to 3.5 MB: files end in the middle of each other's reads
    paths.push_back(folder + "\\f" + std::to_string(i));
    texts.push_back(std::string(i * 350003, static_cast<char>('a' + i)));
    if (i != 5) WriteAll(paths.back(), texts.back());
  }
  Win32FileStreams streams;
  for (const auto& [portable, refuse] : {std::pair{false, false}, {true, false}, {false, true}}) {
    SCOPED_TRACE(std::string(portable ? "portable" : "instructions") +
                 (refuse ? ", no thread starts" : ""));
    Sha256ForcePortable(portable);
    const bool sideBySide = Sha256UsesCpuExtensions();
    CountingThreads threads;
    threads.refuse = refuse;
    std::vector<std::pair<bool, std::string>> got;
    {
      FileHashes hashes(threads, streams);
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
    }
    ASSERT_EQ(got.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
      EXPECT_EQ(got[i], std::make_pair(i != 5, i != 5 ? HexOf(texts[i]) : "")) << i;
    if (refuse)
      EXPECT_EQ(threads.most.load(), 0);
    else if (sideBySide)
      EXPECT_EQ(threads.started, 1);
    else
      EXPECT_EQ(threads.started, static_cast<int>(FileHashes::kMaxInFlight));
    EXPECT_EQ(threads.released, threads.started);
    EXPECT_EQ(threads.releasedUnjoined, 0);
  }
  Sha256ForcePortable(false);
}

// One file read slowly, a little at a time, until the test lets it go: a large store still
// being hashed.
struct SlowStreams : Win32FileStreams {
  struct Slow : IFileReader {
    std::unique_ptr<IFileReader> file;
    Handle& gate;
    Slow(std::unique_ptr<IFileReader> f, Handle& g) : file(std::move(f)), gate(g) {}
    bool Read(char* buffer, std::size_t capacity, std::size_t* got) override {
      const bool slow = ::WaitForSingleObject(gate.get(), 5) == WAIT_TIMEOUT;
      return file->Read(buffer, slow ? std::min<std::size_t>(capacity, 16 << 10) : capacity, got);
    }
  };
  std::string slow;
  Handle gate{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  std::unique_ptr<IFileReader> OpenRead(const std::string& path) override {
    std::unique_ptr<IFileReader> file = Win32FileStreams::OpenRead(path);
    if (file && path == slow) return std::make_unique<Slow>(std::move(file), gate);
    return file;
  }
};

// The shell goes on copying while a large store's check has not ended: the small files'
// checks go on beside it and end out of order behind it, so that it holds back no copy.
TEST(CheckedCopies, ALargeCheckStillRunningHoldsBackNoCopyAfterIt) {
  const std::string from = kRoot + "\\from", into = kRoot + "\\into";
  Recreate(kRoot);
  ASSERT_TRUE(::CreateDirectoryA(into.c_str(), nullptr));  // `from` is made by the files below
  const int files = 2 * FileHashes::kMaxInFlight;
  // The first takes some 20 s read slowly (16 KiB each 5 ms); the others, one read each.
  const auto text = [](int i) { return std::string(i ? i : 64 << 20, 'x'); };
  for (int i = 0; i < files; ++i) WriteAll(from + "\\f" + std::to_string(i), text(i));
  Win32Platform w;
  SlowStreams streams;
  streams.slow = into + "\\f0";
  RecordingUser user;
  Platform p{w.registry, w.files, streams, w.processes, w.shell, user};
  Manifest manifest;
  std::vector<std::string> problems;
  CopyTally tally;
  {
    CheckedCopies copies(p, manifest, problems);
    for (int i = 0; i < files; ++i) {
      const std::string name = "f" + std::to_string(i);
      copies.Copy(from + "\\" + name, into + "\\" + name, true, true, name, &tally);
    }
    EXPECT_EQ(manifest.Find("f0"), nullptr) << "a copy waited for the check of the first";
    ::SetEvent(streams.gate.get());
    copies.Finish();
  }
  EXPECT_EQ(tally.files, files);
  EXPECT_TRUE(problems.empty());
  for (int i = 0; i < files; ++i) {
    const std::string* hex = manifest.Find("f" + std::to_string(i));
    ASSERT_TRUE(hex) << i;
    EXPECT_EQ(*hex, HexOf(text(i))) << i;
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
