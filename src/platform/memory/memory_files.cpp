// Minimal for now: one fixed drive C: and the whole-file calls. The directory search,
// attributes and the shell copy are filled in with the file-system services.
#include "platform/memory/memory_files.h"

#include <algorithm>
#include <cctype>

namespace lark {

namespace {
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
std::vector<std::string> SplitPath(const std::string& rest) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : rest) {
    if (c == '\\' || c == '/') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}
}  // namespace

MemoryFileSystem::Node* MemoryFileSystem::Node::Child(const std::string& n) {
  for (auto& c : children)
    if (Lower(c->name) == Lower(n)) return c.get();
  return nullptr;
}

MemoryFileSystem::MemoryFileSystem() { AddDrive('C'); }

void MemoryFileSystem::AddDrive(char letter, std::uint32_t driveType, bool ready) {
  Drive d;
  d.type = driveType;
  d.ready = ready;
  d.root = std::make_unique<Node>();
  d.root->attributes = kFileAttributeDirectory;
  drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = std::move(d);
}

std::string MemoryFileSystem::Absolute(const std::string& path) const {
  if (path.size() >= 2 && path[1] == ':') {
    if (path.size() == 2 || (path[2] != '\\' && path[2] != '/'))
      return path.substr(0, 2) + "\\" + path.substr(2);  // drive-relative: treat as root
    return path;
  }
  if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return cwd_.substr(0, 2) + path;
  std::string base = cwd_;
  if (base.back() != '\\') base += '\\';
  return base + path;
}

MemoryFileSystem::Node* MemoryFileSystem::Lookup(const std::string& absolutePath) {
  if (absolutePath.size() < 2 || absolutePath[1] != ':') return nullptr;
  auto it = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(absolutePath[0]))));
  if (it == drives_.end() || !it->second.ready) return nullptr;
  Node* n = it->second.root.get();
  std::vector<Node*> stack{n};
  for (const std::string& part : SplitPath(absolutePath.substr(2))) {
    if (part == ".") continue;
    if (part == "..") {
      if (stack.size() > 1) stack.pop_back();
      n = stack.back();
      continue;
    }
    n = n->Child(part);
    if (!n) return nullptr;
    stack.push_back(n);
  }
  return n;
}

MemoryFileSystem::Node* MemoryFileSystem::Parent(const std::string& absolutePath,
                                                 std::string* leaf) {
  std::size_t slash = absolutePath.find_last_of('\\');
  if (slash == std::string::npos) return nullptr;
  *leaf = absolutePath.substr(slash + 1);
  if (leaf->empty()) return nullptr;
  return Lookup(absolutePath.substr(0, slash + 1));
}

void MemoryFileSystem::AddFolder(const std::string& path, std::uint32_t attributes) {
  std::string abs = Absolute(path);
  Node* n = Lookup(abs.substr(0, 3));
  if (!n) return;
  for (const std::string& part : SplitPath(abs.substr(2))) {
    Node* c = n->Child(part);
    if (!c) {
      n->children.push_back(std::make_unique<Node>());
      c = n->children.back().get();
      c->name = part;
      c->attributes = kFileAttributeDirectory;
    }
    n = c;
  }
  n->attributes = attributes | kFileAttributeDirectory;
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& contents,
                               std::uint32_t attributes) {
  std::string abs = Absolute(path);
  std::size_t slash = abs.find_last_of('\\');
  AddFolder(abs.substr(0, slash + 1));
  std::string leaf;
  Node* parent = Parent(abs, &leaf);
  if (!parent) return;
  Node* f = parent->Child(leaf);
  if (!f) {
    parent->children.push_back(std::make_unique<Node>());
    f = parent->children.back().get();
    f->name = leaf;
  }
  f->attributes = attributes & ~kFileAttributeDirectory;
  f->contents = contents;
}

bool MemoryFileSystem::Exists(const std::string& path) { return Lookup(Absolute(path)); }

std::string MemoryFileSystem::Contents(const std::string& path) {
  Node* n = Lookup(Absolute(path));
  return n ? n->contents : std::string();
}

