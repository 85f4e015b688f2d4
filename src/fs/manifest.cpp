#include "fs/manifest.h"

#include <cctype>

#include "fs/folders.h"
#include "fs/sha256.h"
#include "fs/text.h"

namespace lark {

namespace {

std::string Normal(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

bool IsHex(const std::string& s) {
  if (s.size() != 64) return false;
  for (char c : s)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

void Manifest::Set(const std::string& relPath, const std::string& hex) {
  const std::string path = Normal(relPath);
  for (auto& e : entries_)
    if (SameName(e.first, path)) {
      e.second = hex;
      return;
    }
  entries_.emplace_back(path, hex);
}

void Manifest::Remove(const std::string& relPath) {
  const std::string path = Normal(relPath);
  for (auto it = entries_.begin(); it != entries_.end(); ++it)
    if (SameName(it->first, path)) {
      entries_.erase(it);
      return;
    }
}

const std::string* Manifest::Find(const std::string& relPath) const {
  const std::string path = Normal(relPath);
  for (const auto& e : entries_)
    if (SameName(e.first, path)) return &e.second;
  return nullptr;
}

std::string Manifest::Text() const {
  std::string text;
  for (const auto& e : entries_) text += e.second + "  " + e.first + "\n";
  return text;
}

bool Manifest::Parse(const std::string& text) {
  entries_.clear();
  for (const std::string& line : TextLines(text)) {
    // "<hex>  <name>" in text mode, "<hex> *<name>" in binary mode; both name the file alike.
    if (line.size() < 67 || !IsHex(line.substr(0, 64)) || line[64] != ' ') continue;
    if (line[65] != ' ' && line[65] != '*') continue;
    std::string hex = line.substr(0, 64);
    Set(line.substr(66), Lowered(hex));
  }
  return !entries_.empty();
}

bool ReadManifest(IFileSystem& fs, const std::string& folder, Manifest* manifest) {
  std::string text;
  if (!fs.ReadFile(folder + "\\" + kManifestFile, &text)) return false;
  return manifest->Parse(text);
}

bool ReplaceTextFile(IFileSystem& fs, const std::string& path, const std::string& text) {
  const std::string scratch = ScratchNameFor(path);
  if (!fs.WriteFile(scratch, text) || !fs.MoveFileReplacing(scratch, path)) {
    fs.DeleteFileA(scratch);
    return false;
  }
  return true;
}

Vouch CheckFile(IFileStreams& streams, const Manifest* manifest, const std::string& path,
                const std::string& relPath) {
  if (!manifest) return Vouch::NoList;
  const std::string* listed = manifest->Find(relPath);
  if (!listed) return Vouch::Unlisted;
  std::string hex;
  return Sha256File(streams, path, &hex) && hex == *listed ? Vouch::Good : Vouch::Mismatch;
}

struct ChecksAhead::Job {
  File file;
  const std::string* listed = nullptr;  // the list's checksum; nullptr when it has none
  // Written by the reading thread before it sets done; read by the caller once done is set.
  bool read = false;
  std::string hex;
  std::atomic<bool> done{false};
};

ChecksAhead::ChecksAhead(IProcesses& processes, IFileStreams& streams, const Manifest* manifest,
                         std::vector<File> files)
    : processes_(processes), streams_(streams), manifest_(manifest) {
  Sha256UsesCpuExtensions();  // settled on this thread: the reader only reads it
  bool anyListed = false;
  for (File& f : files) {
    auto job = std::make_unique<Job>();
    job->file = std::move(f);
    if (manifest_) job->listed = manifest_->Find(job->file.relPath);
    anyListed = anyListed || job->listed;
    jobs_.push_back(std::move(job));
  }
  if (anyListed) worker_ = processes_.StartThread([this] { ReadAll(); });
  // Without a thread of its own each file is read when it is asked for.
}

ChecksAhead::~ChecksAhead() {
  stop_.store(true);
  if (!worker_) return;
  processes_.Wait(worker_, kInfinite);
  processes_.Release(worker_);
}

void ChecksAhead::ReadAll() {
  for (const std::unique_ptr<Job>& job : jobs_) {
    if (stop_.load()) return;
    if (job->listed) {
      try {
        job->read = Sha256File(streams_, job->file.path, &job->hex);
      } catch (...) {
        job->read = false;  // out of memory: the file is not vouched for
      }
    }
    job->done.store(true);
  }
}

Vouch ChecksAhead::Result(std::size_t i) {
  Job& job = *jobs_[i];
  if (!manifest_) return Vouch::NoList;
  if (!job.listed) return Vouch::Unlisted;
  if (worker_) {
    // The thread ends after the last file, so waiting on it wakes at once once it is through.
    while (!job.done.load()) processes_.Wait(worker_, 1);
  } else {
    job.read = Sha256File(streams_, job.file.path, &job.hex);
  }
  return job.read && job.hex == *job.listed ? Vouch::Good : Vouch::Mismatch;
}

bool ChecksAhead::Ready(std::size_t i) const {
  const Job& job = *jobs_[i];
  // Without a thread of its own a file is read when it is asked for.
  return !manifest_ || !job.listed || !worker_ || job.done.load();
}

std::string ManifestPath(const std::string& subFolder, const std::string& name) {
  return subFolder.empty() ? name : subFolder + "/" + name;
}

}  // namespace lark
