#include "backup/checked_copy.h"

#include "core/texts.h"
#include "fs/file_hashes.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/set_aside.h"
#include "fs/shell_copy.h"

namespace lark {

namespace {
constexpr std::size_t kMaxUnsettled = 64;
}  // namespace

// A copy that passed its immediate checks, waiting for its checksum (the one the hashes
// hand back next).
struct CheckedCopies::Pending {
  std::string src;
  std::string dest;
  std::string relPath;
  // Where the shell copies when the copy replaces an earlier one: beside it, so that the
  // earlier one stays whole until this one passed and takes its place in one rename (a kill
  // at any moment leaves one of the two there, never a part). Empty otherwise.
  std::string incoming;
  bool existed = false;
  CopyTally* tally = nullptr;
  std::string failedAs;
  std::uint64_t size = 0;
};

CheckedCopies::CheckedCopies(const Platform& p, Manifest& manifest,
                             std::vector<std::string>& problems)
    : p_(p),
      manifest_(manifest),
      problems_(problems),
      hashes_(std::make_unique<FileHashes>(p.processes, p.streams)) {}

CheckedCopies::~CheckedCopies() {
  try {
    Finish();
  } catch (...) {
    // Leaving on an exception already: the earlier copy stays in its place.
  }
}

void CheckedCopies::Fail(Pending& c, const std::string& reason) {
  problems_.push_back(c.failedAs.empty() ? reason : c.failedAs);
  // What the shell left is partial or inconsistent: the earlier copy is worth more.
  if (!c.incoming.empty()) {
    RemoveFile(p_, c.incoming);
  } else if (!c.existed) {
    RemoveFile(p_, c.dest);
  }
  manifest_.Remove(c.relPath);
}

void CheckedCopies::SettleFront() {
  std::unique_ptr<Pending> c = std::move(pending_.front());
  pending_.pop_front();
  std::string hex;
  if (!hashes_->Take(&hex)) return Fail(*c, texts::CopyNotChecked(c->src));
  if (!c->incoming.empty()) {
    // A read-only earlier copy (of a read-only source) would refuse to be replaced.
    ClearReadOnly(p_, c->dest);
    if (!PutInPlace(p_.files, c->incoming, c->dest)) return Fail(*c, texts::CopyIncomplete(c->src));
  }
  manifest_.Set(c->relPath, hex);
  if (c->tally) {
    ++c->tally->files;
    c->tally->bytes += c->size;
  }
}

void CheckedCopies::Finish() {
  while (!pending_.empty()) SettleFront();
}

void CheckedCopies::Copy(const std::string& src, const std::string& dest, bool noConfirm,
                         bool hiddenRun, const std::string& relPath, CopyTally* tally,
                         const std::string& failedAs) {
  IFileSystem& fs = p_.files;
  auto c = std::make_unique<Pending>();
  c->src = src;
  c->dest = dest;
  c->relPath = relPath;
  c->tally = tally;
  c->failedAs = failedAs;
  // The shell makes missing destination folders; a backup folder that has gone (a disk
  // unplugged) must not be made anew on whatever drive now answers to its letter. The file
  // system is asked first: a search lists the folder, which fills with this run's copies.
  const std::string folder = DirectoryFromFile(dest);
  if (!IsExistingFolder(fs, folder) && !DirExists(p_, folder)) {
    Finish();
    problems_.push_back(failedAs.empty() ? texts::FileNotCopied(src) : failedAs);
    manifest_.Remove(relPath);
    return;
  }
  FileInfo before;
  const bool haveSource = fs.GetFileInfo(src, &before);
  FileInfo earlier;
  c->existed = fs.GetFileInfo(dest, &earlier);
  if (noConfirm && c->existed && !(earlier.attributes & kFileAttributeDirectory)) {
    c->incoming = IncomingNameFor(dest);
    RemoveFile(p_, c->incoming);  // a part an interrupted run left
  }
  const std::string into = c->incoming.empty() ? dest : c->incoming;
  const bool copied = ShellFileCopy(p_, src, into, noConfirm, hiddenRun);
  FileInfo after;
  const bool unchanged = haveSource && fs.GetFileInfo(src, &after) && after.size == before.size &&
                         after.lastWrite == before.lastWrite;
  FileInfo copy;
  const bool complete =
      copied && fs.GetFileInfo(into, &copy) && haveSource && copy.size == before.size;
  // The copies before this one have been hashed while the shell copied this one; those done
  // are settled now, in order, and a failure waits for them all, so that the report names
  // the problems in the order of the copies.
  while (!pending_.empty() && hashes_->FrontReady()) SettleFront();
  if (!copied || !complete || !unchanged) Finish();
  if (!copied)
    return Fail(*c, c->incoming.empty() ? texts::FileNotCopied(src) : texts::CopyIncomplete(src));
  if (!complete) return Fail(*c, texts::CopyIncomplete(src));
  if (!unchanged) return Fail(*c, texts::SourceChanged(src));
  c->size = copy.size;
  // Settled in order, but only the hashes bound how many run: a large copy still being hashed
  // must not hold back the copies of the small files after it, whose checks have ended. The
  // bound here only keeps the waiting results few.
  while (pending_.size() >= kMaxUnsettled) SettleFront();
  // The copy is read while it is still in the cache: the list vouches for what is on the
  // backup disk, not for the source.
  pending_.push_back(std::move(c));
  try {
    hashes_->Add(into);
  } catch (...) {
    // Out of memory before its check could start: not listed, and the earlier copy kept.
    std::unique_ptr<Pending> unchecked = std::move(pending_.back());
    pending_.pop_back();
    Finish();
    Fail(*unchecked, texts::CopyNotChecked(unchecked->src));
  }
}

bool BackupFile(const Platform& p, const std::string& src, const std::string& dest, bool noConfirm,
                bool hiddenRun, const std::string& relPath, Manifest& manifest,
                std::vector<std::string>& problems, std::uint64_t* bytes) {
  CopyTally tally;
  {
    CheckedCopies copies(p, manifest, problems);
    copies.Copy(src, dest, noConfirm, hiddenRun, relPath, &tally);
    copies.Finish();
  }
  if (bytes) *bytes = tally.bytes;
  return tally.files == 1;
}

}  // namespace lark
