#include "backup/fixfile.h"

#include <cstring>
#include <memory>
#include <vector>

#include "fs/folders.h"

namespace lark {

namespace {

// Large enough that reading and writing take few system calls, small enough that memory
// stays a few megabytes whatever the file's size.
constexpr std::size_t kBlock = 1 << 20;

// Halves each run of backslashes inside key lines and passes everything else on as it
// came. Line ends and backslashes are found with memchr and the bytes between them handed
// on in one piece, so that the rewrite costs little more than a copy: a character-by-
// character loop made it several times slower than copying the file. A "unit" is one
// byte, or one UTF-16 code unit (W = 2) when the file starts with the byte-order mark.
class KeyLineRewriter {
 public:
  explicit KeyLineRewriter(IFileWriter& out) : out_(out) {}

  bool Feed(const char* data, std::size_t size) {
    if (size == 0) return true;
    if (first_) {
      // The encoding is decided by the first block, which holds the whole byte-order mark
      // whenever the file has one.
      first_ = false;
      wide_ = size >= 2 && static_cast<unsigned char>(data[0]) == 0xFF &&
              static_cast<unsigned char>(data[1]) == 0xFE;
      if (wide_) {
        if (!Emit(data, 2)) return false;
        data += 2;
        size -= 2;
      }
    }
    if (!wide_) return Scan<1>(data, size);
    // A read may end inside a UTF-16 unit: its first byte waits for the next block.
    if (haveLow_ && size > 0) {
      const char unit[2] = {low_, data[0]};
      haveLow_ = false;
      if (!Scan<2>(unit, 2)) return false;
      ++data;
      --size;
    }
    const std::size_t whole = size & ~static_cast<std::size_t>(1);
    if (!Scan<2>(data, whole)) return false;
    if (whole < size) {
      low_ = data[whole];
      haveLow_ = true;
    }
    return true;
  }

  bool Finish() {
    if (!FlushRun()) return false;
    if (haveLow_) return Emit(&low_, 1);  // an odd trailing byte is kept as it was
    return true;
  }
  bool changed() const { return changed_; }

  bool Drain() {
    bool ok = pending_.empty() || out_.Write(pending_.data(), pending_.size());
    pending_.clear();
    return ok;
  }

 private:
  template <std::size_t W>
  static bool Is(const char* p, char c) {
    return p[0] == c && (W == 1 || p[1] == '\0');
  }

  // Where the unit c first occurs in d[from, size), or size.
  template <std::size_t W>
  static std::size_t Find(const char* d, std::size_t from, std::size_t size, char c) {
    while (from < size) {
      const void* hit = std::memchr(d + from, c, size - from);
      if (!hit) break;
      const std::size_t at = static_cast<const char*>(hit) - d;
      // In UTF-16 the byte must start a unit and be followed by its zero high byte.
      if (W == 1 || (at % 2 == 0 && d[at + 1] == '\0')) return at;
      from = at + 1;
    }
    return size;
  }

  // `size` is a whole number of units and d starts on one. Bytes are handed on in spans
  // as long as possible: a span ends only where a run of backslashes in a key line starts.
  template <std::size_t W>
  bool Scan(const char* d, std::size_t size) {
    std::size_t from = 0;  // the first byte not yet handed on
    std::size_t i = 0;
    std::size_t lineEnd = 0;  // of the key line being read: just past its "\n", or size
    bool lineEnds = false;    // whether that line ends in this block
    while (i < size) {
      if (run_ > 0) {
        // Inside a run, perhaps begun in an earlier block: count it, hand on none of it.
        while (i < size && Is<W>(d + i, '\\')) {
          ++run_;
          i += W;
        }
        from = i;
        if (i == size) break;  // the run may go on in the next block
        if (!FlushRun()) return false;
        continue;
      }
      if (!inKey_) {
        // The next key line: a "[" that starts a line. Value lines seldom hold one.
        std::size_t at = i;
        for (;;) {
          at = Find<W>(d, at, size, '[');
          if (at == size || (at == i ? lineStart_ : Is<W>(d + at - W, '\n'))) break;
          at += W;
        }
        if (at == size) {
          lineStart_ = Is<W>(d + size - W, '\n');
          break;
        }
        inKey_ = true;
        i = at + W;
        continue;
      }
      if (lineEnd <= i) {
        const std::size_t newline = Find<W>(d, i, size, '\n');
        lineEnd = newline < size ? newline + W : size;
        lineEnds = newline < size;
      }
      const std::size_t backslash = Find<W>(d, i, lineEnd, '\\');
      if (backslash == lineEnd) {
        i = lineEnd;
        if (lineEnds) {
          inKey_ = false;
          lineStart_ = true;
        }
        continue;
      }
      std::size_t end = backslash + W;
      while (end < size && Is<W>(d + end, '\\')) end += W;
      const std::size_t run = (end - backslash) / W;
      if (end == size) {
        // The run may go on in the next block: count it and hand on none of it yet.
        if (!Emit(d + from, backslash - from)) return false;
        run_ = run;
        i = from = end;
        break;
      }
      // The kept half of the run goes out with the span before it.
      const std::size_t keep = run / 2 + run % 2;
      if (keep != run) changed_ = true;
      if (!Emit(d + from, backslash + keep * W - from)) return false;
      i = from = end;
    }
    return Emit(d + from, size - from);
  }

  bool FlushRun() {
    if (run_ == 0) return true;
    static const char kBackslash[2] = {'\\', '\0'};
    const std::size_t width = wide_ ? 2 : 1;
    std::size_t keep = run_ / 2 + run_ % 2;
    if (keep != run_) changed_ = true;
    for (std::size_t k = 0; k < keep; ++k)
      if (!Emit(kBackslash, width)) return false;
    run_ = 0;
    return true;
  }

  bool Emit(const char* data, std::size_t size) {
    if (size == 0) return true;
    if (pending_.empty() && size >= kBlock) return out_.Write(data, size);
    pending_.append(data, size);
    if (pending_.size() < kBlock) return true;
    bool ok = out_.Write(pending_.data(), pending_.size());
    pending_.clear();
    return ok;
  }

  IFileWriter& out_;
  std::string pending_;
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

FixResult fixfile(const Platform& p, const std::string& FileName) {
  IFileSystem& fs = p.files;
  if (fs.GetFileAttributesA(FileName) == kInvalidFileAttributes) return FixResult::Missing;
  std::unique_ptr<IFileReader> in = p.streams.OpenRead(FileName);
  if (!in) return FixResult::Failed;

  // The new text goes to a file beside the old one, which it replaces only when complete.
  const std::string temp = ScratchNameFor(FileName);
  bool written = false;
  bool changed = false;
  {
    std::unique_ptr<IFileWriter> out = p.streams.Create(temp);
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
  return PutInPlace(fs, temp, FileName) ? FixResult::Rewritten : FixResult::Failed;
}

}  // namespace lark
