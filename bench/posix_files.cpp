#include "posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>

namespace lark::bench {

double g_flushSeconds = 0;

namespace {

long Win32Code(int e) {
  switch (e) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM: return kErrorAccessDenied;
    case EEXIST: return kErrorAlreadyExists;
    default: return kErrorInvalidParameter;
  }
}

class FdReader : public IFileReader {
 public:
  explicit FdReader(int fd) : fd_(fd) {}
  ~FdReader() override { ::close(fd_); }
  bool Read(char* buffer, std::size_t capacity, std::size_t* got) override {
    for (;;) {
      ssize_t n = ::read(fd_, buffer, capacity);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      *got = static_cast<std::size_t>(n);
      return true;
    }
  }

 private:
  int fd_;
};

class FdWriter : public IFileWriter {
 public:
  explicit FdWriter(int fd) : fd_(fd) {}
  ~FdWriter() override {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Write(const char* data, std::size_t size) override {
    while (size > 0) {
      ssize_t n = ::write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  bool Commit() override {
    auto start = std::chrono::steady_clock::now();
    bool ok = ::fsync(fd_) == 0;
    g_flushSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    return ok;
  }

 private:
  int fd_;
};

}  // namespace

long PosixFileSystem::Fail() { return lastError_ = Win32Code(errno); }

long PosixFileSystem::FindFiles(const std::string&, std::vector<FindEntry>* entries) {
  entries->clear();
  return lastError_ = kErrorInvalidParameter;
}

std::uint32_t PosixFileSystem::GetFileAttributesA(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    Fail();
    return kInvalidFileAttributes;
  }
  lastError_ = 0;
  return S_ISDIR(st.st_mode) ? kFileAttributeDirectory : kFileAttributeNormal;
}

std::string PosixFileSystem::GetCurrentDirectoryA() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof(buffer)) ? std::string(buffer) : std::string();
}

bool PosixFileSystem::SetCurrentDirectoryA(const std::string& path) {
  return ::chdir(path.c_str()) == 0 || (Fail(), false);
}

bool PosixFileSystem::CreateDirectoryA(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 || (Fail(), false);
}

bool PosixFileSystem::MakeSureDirectoryPathExists(const std::string&) { return false; }

std::uint32_t PosixFileSystem::GetDriveTypeA(const std::string&) { return kDriveFixed; }

bool PosixFileSystem::ReadFile(const std::string&, std::string*) { return false; }

bool PosixFileSystem::WriteFile(const std::string&, const std::string&) { return false; }

bool PosixFileSystem::DeleteFileA(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || (Fail(), false);
}

bool PosixFileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 || (Fail(), false);
}

std::unique_ptr<IFileReader> PosixFileStreams::OpenRead(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::make_unique<FdReader>(fd);
}

std::unique_ptr<IFileWriter> PosixFileStreams::Create(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<FdWriter>(fd);
}

}  // namespace lark::bench
