// The checksum list of a backup folder: the SHA-256 of every file a complete backup wrote,
// by its path inside the folder, in the format that `sha256sum -c` reads ("<hex>  <path>").
// Paths use "/" between folders: GNU sha256sum takes a backslash for part of the name, while
// Windows and its tools accept either separator.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace lark {

class FileHashes;

inline constexpr const char* kManifestFile = "Larkmoor.sha256";

class Manifest {
 public:
  // Adds or replaces the line of one file; relPath is taken with "\" or "/".
  void Set(const std::string& relPath, const std::string& hex);
  void Remove(const std::string& relPath);
  // The listed checksum, or nullptr; names are compared as Windows does, case ignored.
  const std::string* Find(const std::string& relPath) const;
  bool Empty() const { return index_.empty(); }
  // Every file the list names, with "/" between folders, and its checksum, in the list's order.
  std::vector<std::pair<std::string, std::string>> Files() const;
  std::string Text() const;
  // False when the text holds no usable line.
  bool Parse(const std::string& text);

 private:
  // Lines in the order they were set, path with "/" and hex; a removed line keeps its place
  // with no hex. The index finds a line by its folded path (FoldedName): a backup folder of a
  // thousand identities lists tens of thousands of files, and a list read from a backup
  // folder may hold as many lines as fit in the largest file that is read whole.
  std::vector<std::pair<std::string, std::string>> entries_;
  std::unordered_map<std::string, std::size_t> index_;
};

// Reads the backup folder's checksum list; false when it has none (or it cannot be read).
bool ReadManifest(IFileSystem& fs, const std::string& folder, Manifest* manifest);

// What the backup's checksum list says of one file about to be put back.
enum class Vouch {
  NoList,    // the backup has no list (made before there was one): restored as always
  Good,      // listed, and its checksum matches
  Mismatch,  // listed, but the file is not what the backup wrote (damaged since)
  Unlisted,  // the run that wrote the list did not vouch for it
};

// Reads the file once to check it; the copy that follows reads it from the cache.
Vouch CheckFile(IFileStreams& streams, const Manifest* manifest, const std::string& path,
                const std::string& relPath);

// The checks of several files against the list, taken ahead of their use: a few of the next
// listed files are read by the hashing threads while the caller works on those already
// checked, so that a restore copies one file while the next ones are being read, and each
// copy finds its file still in the cache.
class ChecksAhead {
 public:
  struct File {
    std::string path;
    std::string relPath;
  };
  ChecksAhead(IProcesses& processes, IFileStreams& streams, const Manifest* manifest,
              std::vector<File> files);
  ~ChecksAhead();  // waits for the files being read
  ChecksAhead(const ChecksAhead&) = delete;
  ChecksAhead& operator=(const ChecksAhead&) = delete;
  // What the list says of files[i], as CheckFile does; waits for its reading.
  Vouch Result(std::size_t i);
  // Whether Result(i) answers without waiting.
  bool Ready(std::size_t i);

 private:
  struct Job {
    File file;
    const std::string* listed = nullptr;  // the list's checksum; nullptr when it has none
    bool done = false;
    bool matches = false;
  };
  void StartMore();
  // Settles the files up to i as their checksums come in; waits for them when told to.
  void Settle(std::size_t i, bool wait);

  const Manifest* manifest_;
  std::vector<Job> jobs_;
  std::unique_ptr<FileHashes> hashes_;
  std::size_t started_ = 0;  // files before this one were handed to the hashes (or need none)
  std::size_t settled_ = 0;  // files before this one have their answer
};

// A path inside the folder as the checksum list names it: "Main Identity/Inbox.dbx".
std::string ManifestPath(const std::string& subFolder, const std::string& name);

}  // namespace lark
