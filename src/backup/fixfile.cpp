#include "backup/fixfile.h"

#include <memory>
#include <vector>

#include "core/app.h"
#include "fs/folders.h"

namespace lark {

namespace {

constexpr std::size_t kBlock = 1 << 16;

// Walks the file one character (one byte, or one UTF-16 unit) at a time and halves each
// run of backslashes inside key lines.
class KeyLineRewriter {
 public:
  explicit KeyLineRewriter(IFileWriter& out) : out_(out) {}

  bool Feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      if (first_) {
        // The encoding is decided by the first block, which holds the whole byte-order mark
        // whenever the file has one.
        first_ = false;
        wide_ = size >= 2 && static_cast<unsigned char>(data[0]) == 0xFF &&
                static_cast<unsigned char>(data[1]) == 0xFE;
        if (wide_) {
          if (!Emit(data, 2)) return false;
          i = 1;
          continue;
        }
      }
      if (wide_) {
        if (!haveLow_) {
          low_ = data[i];
          haveLow_ = true;
          continue;
        }
        haveLow_ = false;
        unsigned unit = static_cast<unsigned char>(low_) |
                        (static_cast<unsigned>(static_cast<unsigned char>(data[i])) << 8);
        char bytes[2] = {low_, data[i]};
        if (!Unit(unit, bytes, 2)) return false;
      } else {
        if (!Unit(static_cast<unsigned char>(data[i]), &data[i], 1)) return false;
      }
    }
    return true;
  }

  bool Finish() {
    if (!FlushRun()) return false;
    if (haveLow_) return Emit(&low_, 1);  // an odd trailing byte is kept as it was
    return true;
  }
  bool changed() const { return changed_; }

 private:
  bool Unit(unsigned unit, const char* bytes, std::size_t width) {
    if (lineStart_) {
      inKey_ = unit == '[';
      lineStart_ = false;
    }
    if (inKey_ && unit == '\\') {
      ++run_;
      runBytes_.assign(bytes, bytes + width);
      return true;
    }
    if (!FlushRun()) return false;
    if (unit == '\n') lineStart_ = true;
    return Emit(bytes, width);
  }

  bool FlushRun() {
    if (run_ == 0) return true;
    std::size_t keep = run_ / 2 + run_ % 2;
    if (keep != run_) changed_ = true;
    for (std::size_t k = 0; k < keep; ++k)
      if (!Emit(runBytes_.data(), runBytes_.size())) return false;
    run_ = 0;
    return true;
  }

  bool Emit(const char* data, std::size_t size) {
    pending_.append(data, size);
    if (pending_.size() < kBlock) return true;
    bool ok = out_.Write(pending_.data(), pending_.size());
    pending_.clear();
    return ok;
  }

 public:
  bool Drain() {
    bool ok = pending_.empty() || out_.Write(pending_.data(), pending_.size());
    pending_.clear();
    return ok;
  }

 private:
  IFileWriter& out_;
  std::string pending_;
  std::vector<char> runBytes_;
  std::size_t run_ = 0;
  bool first_ = true;
  bool wide_ = false;
  bool haveLow_ = false;
  char low_ = 0;
  bool lineStart_ = true;
  bool inKey_ = false;
  bool changed_ = false;
};

}  // namespace

FixResult fixfile(App& app, const std::string& FileName) {
  IFileSystem& fs = app.p.files;
  if (fs.GetFileAttributesA(FileName) == kInvalidFileAttributes) return FixResult::Missing;
  std::unique_ptr<IFileReader> in = app.p.streams.OpenRead(FileName);
  if (!in) return FixResult::Failed;

  // The new text goes to a file beside the old one, which it replaces only when complete.
  const std::string temp = ScratchNameFor(FileName);
  bool written = false;
  bool changed = false;
  {
    std::unique_ptr<IFileWriter> out = app.p.streams.Create(temp);
    if (!out) return FixResult::Failed;
    KeyLineRewriter rewriter(*out);
    std::vector<char> block(kBlock);
    bool ok = true;
    for (;;) {
      std::size_t got = 0;
      if (!in->Read(block.data(), block.size(), &got)) {
        ok = false;
        break;
      }
      if (got == 0) break;
      if (!rewriter.Feed(block.data(), got)) {
        ok = false;
        break;
      }
    }
    ok = ok && rewriter.Finish() && rewriter.Drain();
    changed = rewriter.changed();
    written = ok && out->Commit();
  }
  in.reset();
  if (!written || !changed) {
    fs.DeleteFileA(temp);
    return written ? FixResult::Unchanged : FixResult::Failed;
  }
  if (!fs.MoveFileReplacing(temp, FileName)) {
    fs.DeleteFileA(temp);
    return FixResult::Failed;
  }
  return FixResult::Rewritten;
}

}  // namespace lark
