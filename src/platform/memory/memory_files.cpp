// The in-memory file system: path resolution, DOS wildcard searches, folder creation and
// the shell's copy, each answering as the Win32 call of the same name does.
#include "platform/memory/memory_files.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace lark {

namespace {

constexpr long kErrorBadNetPath = 53;
constexpr long kErrorDirectory = 267;
constexpr int kShellSameFile = 113;
constexpr int kShellCancelled = 1223;
constexpr int kShellSourceMissing = 1026;

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string UpperText(std::string s) {
  for (char& c : s) c = Upper(c);
  return s;
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperText(a) == UpperText(b);
}

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

// Characters Windows refuses in a file or folder name (wildcards are checked apart).
bool HasForbidden(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|", c)) return true;
  return false;
}

// A name that is already a valid 8.3 name needs no second, short name.
bool IsShortName(const std::string& name) {
  if (name == "." || name == "..") return true;
  std::size_t dot = name.find('.');
  if (dot != std::string::npos && name.find('.', dot + 1) != std::string::npos) return false;
  std::size_t baseLength = dot == std::string::npos ? name.size() : dot;
  std::size_t extLength = dot == std::string::npos ? 0 : name.size() - dot - 1;
  if (baseLength == 0 || baseLength > 8 || extLength > 3) return false;
  for (char c : name)
    if (c == ' ' || std::strchr("+,;=[]", c)) return false;
  return true;
}

// The 8.3 name Windows gives a long name: blanks and extra dots dropped, the base cut to
// six characters plus "~n", the extension to three. Windows numbers ~1, ~2, ... and later
// switches to a hash; the numbering is enough here.
std::string MakeShortName(const std::string& name, const std::vector<std::string>& taken) {
  auto clean = [](char c) { return std::strchr("+,;=[]", c) ? '_' : Upper(c); };
  std::size_t lastDot = name.find_last_of('.');
  if (lastDot == 0) lastDot = std::string::npos;  // ".profile" has no extension
  std::string base, ext;
  std::size_t baseEnd = lastDot == std::string::npos ? name.size() : lastDot;
  for (std::size_t i = 0; i < baseEnd; ++i)
    if (name[i] != ' ' && name[i] != '.') base += clean(name[i]);
  if (lastDot != std::string::npos)
    for (std::size_t i = lastDot + 1; i < name.size() && ext.size() < 3; ++i)
      if (name[i] != ' ' && name[i] != '.') ext += clean(name[i]);
  if (base.empty()) base = "_";
  for (int n = 1;; ++n) {
    std::string tail = "~" + std::to_string(n);
    std::string candidate = base.substr(0, 8 - tail.size()) + tail;
    if (!ext.empty()) candidate += "." + ext;
    if (std::none_of(taken.begin(), taken.end(),
                     [&](const std::string& t) { return SameName(t, candidate); }))
      return candidate;
  }
}

// DOS wildcard matching as Windows does it for FindFirstFile: the mask is first rewritten
// with the DOS wildcards, then matched without regard to case.
class DosMask {
 public:
  explicit DosMask(const std::string& mask) {
    for (std::size_t i = 0; i < mask.size(); ++i) {
      char c = mask[i];
      char next = i + 1 < mask.size() ? mask[i + 1] : '\0';
      if (c == '?')
        items_.push_back({Kind::DosQm, c});
      else if (c == '*')
        items_.push_back({next == '.' ? Kind::DosStar : Kind::Star, c});
      else if (c == '.' && (next == '\0' || next == '?' || next == '*'))
        items_.push_back({Kind::DosDot, c});
      else
        items_.push_back({Kind::Char, Upper(c)});
    }
  }

  bool Matches(const std::string& name) const {
    name_ = UpperText(name);
    memo_.assign((items_.size() + 1) * (name_.size() + 1), 0);
    return Match(0, 0);
  }

 private:
  enum class Kind { Char, Star, DosStar, DosQm, DosDot };
  struct Item {
    Kind kind;
    char c;
  };

  bool Match(std::size_t pi, std::size_t ni) const {
    char& memo = memo_[pi * (name_.size() + 1) + ni];
    if (memo) return memo == 1;
    bool result = MatchUncached(pi, ni);
    memo = result ? 1 : 2;
    return result;
  }