long MemoryFileSystem::FindFiles(const std::string&, std::vector<FindEntry>* entries) {
  entries->clear();
  return lastError_ = kErrorFileNotFound;
}

std::uint32_t MemoryFileSystem::GetFileAttributesA(const std::string& path) {
  Node* n = Lookup(Absolute(path));
  if (!n) {
    lastError_ = kErrorFileNotFound;
    return kInvalidFileAttributes;
  }
  return n->attributes;
}

bool MemoryFileSystem::SetCurrentDirectoryA(const std::string& path) {
  std::string abs = Absolute(path);
  Node* n = Lookup(abs);
  if (!n || !(n->attributes & kFileAttributeDirectory)) {
    lastError_ = kErrorPathNotFound;
    return false;
  }
  cwd_ = abs;
  if (cwd_.size() > 3 && cwd_.back() == '\\') cwd_.pop_back();
  return true;
}

bool MemoryFileSystem::CreateDirectoryA(const std::string& path) {
  std::string abs = Absolute(path);
  if (abs.size() > 3 && abs.back() == '\\') abs.pop_back();
  std::string leaf;
  Node* parent = Parent(abs, &leaf);
  if (!parent) {
    lastError_ = kErrorPathNotFound;
    return false;
  }
  if (parent->Child(leaf)) {
    lastError_ = kErrorAlreadyExists;
    return false;
  }
  AddFolder(abs);
  return true;
}

bool MemoryFileSystem::MakeSureDirectoryPathExists(const std::string& path) {
  std::string abs = Absolute(path);
  std::size_t slash = abs.find_last_of('\\');
  if (slash == std::string::npos) return false;
  if (!Lookup(abs.substr(0, 3))) {
    lastError_ = kErrorPathNotFound;
    return false;
  }
  AddFolder(abs.substr(0, slash + 1));
  Node* n = Lookup(abs.substr(0, slash + 1));
  return n && (n->attributes & kFileAttributeDirectory);
}

std::uint32_t MemoryFileSystem::GetDriveTypeA(const std::string& root) {
  if (root.empty()) return GetDriveTypeA(cwd_.substr(0, 3));
  auto it = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(root[0]))));
  return it == drives_.end() ? kDriveNoRootDir : it->second.type;
}

bool MemoryFileSystem::ReadFile(const std::string& path, std::string* contents) {
  Node* n = Lookup(Absolute(path));
  if (!n || (n->attributes & kFileAttributeDirectory)) {
    lastError_ = kErrorFileNotFound;
    return false;
  }
  *contents = n->contents;
  return true;
}

bool MemoryFileSystem::WriteFile(const std::string& path, const std::string& contents) {
  std::string abs = Absolute(path);
  std::string leaf;
  Node* parent = Parent(abs, &leaf);
  if (!parent) {
    lastError_ = kErrorPathNotFound;
    return false;
  }
  AddFile(abs, contents);
  return true;
}

bool MemoryFileSystem::DeleteFileA(const std::string& path) {
  std::string abs = Absolute(path);
  std::string leaf;
  Node* parent = Parent(abs, &leaf);
  if (!parent) return false;
  auto& ch = parent->children;
  auto it = std::find_if(ch.begin(), ch.end(),
                         [&](auto& c) { return Lower(c->name) == Lower(leaf); });
  if (it == ch.end() || ((*it)->attributes & kFileAttributeDirectory)) {
    lastError_ = kErrorFileNotFound;
    return false;
  }
  ch.erase(it);
  return true;
}

bool MemoryFileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  std::string contents;
  if (!ReadFile(from, &contents)) return false;
  if (!WriteFile(to, contents)) return false;
  return DeleteFileA(from);
}

int MemoryFileSystem::ShellCopy(const std::string& from, const std::string& to, bool,
                                const std::function<bool(const std::string&)>&) {
  std::string contents;
  if (!ReadFile(from, &contents)) return 1026;
  return WriteFile(to, contents) ? 0 : 1026;
}

}  // namespace lark
