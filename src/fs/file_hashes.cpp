#include "fs/file_hashes.h"

#include <algorithm>
#include <utility>

#include "fs/sha256.h"

namespace lark {

namespace {

constexpr std::size_t kLanes = 2;
constexpr std::size_t kReadSize = 1 << 20;

}  // namespace

FileHashes::FileHashes(IProcesses& processes, IFileStreams& streams)
    : processes_(processes),
      streams_(streams),
      work_(processes, processes.CreateSignal()),
      done_(processes, processes.CreateSignal()),
      // Settled here, on the caller's thread: the hashing threads only read it.
      sideBySide_(Sha256UsesCpuExtensions()) {}

FileHashes::~FileHashes() {
  // A thread ends at its next look, with what it was hashing left unfinished: nobody is
  // left to take it.
  stop_ = true;
  processes_.Signal(work_.Id());
  threads_.clear();
}

std::size_t FileHashes::Undone() const {
  return static_cast<std::size_t>(std::count_if(
      items_.begin(), items_.end(), [](const std::unique_ptr<Item>& i) { return !i->done; }));
}

void FileHashes::AwaitDone() {
  if (!processes_.AwaitSignal(done_.Id())) processes_.Pause(1);
}

void FileHashes::StartThreads() {
  threadsTried_ = true;
  if (!work_.Started() || !done_.Started()) return;
  const std::size_t count = sideBySide_ ? 1 : kMaxInFlight;
  threads_.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    ThreadId id;
    try {
      id = processes_.StartThread([this] { Work(); });
    } catch (...) {
      id = ThreadId();  // out of memory for the thread's work
    }
    if (id) threads_.emplace_back(processes_, id);
  }
}

void FileHashes::Add(const std::string& path) {
  if (!threadsTried_) StartThreads();
  while (Undone() >= kMaxInFlight) AwaitDone();
  auto owned = std::make_unique<Item>();
  owned->path = path;
  items_.push_back(std::move(owned));
  Item& item = *items_.back();
  if (!threads_.empty()) {
    for (Slot& slot : pending_) {
      if (slot.item.load(std::memory_order_acquire)) continue;
      slot.order.store(added_++, std::memory_order_relaxed);
      slot.item.store(&item, std::memory_order_release);
      processes_.Signal(work_.Id());
      return;
    }
  }
  try {
    item.ok = Sha256File(streams_, item.path, &item.hex);
  } catch (...) {
    item.ok = false;  // out of memory: the file counts as not read
  }
  item.done = true;
}

// The oldest file not yet begun, taken out of its slot; nullptr when there is none.
FileHashes::Item* FileHashes::Next() {
  for (;;) {
    Slot* oldest = nullptr;
    Item* item = nullptr;
    for (Slot& slot : pending_) {
      Item* in = slot.item.load(std::memory_order_acquire);
      if (in && (!oldest || slot.order.load(std::memory_order_relaxed) <
                                oldest->order.load(std::memory_order_relaxed))) {
        oldest = &slot;
        item = in;
      }
    }
    if (!item) return nullptr;
    // Another thread may have taken it meanwhile: then look again.
    if (oldest->item.compare_exchange_strong(item, nullptr, std::memory_order_acq_rel)) return item;
  }
}

void FileHashes::Done(Item& item) {
  item.done.store(true, std::memory_order_release);
  processes_.Signal(done_.Id());
}

// Two files at a time (one without the SHA instructions), read a block each in turn and hashed
// side by side; a lane whose file ends takes the next file waiting, so that a large file goes
// on beside a run of small ones.
void FileHashes::Work() {
  struct Lane {
    Item* item = nullptr;
    std::unique_ptr<IFileReader> reader;
    Sha256 sha;
    std::vector<char> buffer;
    std::size_t got = 0;
  };
  Lane lanes[kLanes];
  const auto finish = [this](Lane& l, bool ok) {
    Item& item = *l.item;
    l.item = nullptr;
    l.reader.reset();
    if (ok) {
      try {
        item.hex = Sha256Hex(l.sha.Final());
      } catch (...) {
        ok = false;
      }
    }
    item.ok = ok;
    Done(item);
  };
  while (!stop_) {
    try {
      bool any = false;
      for (Lane& l : lanes) {
        while (!l.item && !stop_ && (&l == lanes || sideBySide_) && (l.item = Next()) != nullptr) {
          l.sha = Sha256();
          if (l.buffer.empty()) l.buffer.resize(kReadSize);
          l.reader = streams_.OpenRead(l.item->path);
          if (!l.reader) finish(l, false);
        }
        any = any || l.item;
      }
      if (stop_) break;
      if (!any) {
        // Set again at once by a file handed over since the look above.
        if (!processes_.AwaitSignal(work_.Id())) processes_.Pause(1);
        continue;
      }
      for (Lane& l : lanes) {
        if (!l.item) continue;
        if (!l.reader->Read(l.buffer.data(), l.buffer.size(), &l.got))
          finish(l, false);
        else if (l.got == 0)
          finish(l, true);
        else if (counted_)
          counted_->fetch_add(l.got, std::memory_order_relaxed);
      }
      Lane& a = lanes[0];
      Lane& b = lanes[1];
      const std::size_t both = a.item && b.item ? std::min(a.got, b.got) : 0;
      if (both) Sha256UpdateBoth(a.sha, a.buffer.data(), b.sha, b.buffer.data(), both);
      for (Lane& l : lanes)
        if (l.item) l.sha.Update(l.buffer.data() + both, l.got - both);
    } catch (...) {
      // Out of memory: what the lanes held counts as not read.
      for (Lane& l : lanes)
        if (l.item) finish(l, false);
    }
  }
  processes_.Signal(work_.Id());  // the other threads are to stop too
}

bool FileHashes::FrontReady() {
  return !items_.empty() && items_.front()->done.load(std::memory_order_acquire);
}

bool FileHashes::Take(std::string* hex) {
  while (!items_.front()->done.load(std::memory_order_acquire)) AwaitDone();
  const std::unique_ptr<Item> item = std::move(items_.front());
  items_.pop_front();
  if (item->ok) *hex = std::move(item->hex);
  return item->ok;
}

}  // namespace lark