  bool MatchUncached(std::size_t pi, std::size_t ni) const {
    const std::size_t n = name_.size();
    if (pi == items_.size()) return ni == n;
    switch (items_[pi].kind) {
      case Kind::Star:
        for (std::size_t k = ni; k <= n; ++k)
          if (Match(pi + 1, k)) return true;
        return false;
      case Kind::DosStar: {
        // Any run of characters up to, not past, the name's last dot.
        std::size_t lastDot = name_.find_last_of('.');
        std::size_t limit = lastDot != std::string::npos && lastDot >= ni ? lastDot : n;
        for (std::size_t k = ni; k <= limit; ++k)
          if (Match(pi + 1, k)) return true;
        return false;
      }
      case Kind::DosQm: {
        if (ni < n && name_[ni] != '.') return Match(pi + 1, ni + 1);
        // At a dot or at the end, this and the following "?" match nothing.
        std::size_t q = pi;
        while (q < items_.size() && items_[q].kind == Kind::DosQm) ++q;
        return Match(q, ni);
      }
      case Kind::DosDot:
        if (ni == n) return Match(pi + 1, ni);
        return name_[ni] == '.' && Match(pi + 1, ni + 1);
      case Kind::Char: return ni < n && name_[ni] == items_[pi].c && Match(pi + 1, ni + 1);
    }
    return false;
  }

  std::vector<Item> items_;
  mutable std::string name_;
  mutable std::vector<char> memo_;
};

}  // namespace

struct MemoryFileSystem::Node {
  std::string name;
  std::string shortName;  // "" when the name is a valid 8.3 name itself
  std::uint32_t attributes = 0;
  std::string contents;
  Node* parent = nullptr;
  std::vector<std::unique_ptr<Node>> children;  // in creation order

  bool IsFolder() const { return (attributes & kFileAttributeDirectory) != 0; }
  Node* Child(const std::string& n) const {
    for (const auto& c : children)
      if (SameName(c->name, n) || (!c->shortName.empty() && SameName(c->shortName, n)))
        return c.get();
    return nullptr;
  }
  bool Within(const Node* folder) const {
    for (const Node* n = this; n; n = n->parent)
      if (n == folder) return true;
    return false;
  }
};

struct MemoryFileSystem::Drive {
  std::uint32_t type = kDriveFixed;
  bool ready = true;
  bool fatOrder = false;
  Node root;
};

struct MemoryFileSystem::Path {
  long error = 0;  // the text names nothing at all (bad characters, a network path)
  char drive = 0;
  std::vector<std::string> parts;
  bool trailingSeparator = false;
};

struct MemoryFileSystem::Lookup {
  long error = 0;
  Drive* drive = nullptr;
  Node* node = nullptr;
};

MemoryFileSystem::MemoryFileSystem() { AddDrive('C'); }
MemoryFileSystem::~MemoryFileSystem() = default;

long MemoryFileSystem::Fail(long code) { return lastError_ = code; }
bool MemoryFileSystem::Failed(long code) {
  lastError_ = code;
  return false;
}

MemoryFileSystem::Path MemoryFileSystem::Resolve(const std::string& text) const {
  Path r;
  if (text.empty()) {
    r.error = kErrorPathNotFound;
    return r;
  }
  std::string s = text;
  std::replace(s.begin(), s.end(), '/', '\\');
  if (s.size() >= 2 && s[0] == '\\' && s[1] == '\\') {
    r.error = kErrorBadNetPath;  // no network in here
    return r;
  }
  std::size_t pos = 0;
  if (s.size() >= 2 && s[1] == ':') {
    if (!std::isalpha(static_cast<unsigned char>(s[0]))) {
      r.error = kErrorInvalidName;
      return r;
    }
    r.drive = Upper(s[0]);
    pos = 2;
    if ((pos >= s.size() || s[pos] != '\\') && r.drive == currentDrive_) r.parts = currentParts_;
  } else {
    r.drive = currentDrive_;
    if (s[0] != '\\') r.parts = currentParts_;
  }
  r.trailingSeparator = s.back() == '\\';
  std::size_t start = pos;
  bool lastFromText = false;
  while (start <= s.size()) {
    std::size_t end = s.find('\\', start);
    if (end == std::string::npos) end = s.size();
    std::string part = s.substr(start, end - start);
    start = end + 1;
    lastFromText = false;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!r.parts.empty()) r.parts.pop_back();
      continue;
    }
    if (HasForbidden(part) || HasWildcard(part)) {
      r.error = kErrorInvalidName;
      return r;
    }
    r.parts.push_back(part);
    lastFromText = true;
  }
  // Windows ignores trailing dots and blanks at the end of a path.
  if (lastFromText && !r.trailingSeparator) {
    std::string& last = r.parts.back();
    while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.pop_back();
    if (last.empty()) r.parts.pop_back();
  }
  return r;
}

