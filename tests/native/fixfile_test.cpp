// Rewriting exported registry files: key lines only, both encodings, never losing the file.
#include <gtest/gtest.h>

#include <random>

#include "backup/fixfile.h"
#include "core/app.h"
#include "platform/memory/memory_platform.h"

namespace lark {
namespace {

std::string Wide(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

class FixFile : public ::testing::Test {
 protected:
  MemoryPlatform m;
  App app{m.platform};
  void SetUp() override {
    m.files.AddFolder("C:\\Backup");
    m.files.SetCurrentDirectoryA("C:\\Backup");
  }
  std::string Fix(const std::string& contents, FixResult expected) {
    m.files.AddFile("C:\\Backup\\AllIdentities.reg", contents);
    EXPECT_EQ(fixfile(app, "AllIdentities.reg"), expected);
    EXPECT_FALSE(m.files.Exists("C:\\Backup\\AllIdentities.reg.lark-new"));
    return m.files.Contents("C:\\Backup\\AllIdentities.reg");
  }
};

const std::string kExport =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\]\r\n"
    "\"Default User ID\"=\"{A}\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\\\{A}]\r\n"
    "\"Username\"=\"Main\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\\\{A}\\Software\\Microsoft]\r\n"
    "\"Path\"=\"\\\\\\\\server\\\\share\\\\\"\r\n"
    "\"Odd\"=\"C:\\\\new\\\\tmp\"\r\n";
const std::string kFixed =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\]\r\n"
    "\"Default User ID\"=\"{A}\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\{A}]\r\n"
    "\"Username\"=\"Main\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Identities\\{A}\\Software\\Microsoft]\r\n"
    "\"Path\"=\"\\\\\\\\server\\\\share\\\\\"\r\n"
    "\"Odd\"=\"C:\\\\new\\\\tmp\"\r\n";

TEST_F(FixFile, CollapsesDoubledSeparatorsInKeyLinesOnly) {
  EXPECT_EQ(Fix(kExport, FixResult::Rewritten), kFixed);
}

TEST_F(FixFile, HandlesUtf16WithItsByteOrderMark) {
  EXPECT_EQ(Fix(Wide(kExport), FixResult::Rewritten), Wide(kFixed));
}

TEST_F(FixFile, RunsOfThreeAndFourBecomeTwo) {
  EXPECT_EQ(Fix("[A\\\\\\B\\\\\\\\C]\r\n\"v\"=\"\\\\\\\\\"\r\n", FixResult::Rewritten),
            "[A\\\\B\\\\C]\r\n\"v\"=\"\\\\\\\\\"\r\n");
}

TEST_F(FixFile, FileWithoutDoubledKeySeparatorsIsLeftByteForByte) {
  std::string bytes = "REGEDIT4\n[HKEY\\A]\n\"x\"=\"\xE9\xFF\\\\\"\n\n";
  EXPECT_EQ(Fix(bytes, FixResult::Unchanged), bytes);
  EXPECT_EQ(Fix(Wide(bytes), FixResult::Unchanged), Wide(bytes));
  EXPECT_EQ(Fix("", FixResult::Unchanged), "");
}

TEST_F(FixFile, LargeFilesAcrossBlockBoundaries) {
  std::string big;
  for (int i = 0; i < 20000; ++i)
    big += "[HKEY_CURRENT_USER\\\\Identities\\\\{" + std::to_string(i) + "}]\r\n\"v\"=\"a\\\\b\"\r\n";
  std::string want;
  for (int i = 0; i < 20000; ++i)
    want += "[HKEY_CURRENT_USER\\Identities\\{" + std::to_string(i) + "}]\r\n\"v\"=\"a\\\\b\"\r\n";
  EXPECT_EQ(Fix(big, FixResult::Rewritten), want);
  EXPECT_EQ(Fix(Wide(big), FixResult::Rewritten), Wide(want));
}

// Reads that stop anywhere after the first, even inside a UTF-16 unit or a run of
// backslashes, as a slow network drive may answer. The first holds the byte-order mark.
class ChoppyStreams : public IFileStreams {
 public:
  explicit ChoppyStreams(IFileStreams& inner) : inner_(inner) {}
  std::unique_ptr<IFileReader> OpenRead(const std::string& path) override {
    auto in = inner_.OpenRead(path);
    return in ? std::make_unique<Reader>(std::move(in)) : nullptr;
  }
  std::unique_ptr<IFileWriter> Create(const std::string& path) override {
    return inner_.Create(path);
  }

