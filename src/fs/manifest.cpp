#include "fs/manifest.h"

#include <cctype>

#include "fs/file_hashes.h"
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

// A list read from a folder may have been written by anybody: a name that is absolute, or
// that climbs out with "..", would have the check read a file that is not the backup's.
// Windows also takes a part of dots and blanks alone ("..", ". .") for a step up or none.
bool WithinFolder(const std::string& path) {
  if (path.empty() || path[0] == '/' || path.find(':') != std::string::npos) return false;
  for (std::size_t start = 0;;) {
    const std::size_t end = path.find('/', start);
    const std::string part = path.substr(start, end == std::string::npos ? end : end - start);
    if (part.find_first_not_of(". ") == std::string::npos) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

}  // namespace

void Manifest::Set(const std::string& relPath, const std::string& hex) {
  const std::string path = Normal(relPath);
  auto found = index_.emplace(FoldedName(path), entries_.size());
  if (found.second)
    entries_.emplace_back(path, hex);
  else
    entries_[found.first->second].second = hex;
}

void Manifest::Remove(const std::string& relPath) {
  auto it = index_.find(FoldedName(Normal(relPath)));
  if (it == index_.end()) return;
  entries_[it->second].second.clear();
  index_.erase(it);
}

const std::string* Manifest::Find(const std::string& relPath) const {
  auto it = index_.find(FoldedName(Normal(relPath)));
  return it == index_.end() ? nullptr : &entries_[it->second].second;
}

std::vector<std::pair<std::string, std::string>> Manifest::Files() const {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& e : entries_)
    if (!e.second.empty()) files.push_back(e);
  return files;
}

std::string Manifest::Text() const {
  std::string text;
  for (const auto& e : entries_)
    if (!e.second.empty()) text += e.second + "  " + e.first + "\n";
  return text;
}

bool Manifest::Parse(const std::string& text) {
  entries_.clear();
  index_.clear();
  for (const std::string& line : TextLines(text)) {
    // "<hex>  <name>" in text mode, "<hex> *<name>" in binary mode; both name the file alike.
    if (line.size() < 67 || !IsHex(line.substr(0, 64)) || line[64] != ' ') continue;
    if (line[65] != ' ' && line[65] != '*') continue;
    // Lists written by other tools may spell the digits in capitals; this one's are small.
    std::string hex = line.substr(0, 64);
    for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string name = Normal(line.substr(66));
    if (WithinFolder(name)) Set(name, hex);
  }
  return !index_.empty();
}

bool ReadManifest(IFileSystem& fs, const std::string& folder, Manifest* manifest) {
  std::string text;
  if (!fs.ReadFile(folder + "\\" + kManifestFile, &text)) return false;
  return manifest->Parse(text);
}

Vouch CheckFile(IFileStreams& streams, const Manifest* manifest, const std::string& path,
                const std::string& relPath) {
  if (!manifest) return Vouch::NoList;
  const std::string* listed = manifest->Find(relPath);
  if (!listed) return Vouch::Unlisted;
  std::string hex;
  return Sha256File(streams, path, &hex) && hex == *listed ? Vouch::Good : Vouch::Mismatch;
}

ChecksAhead::ChecksAhead(IProcesses& processes, IFileStreams& streams, const Manifest* manifest,
                         std::vector<File> files)
    : manifest_(manifest), hashes_(std::make_unique<FileHashes>(processes, streams)) {
  for (File& f : files) {
    Job job;
    job.file = std::move(f);
    if (manifest_) job.listed = manifest_->Find(job.file.relPath);
    jobs_.push_back(std::move(job));
  }
  StartMore();
}

ChecksAhead::~ChecksAhead() = default;  // the hashes wait for their threads

void ChecksAhead::StartMore() {
  for (; started_ < jobs_.size(); ++started_) {
    Job& job = jobs_[started_];
    if (!job.listed) continue;
    if (hashes_->Size() >= FileHashes::kMaxInFlight) return;
    hashes_->Add(job.file.path);
  }
}

void ChecksAhead::Settle(std::size_t i, bool wait) {
  for (; settled_ <= i && settled_ < jobs_.size(); ++settled_) {
    Job& job = jobs_[settled_];
    if (job.listed) {
      if (settled_ >= started_) StartMore();
      if (!wait && !hashes_->FrontReady()) return;
      std::string hex;
      job.matches = hashes_->Take(&hex) && hex == *job.listed;
    }
    job.done = true;
    StartMore();
  }
}

Vouch ChecksAhead::Result(std::size_t i) {
  if (!manifest_) return Vouch::NoList;
  if (!jobs_[i].listed) return Vouch::Unlisted;
  Settle(i, true);
  return jobs_[i].matches ? Vouch::Good : Vouch::Mismatch;
}

bool ChecksAhead::Ready(std::size_t i) {
  Settle(i, false);
  return !manifest_ || !jobs_[i].listed || jobs_[i].done;
}

std::string ManifestPath(const std::string& subFolder, const std::string& name) {
  return subFolder.empty() ? name : subFolder + "/" + name;
}

}  // namespace lark