MemoryFileSystem::Lookup MemoryFileSystem::Find(const Path& path, bool evenIfNotReady) const {
  Lookup l;
  if (path.error) {
    l.error = path.error;
    return l;
  }
  auto it = drives_.find(path.drive);
  if (it == drives_.end()) {
    l.error = kErrorPathNotFound;
    return l;
  }
  l.drive = it->second.get();
  if (!l.drive->ready && !evenIfNotReady) {
    l.error = kErrorNotReady;
    return l;
  }
  Node* n = &l.drive->root;
  for (std::size_t i = 0; i < path.parts.size(); ++i) {
    Node* c = n->IsFolder() ? n->Child(path.parts[i]) : nullptr;
    if (!c) {
      l.error =
          i + 1 == path.parts.size() && n->IsFolder() ? kErrorFileNotFound : kErrorPathNotFound;
      return l;
    }
    n = c;
  }
  if (path.trailingSeparator && !n->IsFolder()) {
    l.error = kErrorInvalidName;
    return l;
  }
  l.node = n;
  return l;
}

MemoryFileSystem::Node* MemoryFileSystem::FindNode(const std::string& path) const {
  return Find(Resolve(path), true).node;
}

MemoryFileSystem::Node* MemoryFileSystem::MakeChild(Node* parent, const std::string& name,
                                                    std::uint32_t attributes) {
  auto node = std::make_unique<Node>();
  node->name = name;
  if (!IsShortName(name)) {
    std::vector<std::string> taken;
    for (const auto& c : parent->children) {
      taken.push_back(c->name);
      if (!c->shortName.empty()) taken.push_back(c->shortName);
    }
    node->shortName = MakeShortName(name, taken);
  }
  node->attributes = attributes;
  node->parent = parent;
  parent->children.push_back(std::move(node));
  return parent->children.back().get();
}

MemoryFileSystem::Node* MemoryFileSystem::EnsureFolders(const Path& path, std::size_t count,
                                                        bool evenIfNotReady) {
  Lookup root = Find(Path{0, path.drive, {}, false}, evenIfNotReady);
  if (path.error || root.error) return nullptr;
  Node* n = root.node;
  for (std::size_t i = 0; i < count; ++i) {
    Node* c = n->Child(path.parts[i]);
    if (!c) c = MakeChild(n, path.parts[i], kFileAttributeDirectory);
    if (!c->IsFolder()) return nullptr;
    n = c;
  }
  return n;
}

// ---------------------------------------------------------------------------
// Test set-up
// ---------------------------------------------------------------------------
void MemoryFileSystem::AddDrive(char letter, std::uint32_t driveType, bool ready, bool fatOrder) {
  auto d = std::make_unique<Drive>();
  d->type = driveType;
  d->ready = ready;
  d->fatOrder = fatOrder;
  d->root.attributes = kFileAttributeDirectory;
  drives_[Upper(letter)] = std::move(d);
}

void MemoryFileSystem::SetDriveReady(char letter, bool ready) {
  auto it = drives_.find(Upper(letter));
  if (it != drives_.end()) it->second->ready = ready;
}

void MemoryFileSystem::AddFolder(const std::string& path, std::uint32_t attributes) {
  Path p = Resolve(path);
  if (p.error) return;
  if (!drives_.count(p.drive)) AddDrive(p.drive);
  Node* n = EnsureFolders(p, p.parts.size(), true);
  if (n && n->parent) n->attributes = attributes | kFileAttributeDirectory;
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& contents,
                               std::uint32_t attributes) {
  Path p = Resolve(path);
  if (p.error || p.parts.empty()) return;
  if (!drives_.count(p.drive)) AddDrive(p.drive);
  Node* folder = EnsureFolders(p, p.parts.size() - 1, true);
  if (!folder) return;
  Node* f = folder->Child(p.parts.back());
  if (f && f->IsFolder()) return;
  if (!f) f = MakeChild(folder, p.parts.back(), 0);
  f->attributes = attributes & ~kFileAttributeDirectory;
  f->contents = contents;
}

