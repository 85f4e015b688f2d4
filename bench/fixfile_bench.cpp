// The registry-file rewrite on a real disk, under Wine (or Windows) through the program's
// own Win32 platform.
//   lark_fixfile_bench gen ansi|utf16 MIB FILE   writes an identities export of about MIB
//                                                MiB; prints the size the rewrite must leave
//   lark_fixfile_bench rewrite FILE              rewrites FILE in place; prints the result,
//                                                the seconds it took, the seconds of those
//                                                spent flushing the new file to disk, and the
//                                                MiB the process's peak working set grew by
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "backup/fixfile.h"
#include "platform/win32/win32_platform.h"

namespace {

using lark::FixResult;

// An identities branch as the registry editor exports it when given a branch that ends in
// a backslash: key lines with doubled separators below the branch, value lines whose
// backslashes are escaped (and so doubled too, but never to be touched), long binary and
// expandable values wrapped onto continuation lines.
class ExportWriter {
 public:
  ExportWriter(std::FILE* out, bool wide) : out_(out), wide_(wide) {}

  void Header() {
    if (wide_) {
      Raw("\xFF\xFE", 2);
      Line("Windows Registry Editor Version 5.00");
    } else {
      Line("REGEDIT4");
    }
    Line("");
    Line("[HKEY_CURRENT_USER\\Identities\\]");
    Line("\"Default User ID\"=\"{00000000-1111-2222-3333-000000000000}\"");
    Line("\"Identity Ordinal\"=dword:00000002");
    Line("");
  }

  void Identity(unsigned n) {
    char guid[64];
    std::snprintf(guid, sizeof(guid), "{%08X-4F89-11D3-9A0C-%012X}", n * 2654435761u, n);
    const std::string id = std::string("HKEY_CURRENT_USER\\Identities\\\\") + guid;
    const std::string oe = id + "\\\\Software\\\\Microsoft\\\\Outlook Express\\\\5.0";
    Key(id);
    Line("\"Username\"=\"Identity " + std::to_string(n) + "\"");
    Line(std::string("\"User ID\"=\"") + guid + "\"");
    Line("\"Identity Ordinal\"=dword:" + Hex32(n));
    Line("\"Password\"=hex:" + HexBytes(n, 24, 14));
    Line("");
    Key(oe);
    Line("\"Store Root\"=hex(2):" +
         HexBytes(n, 96, 14));  // %UserProfile%\Local Settings\... as expandable text
    Line("\"Signature Flags\"=dword:00000003");
    Line(std::string("\"Last Store\"=\"C:\\\\Documents and Settings\\\\user\\\\Local Settings\\\\"
                     "Application Data\\\\Identities\\\\") +
         guid + "\\\\Microsoft\\\\Outlook Express\"");
    Line("\"Attach Folder\"=\"\\\\\\\\fileserver\\\\mail\\\\attachments\\\\\"");
    Line("");
    for (const char* sub :
         {"Mail", "News", "Rules\\\\Mail\\\\000", "Columns", "Dont Show Dialogs"}) {
      Key(oe + "\\\\" + sub);
      Line("\"Window Pos\"=hex:" + HexBytes(n + 7, 44, 18));
      Line("\"Check Mail\"=dword:00000001");
      Line("\"Save Folder\"=\"C:\\\\Mail\\\\Saved\\\\Folder " + std::to_string(n % 97) + "\"");
      Line("");
    }
    for (unsigned s = 0; s < 2; ++s) {
      Key(oe + "\\\\Signatures\\\\0000000" + std::to_string(s));
      Line("\"name\"=\"Signature " + std::to_string(s) + "\"");
      Line("\"text\"=\"-- Identity " + std::to_string(n) +
           "\\r\\n\\\\\\\\fileserver\\\\share\\\\sig.txt\"");
      Line("\"type\"=dword:00000001");
      Line("");
    }
  }

  std::uint64_t written() const { return written_; }
  std::uint64_t expectedAfter() const { return written_ - removed_; }

 private:
  static std::string Hex32(unsigned v) {
    char b[16];
    std::snprintf(b, sizeof(b), "%08x", v);
    return b;
  }

  // A binary value's bytes, wrapped as the editor wraps them: a backslash ends each line
  // but the last, and continuation lines are indented by two blanks.
  static std::string HexBytes(unsigned seed, unsigned count, unsigned perLine) {
    std::string s;
    unsigned x = seed * 1103515245u + 12345u;
    for (unsigned i = 0; i < count; ++i) {
      x = x * 1103515245u + 12345u;
      char b[4];
      std::snprintf(b, sizeof(b), "%02x", (x >> 16) & 0xFF);
      s += b;
      if (i + 1 < count) {
        s += ',';
        if ((i + 1) % perLine == 0) s += "\\\r\n  ";
      }
    }
    return s;
  }