 private:
  struct Reader : IFileReader {
    explicit Reader(std::unique_ptr<IFileReader> in) : in_(std::move(in)) {}
    bool Read(char* buffer, std::size_t capacity, std::size_t* got) override {
      static const std::size_t kSizes[] = {2, 1, 3, 5, 7, 64, 1, 4095};
      std::size_t want = std::min(capacity, kSizes[next_++ % 8]);
      return in_->Read(buffer, want, got);
    }
    std::unique_ptr<IFileReader> in_;
    std::size_t next_ = 0;
  };
  IFileStreams& inner_;
};

// What the rewrite must produce, one unit at a time: in lines that start with "[", each
// run of n backslashes keeps n/2 rounded up; a trailing odd byte of a UTF-16 file stays.
std::string Expected(const std::string& file) {
  const bool wide = file.size() >= 2 && file.compare(0, 2, "\xFF\xFE") == 0;
  const std::size_t w = wide ? 2 : 1;
  std::string out = wide ? file.substr(0, 2) : "";
  std::size_t i = out.size(), run = 0;
  bool lineStart = true, key = false;
  auto isUnit = [&](std::size_t at, char c) { return file[at] == c && (!wide || file[at + 1] == 0); };
  for (; i + w <= file.size(); i += w) {
    if (lineStart) key = isUnit(i, '[');
    lineStart = isUnit(i, '\n');
    if (key && isUnit(i, '\\')) {
      ++run;
      continue;
    }
    for (std::size_t k = 0; k < (run + 1) / 2; ++k) out += wide ? std::string("\\\0", 2) : "\\";
    run = 0;
    out += file.substr(i, w);
  }
  for (std::size_t k = 0; k < (run + 1) / 2; ++k) out += wide ? std::string("\\\0", 2) : "\\";
  return out + file.substr(i);
}

TEST_F(FixFile, ReadsEndingAnywhereGiveTheSameResult) {
  ChoppyStreams choppy(m.streams);
  Platform p{m.registry, m.files, choppy, m.processes, m.shell, m.user};
  App choppyApp(p);
  std::mt19937 rng(7);
  // Units chosen to trip a scanner that looks at bytes alone: in UTF-16, 0x5C0A holds a
  // newline byte and 0x0A5C a backslash byte, neither of them the character.
  const char* narrow[] = {"[", "\\", "\\", "\n", "\r", "a", "\xFF"};
  const char* wideUnits[] = {"[", "\\", "\\", "\n", "a", "\x0A\x5C", "\x5C\x0A", "\x5B\x0A"};
  for (int round = 0; round < 40; ++round) {
    const bool wide = round % 2 == 1;
    std::string file = wide ? "\xFF\xFE" : "";
    const int length = 1 + static_cast<int>(rng() % 3000);
    for (int k = 0; k < length; ++k) {
      if (wide) {
        std::string u = wideUnits[rng() % 8];
        file += u.size() == 2 ? u : u + std::string(1, '\0');
      } else {
        file += narrow[rng() % 7];
      }
    }
    if (wide && round % 4 == 1) file += 'z';  // an odd trailing byte
    m.files.AddFile("C:\\Backup\\AllIdentities.reg", file);
    fixfile(choppyApp, "AllIdentities.reg");
    ASSERT_EQ(m.files.Contents("C:\\Backup\\AllIdentities.reg"), Expected(file)) << "round " << round;
  }
}

TEST_F(FixFile, MissingFileIsNotCreated) {
  EXPECT_EQ(fixfile(app, "IAM.reg"), FixResult::Missing);
  EXPECT_FALSE(m.files.Exists("C:\\Backup\\IAM.reg"));
}

TEST_F(FixFile, FailureKeepsTheExportWhole) {
  m.files.AddFile("C:\\Backup\\AllIdentities.reg", kExport);
  m.streams.lockedFiles.insert("C:\\Backup\\AllIdentities.reg");
  EXPECT_EQ(fixfile(app, "AllIdentities.reg"), FixResult::Failed);
  m.streams.lockedFiles.clear();
  m.streams.failWrites = true;  // a full disk
  EXPECT_EQ(fixfile(app, "AllIdentities.reg"), FixResult::Failed);
  EXPECT_EQ(m.files.Contents("C:\\Backup\\AllIdentities.reg"), kExport);
  EXPECT_FALSE(m.files.Exists("C:\\Backup\\AllIdentities.reg.lark-new"));
}

}  // namespace
}  // namespace lark