bool MemoryFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  Node* n = FindNode(path);
  if (!n || !n->parent) return false;
  n->attributes =
      (attributes & ~kFileAttributeDirectory) | (n->attributes & kFileAttributeDirectory);
  return true;
}

bool MemoryFileSystem::Exists(const std::string& path) { return FindNode(path) != nullptr; }

std::string MemoryFileSystem::Contents(const std::string& path) {
  Node* n = FindNode(path);
  return n ? n->contents : std::string();
}

std::string MemoryFileSystem::Absolute(const std::string& path) const {
  Path p = Resolve(path);
  if (p.error) return std::string();
  std::string s(1, p.drive);
  s += ":\\";
  for (std::size_t i = 0; i < p.parts.size(); ++i) s += (i ? "\\" : "") + p.parts[i];
  return s;
}

// ---------------------------------------------------------------------------
// IFileSystem
// ---------------------------------------------------------------------------
long MemoryFileSystem::FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) {
  entries->clear();
  if (pattern.empty()) return Fail(kErrorPathNotFound);
  std::string s = pattern;
  std::replace(s.begin(), s.end(), '/', '\\');
  std::string folderText, mask;
  std::size_t cut = s.find_last_of('\\');
  if (cut != std::string::npos) {
    folderText = s.substr(0, cut + 1);
    mask = s.substr(cut + 1);
  } else if (s.size() >= 2 && s[1] == ':') {
    folderText = s.substr(0, 2);
    mask = s.substr(2);
  } else {
    folderText = ".";
    mask = s;
  }
  Path folderPath = Resolve(folderText);
  folderPath.trailingSeparator = false;  // a file there is reported as "not a folder"
  Lookup folder = Find(folderPath);
  if (folder.error)
    return Fail(folder.error == kErrorFileNotFound ? kErrorPathNotFound : folder.error);
  if (!folder.node->IsFolder()) return Fail(kErrorDirectory);
  if (mask.empty() || HasForbidden(mask)) return Fail(kErrorFileNotFound);

  auto entryOf = [](const Node& n, const std::string& name) {
    FindEntry e;
    e.name = name;
    e.attributes = n.attributes;
    e.size = n.IsFolder() ? 0 : n.contents.size();
    return e;
  };

  if (!HasWildcard(mask)) {
    // One name: Windows looks that entry up, "." and ".." included.
    Lookup l = Find(Resolve(s));
    if (l.error) return Fail(l.error);
    if (!l.node->parent) return Fail(kErrorFileNotFound);  // a drive root is no entry
    entries->push_back(entryOf(*l.node, l.node->name));
    return lastError_ = 0;
  }

  DosMask dos(mask);
  Node* dir = folder.node;
  if (dir->parent) {
    if (dos.Matches(".")) entries->push_back(entryOf(*dir, "."));
    if (dos.Matches("..")) entries->push_back(entryOf(*dir->parent, ".."));
  }
  std::vector<const Node*> order;
  for (const auto& c : dir->children) order.push_back(c.get());
  if (!folder.drive->fatOrder)
    std::stable_sort(order.begin(), order.end(), [](const Node* a, const Node* b) {
      return UpperText(a->name) < UpperText(b->name);
    });
  for (const Node* c : order)
    if (dos.Matches(c->name) || (!c->shortName.empty() && dos.Matches(c->shortName)))
      entries->push_back(entryOf(*c, c->name));
  if (entries->empty()) return Fail(kErrorFileNotFound);
  return lastError_ = 0;
}

std::uint32_t MemoryFileSystem::GetFileAttributesA(const std::string& path) {
  Lookup l = Find(Resolve(path));
  if (l.error) {
    Fail(l.error);
    return kInvalidFileAttributes;
  }
  lastError_ = 0;
  return l.node->attributes;
}

std::string MemoryFileSystem::GetCurrentDirectoryA() {
  std::string s(1, currentDrive_);
  s += ":\\";
  for (std::size_t i = 0; i < currentParts_.size(); ++i) s += (i ? "\\" : "") + currentParts_[i];
  return s;
}

bool MemoryFileSystem::SetCurrentDirectoryA(const std::string& path) {
  Path p = Resolve(path);
  Lookup l = Find(p);
  if (l.error) return Failed(l.error);
  if (!l.node->IsFolder()) return Failed(kErrorDirectory);
  currentDrive_ = p.drive;
  currentParts_ = p.parts;
  lastError_ = 0;
  return true;
}