  void Key(const std::string& path) {
    // Each run of backslashes in a key line loses half of itself (rounded down).
    std::size_t run = 0;
    for (char c : path + "]") {
      if (c == '\\') {
        ++run;
        continue;
      }
      removed_ += (run / 2) * (wide_ ? 2 : 1);
      run = 0;
    }
    Line("[" + path + "]");
  }

  void Line(const std::string& text) {
    std::string t = text + "\r\n";
    if (!wide_) return Raw(t.data(), t.size());
    std::string w;
    w.reserve(t.size() * 2);
    for (char c : t) {
      w += c;
      w += '\0';
    }
    Raw(w.data(), w.size());
  }

  void Raw(const char* data, std::size_t size) {
    if (std::fwrite(data, 1, size, out_) != size) {
      std::perror("write");
      std::exit(1);
    }
    written_ += size;
  }

  std::FILE* out_;
  bool wide_;
  std::uint64_t written_ = 0;
  std::uint64_t removed_ = 0;
};

int Generate(const char* kind, const char* mib, const char* path) {
  const bool wide = std::strcmp(kind, "utf16") == 0;
  const std::uint64_t target = std::strtoull(mib, nullptr, 10) << 20;
  std::FILE* out = std::fopen(path, "wb");
  if (!out) {
    std::perror(path);
    return 1;
  }
  std::setvbuf(out, nullptr, _IOFBF, 1 << 20);
  ExportWriter w(out, wide);
  w.Header();
  for (unsigned n = 1; w.written() < target; ++n) w.Identity(n);
  if (std::fclose(out) != 0) return 1;
  std::printf("%llu %llu\n", static_cast<unsigned long long>(w.written()),
              static_cast<unsigned long long>(w.expectedAfter()));
  return 0;
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The Win32 streams, with the time each writer spends in Commit (its FlushFileBuffers)
// added up, so that the table can show the rewrite with and without its flush to disk.
class TimedStreams : public lark::IFileStreams {
 public:
  explicit TimedStreams(lark::IFileStreams& inner) : inner_(inner) {}
  double commitSeconds = 0;

  std::unique_ptr<lark::IFileReader> OpenRead(const std::string& path) override {
    return inner_.OpenRead(path);
  }
  std::unique_ptr<lark::IFileWriter> Create(const std::string& path) override {
    auto writer = inner_.Create(path);
    if (!writer) return nullptr;
    return std::make_unique<Writer>(std::move(writer), &commitSeconds);
  }

 private:
  class Writer : public lark::IFileWriter {
   public:
    Writer(std::unique_ptr<lark::IFileWriter> inner, double* seconds)
        : inner_(std::move(inner)), seconds_(seconds) {}
    bool Write(const char* data, std::size_t size) override { return inner_->Write(data, size); }
    bool Commit() override {
      auto start = std::chrono::steady_clock::now();
      bool ok = inner_->Commit();
      *seconds_ += Since(start);
      return ok;
    }

   private:
    std::unique_ptr<lark::IFileWriter> inner_;
    double* seconds_;
  };
  lark::IFileStreams& inner_;
};

double PeakWorkingSetMiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
  return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

int Rewrite(const char* path) {
  lark::Win32Platform w;
  TimedStreams streams(w.streams);
  lark::Platform platform{w.registry, w.files, streams, w.processes, w.shell, w.user};
  const double peakBefore = PeakWorkingSetMiB();
  auto start = std::chrono::steady_clock::now();
  FixResult r = lark::fixfile(platform, path);
  double seconds = Since(start);
  const char* name = r == FixResult::Rewritten   ? "rewritten"
                     : r == FixResult::Unchanged ? "unchanged"
                     : r == FixResult::Missing   ? "missing"
                                                 : "failed";
  std::printf("%s %.6f %.6f %.2f\n", name, seconds, streams.commitSeconds,
              PeakWorkingSetMiB() - peakBefore);
  return r == FixResult::Failed || r == FixResult::Missing ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "gen") == 0) return Generate(argv[2], argv[3], argv[4]);
  if (argc == 3 && std::strcmp(argv[1], "rewrite") == 0) return Rewrite(argv[2]);
  std::fprintf(stderr,
               "usage: %s gen ansi|utf16 MIB FILE\n"
               "       %s rewrite FILE\n",
               argv[0], argv[0]);
  return 2;
}