bool MemoryFileSystem::CreateDirectoryA(const std::string& path) {
  Path p = Resolve(path);
  if (p.error) return Failed(p.error);
  if (p.parts.empty()) return Failed(kErrorAlreadyExists);  // a drive root
  Path parentPath = p;
  parentPath.parts.pop_back();
  parentPath.trailingSeparator = false;
  Lookup parent = Find(parentPath);
  if (parent.error == kErrorNotReady) return Failed(kErrorNotReady);
  if (parent.error || !parent.node->IsFolder()) return Failed(kErrorPathNotFound);
  if (parent.node->Child(p.parts.back())) return Failed(kErrorAlreadyExists);
  MakeChild(parent.node, p.parts.back(), kFileAttributeDirectory);
  lastError_ = 0;
  return true;
}

bool MemoryFileSystem::MakeSureDirectoryPathExists(const std::string& path) {
  // imagehlp's own walk: every prefix that ends in "\" after the drive root is made in turn;
  // one that exists already, as a folder or as a file, is passed over.
  std::size_t i = 0;
  if (path.size() >= 2 && path[1] == ':') i = 2;
  while (i < path.size() && path[i] == '\\') ++i;
  for (std::size_t slash = path.find('\\', i); slash != std::string::npos;
       slash = path.find('\\', slash + 1)) {
    if (!CreateDirectoryA(path.substr(0, slash + 1)) && lastError_ != kErrorAlreadyExists)
      return false;
  }
  lastError_ = 0;
  return true;
}

std::uint32_t MemoryFileSystem::GetDriveTypeA(const std::string& root) {
  char letter = currentDrive_;
  if (!root.empty()) {
    if (root.size() != 3 || root[1] != ':' || root[2] != '\\') return kDriveNoRootDir;
    letter = Upper(root[0]);
  }
  auto it = drives_.find(letter);
  return it == drives_.end() ? kDriveNoRootDir : it->second->type;
}

bool MemoryFileSystem::ReadFile(const std::string& path, std::string* contents) {
  Lookup l = Find(Resolve(path));
  if (l.error) return Failed(l.error);
  if (l.node->IsFolder()) return Failed(kErrorAccessDenied);
  *contents = l.node->contents;
  lastError_ = 0;
  return true;
}

bool MemoryFileSystem::WriteFile(const std::string& path, const std::string& contents) {
  Path p = Resolve(path);
  if (p.error) return Failed(p.error);
  if (p.parts.empty() || p.trailingSeparator) return Failed(kErrorInvalidName);
  Path parentPath = p;
  parentPath.parts.pop_back();
  Lookup parent = Find(parentPath);
  if (parent.error == kErrorNotReady) return Failed(kErrorNotReady);
  if (parent.error || !parent.node->IsFolder()) return Failed(kErrorPathNotFound);
  Node* f = parent.node->Child(p.parts.back());
  // CREATE_ALWAYS with normal attributes refuses folders and read-only, hidden or system files.
  if (f && (f->IsFolder() || (f->attributes & (kFileAttributeReadOnly | kFileAttributeHidden |
                                               kFileAttributeSystem))))
    return Failed(kErrorAccessDenied);
  if (!f) f = MakeChild(parent.node, p.parts.back(), 0);
  f->attributes = kFileAttributeArchive;
  f->contents = contents;
  lastError_ = 0;
  return true;
}

bool MemoryFileSystem::DeleteFileA(const std::string& path) {
  Lookup l = Find(Resolve(path));
  if (l.error) return Failed(l.error);
  if (!l.node->parent || l.node->IsFolder() || (l.node->attributes & kFileAttributeReadOnly))
    return Failed(kErrorAccessDenied);
  auto& siblings = l.node->parent->children;
  siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                              [&](const auto& c) { return c.get() == l.node; }));
  lastError_ = 0;
  return true;
}

bool MemoryFileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  Lookup source = Find(Resolve(from));
  if (source.error) return Failed(source.error);
  if (source.node->IsFolder()) return Failed(kErrorAccessDenied);
  Lookup target = Find(Resolve(to));
  if (target.node == source.node) return lastError_ = 0, true;
  if (target.node &&
      (target.node->IsFolder() || (target.node->attributes & kFileAttributeReadOnly)))
    return Failed(kErrorAccessDenied);
  std::string contents = source.node->contents;
  std::uint32_t attributes = source.node->attributes;
  if (!target.node) {
    if (!WriteFile(to, contents)) return false;
    target = Find(Resolve(to));
  }
  target.node->contents = contents;
  target.node->attributes = attributes;
  auto& siblings = source.node->parent->children;
  siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                              [&](const auto& c) { return c.get() == source.node; }));
  lastError_ = 0;
  return true;
}

// ---------------------------------------------------------------------------
// The shell's copy
// ---------------------------------------------------------------------------
void MemoryFileSystem::CopyTree(const Node& from, Node* into) {
  for (const auto& c : from.children) {
    Node* existing = into->Child(c->name);
    if (c->IsFolder()) {
      if (!existing) existing = MakeChild(into, c->name, c->attributes);
      if (existing->IsFolder()) CopyTree(*c, existing);
    } else if (!existing || !existing->IsFolder()) {
      if (!existing) existing = MakeChild(into, c->name, 0);
      existing->contents = c->contents;
      existing->attributes = c->attributes | kFileAttributeArchive;
    }
  }
}

int MemoryFileSystem::CopyFileTo(const Node& source, Node* folder, const std::string& name,
                                 bool namedTarget, bool noConfirmation,
                                 const std::function<bool(const std::string&)>& confirmReplace,
                                 const std::string& targetText) {
  // Wine's shell reports a failed or declined copy into a folder as success.
  const int failed = namedTarget ? kShellCancelled : 0;
  Node* existing = folder->Child(name);
  if (existing == &source) {
    if (namedTarget) return kShellSameFile;
    if (!noConfirmation && confirmReplace) confirmReplace(targetText);
    return 0;  // the copy onto itself fails, and a copy into a folder reports no failure
  }
  if (existing && existing->IsFolder()) return failed;
  if (existing && !noConfirmation && confirmReplace && !confirmReplace(targetText)) return failed;
  if (!existing) existing = MakeChild(folder, name, 0);
  existing->contents = source.contents;
  existing->attributes = source.attributes | kFileAttributeArchive;
  return 0;
}

int MemoryFileSystem::ShellCopy(const std::string& from, const std::string& to, bool noConfirmation,
                                const std::function<bool(const std::string&)>& confirmReplace) {
  if (from.empty()) return kErrorAccessDenied;
  // A wildcard source would make a list of sources; the program never passes one.
  Path sourcePath = Resolve(from);
  Lookup source = Find(sourcePath);
  if (source.error) return kShellSourceMissing;

  Path dest = Resolve(to.empty() ? std::string(".") : to);  // "" is the current directory
  if (dest.error) return kShellCancelled;
  Lookup existing = Find(dest);
  bool intoFolder = (existing.node && existing.node->IsFolder()) || dest.trailingSeparator;
  std::string destText = Absolute(to.empty() ? std::string(".") : to);

  if (source.node->IsFolder()) {
    // The whole tree is copied: into an existing or "\"-ended destination folder under the
    // source's name (none when the source ended in "\": its contents land in the folder
    // itself), otherwise as the destination.
    Node* target = EnsureFolders(dest, dest.parts.size());
    if (!target) return kShellCancelled;
    std::string name = from.back() == '\\' || from.back() == '/' || sourcePath.parts.empty()
                           ? std::string()
                           : sourcePath.parts.back();
    if (intoFolder && !name.empty()) {
      Node* inner = target->Child(name);
      if (inner && !noConfirmation && confirmReplace && !confirmReplace(destText + "\\" + name))
        return kShellCancelled;
      if (!inner) inner = MakeChild(target, name, source.node->attributes);
      if (!inner->IsFolder()) return kShellCancelled;
      target = inner;
    }
    if (target->Within(source.node)) return kShellCancelled;
    CopyTree(*source.node, target);
    return 0;
  }

  if (intoFolder) {
    Node* folder = EnsureFolders(dest, dest.parts.size());
    if (!folder) return kShellCancelled;
    // The new file takes the source's name as the caller spelled it.
    const std::string& name = sourcePath.parts.back();
    return CopyFileTo(*source.node, folder, name, false, noConfirmation, confirmReplace,
                      destText + "\\" + name);
  }
  Node* folder = EnsureFolders(dest, dest.parts.size() - 1);
  if (!folder) return kShellCancelled;
  return CopyFileTo(*source.node, folder, dest.parts.back(), true, noConfirmation, confirmReplace,
                    destText);
}

}  // namespace lark
