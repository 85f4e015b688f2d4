// File-system cases run twice: natively against the in-memory stand-in and under Wine
// against the real file system, so that the stand-in is held to the answers Windows gives.
// In a path, "@" stands for the base folder of the run and "#" for a drive letter that does
// not exist. Where Wine's answer differs from Windows', the case carries Wine's answer too.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/app.h"
#include "fs/folders.h"
#include "fs/shell_copy.h"

namespace lark::fscases {

constexpr const char* kBase = "C:\\LarkFsTest";
constexpr std::uint32_t kDir = kFileAttributeDirectory;

// Makes files and folders with given attributes; each platform has its own.
class TreeBuilder {
 public:
  virtual ~TreeBuilder() = default;
  virtual void Folder(const std::string& path, std::uint32_t attributes) = 0;
  virtual void File(const std::string& path, const std::string& contents,
                    std::uint32_t attributes) = 0;
};

inline char MissingDrive(IFileSystem& files) {
  for (char d = 'Q'; d <= 'Y'; ++d)
    if (files.GetDriveTypeA(std::string(1, d) + ":\\") == kDriveNoRootDir) return d;
  return 'Q';
}

inline std::string Expand(const std::string& text, char missingDrive) {
  std::string out;
  for (char c : text) {
    if (c == '@')
      out += kBase;
    else if (c == '#')
      out += missingDrive;
    else
      out += c;
  }
  return out;
}

struct Item {
  const char* path;
  std::uint32_t attributes;  // with the directory bit: a folder
  const char* contents;
};

inline void Build(TreeBuilder& b, const std::vector<Item>& items, char missingDrive) {
  for (const Item& i : items) {
    if (i.attributes & kDir)
      b.Folder(Expand(i.path, missingDrive), i.attributes);
    else
      b.File(Expand(i.path, missingDrive), i.contents, i.attributes);
  }
}

inline const std::vector<Item>& Tree() {
  static const std::vector<Item> tree = {
      {"@", kDir, ""},
      {"@\\empty", kDir, ""},
      {"@\\file.txt", 0x20, "text"},
      {"@\\hidden.txt", 0x22, "h"},
      {"@\\hid", 0x12, ""},
      {"@\\hid\\inner", 0x12, ""},  // neither its "." nor its ".." passes a folder search
      {"@\\data", kDir, ""},
      {"@\\data\\b.dbx", 0x20, "b"},
      {"@\\data\\A.DBX", 0x20, "a"},
      {"@\\data\\c.dbx", 0x21, "c"},
      {"@\\data\\h.dbx", 0x22, "h"},
      {"@\\data\\s.dbx", 0x24, "s"},
      {"@\\data\\Old.dbxx", 0x20, "o"},  // its 8.3 name ends in .DBX
      {"@\\data\\notes.txt", 0x20, "n"},
      {"@\\data\\README", 0x20, "r"},
      {"@\\data\\folder.dbx", kDir, ""},
      {"@\\three", kDir, ""},
      {"@\\three\\one.dbx", 0x20, "1"},
      {"@\\three\\two.dbx", 0x20, "2"},
      {"@\\three\\three.dbx", 0x20, "3"},
      {"@\\three\\hidden.dbx", 0x22, "x"},
  };
  return tree;
}

// ---------------------------------------------------------------------------
// The raw directory search (what the platform layer returns, before any filtering).
// ---------------------------------------------------------------------------
struct SearchCase {
  const char* pattern;
  const char* names;  // "|"-separated, in order
  long code;
  long wineCode;  // Wine's code where it differs from Windows'
};

inline const std::vector<SearchCase>& SearchCases() {
  static const std::vector<SearchCase> cases = {
      {"@\\empty\\*.*", ".|..", 0, 0},
      {"@\\empty\\*", ".|..", 0, 0},
      {"@\\data\\*.dbx", "A.DBX|b.dbx|c.dbx|folder.dbx|h.dbx|Old.dbxx|s.dbx", 0, 0},
      {"@\\DATA\\*.DbX", "A.DBX|b.dbx|c.dbx|folder.dbx|h.dbx|Old.dbxx|s.dbx", 0, 0},
      {"@\\data\\?.dbx", "A.DBX|b.dbx|c.dbx|h.dbx|s.dbx", 0, 0},
      {"@\\data\\readme.*", "README", 0, 0},
      {"@\\data\\n*s.t?t", "notes.txt", 0, 0},
      {"@\\data\\readme", "README", 0, 0},
      {"@\\data", "data", 0, 0},
      {"@\\data\\.", "data", 0, 0},
      {"@\\data\\b.dbx.", "b.dbx", 0, 0},
      {"@\\data\\", "", kErrorFileNotFound, kErrorFileNotFound},
      {"@\\data\\*.zip", "", kErrorFileNotFound, kErrorFileNotFound},
      {"@\\missing\\*.*", "", kErrorPathNotFound, kErrorPathNotFound},
      {"#:\\*.*", "", kErrorPathNotFound, kErrorPathNotFound},
      {"@\\da*\\*.*", "", kErrorInvalidName, kErrorInvalidName},
      {"@\\file.txt\\*.*", "", 267, kErrorInvalidName},
      {"", "", kErrorPathNotFound, kErrorPathNotFound},
  };
  return cases;
}

inline std::string Joined(const std::vector<FindEntry>& entries) {
  std::string s;
  for (const FindEntry& e : entries) s += (s.empty() ? "" : "|") + e.name;
  return s;
}

inline void CheckSearches(App& app, bool wine) {
  char missing = MissingDrive(app.p.files);
  for (const SearchCase& c : SearchCases()) {
    std::string pattern = Expand(c.pattern, missing);
    std::vector<FindEntry> entries;
    long rc = app.p.files.FindFiles(pattern, &entries);
    EXPECT_EQ(rc, wine ? c.wineCode : c.code) << "FindFiles(\"" << pattern << "\")";
    EXPECT_EQ(Joined(entries), c.names) << "FindFiles(\"" << pattern << "\")";
  }
  // "." carries the folder's own attributes, ".." its parent's; a drive root has neither.
  std::vector<FindEntry> entries;
  ASSERT_EQ(app.p.files.FindFiles(Expand("@\\hid\\inner\\*.*", missing), &entries), 0);
  ASSERT_EQ(Joined(entries), ".|..");
  EXPECT_EQ(entries[0].attributes, 0x12u);
  EXPECT_EQ(entries[1].attributes, 0x12u);
  ASSERT_EQ(app.p.files.FindFiles("C:\\*.*", &entries), 0);
  for (const FindEntry& e : entries) EXPECT_TRUE(e.name != "." && e.name != "..") << e.name;
}

// ---------------------------------------------------------------------------
// The helpers (the current directory is the base folder).
// ---------------------------------------------------------------------------
struct ExistsCase {
  const char* path;
  bool isFolder;
  bool expected;
};

inline void CheckDirExists(App& app) {
  static const std::vector<ExistsCase> cases = {
      {"@\\empty", true, true},
      {"@\\empty\\", true, true},
      {"@\\data", true, true},
      {"@\\hid", true, true},
      {"@\\hid\\inner", true, true},
      {"@\\file.txt", true, false},
      {"@\\file.txt\\", true, false},
      {"@\\missing", true, false},
      {"@\\missing\\deeper", true, false},
      {"#:\\", true, false},
      {"#:\\Backup", true, false},
      {"@\\da*", true, false},
      {"", true, true},
      {"empty", true, true},
      {"data\\b.dbx", true, false},
      {"C:\\", true, true},
  };
  char missing = MissingDrive(app.p.files);
  for (const ExistsCase& c : cases) {
    std::string path = Expand(c.path, missing);
    EXPECT_EQ(DirExists(app, path), c.expected) << "DirExists(\"" << path << "\")";
    EXPECT_EQ(DirExists2(app, path), c.expected) << "DirExists2(\"" << path << "\")";
  }
}

inline void CheckPathExists(App& app) {
  static const std::vector<ExistsCase> cases = {
      {"@\\file.txt", false, true},
      {"@\\file.txt", true, true},
      {"@\\hidden.txt", false, true},
      {"@\\hidden.txt", true, true},
      {"@\\data\\c.dbx", false, true},
      {"@\\data\\s.dbx", false, true},
      {"@\\data", false, false},
      {"@\\data", true, true},
      {"@\\hid", false, false},
      {"@\\hid", true, true},
      {"@\\data\\", false, false},
      {"@\\data\\", true, true},
      {"C:\\", true, true},
      {"@\\missing", true, false},
      {"@\\missing\\x", true, false},
      {"@\\data\\*.dbx", false, true},
      {"@\\data\\*.zip", false, false},
      {"@\\file.txt\\x", false, false},
      {"data\\README", false, true},
      {"", true, false},
  };
  char missing = MissingDrive(app.p.files);
  for (const ExistsCase& c : cases) {
    std::string path = Expand(c.path, missing);
    EXPECT_EQ(PathExists(app, path, c.isFolder), c.expected)
        << "PathExists(\"" << path << "\", " << c.isFolder << ")";
  }
  std::string onMissingDrive = Expand("#:\\Backup", missing);
  EXPECT_THROW(PathExists(app, onMissingDrive, true), SearchError);
}

struct ListCase {
  const char* mask;
  std::vector<std::string> expected;
};

inline void CheckFileList(App& app) {
  static const std::vector<ListCase> cases = {
      {"@\\data\\*.dbx", {"A.DBX", "b.dbx", "c.dbx", "Old.dbxx"}},
      {"data\\*.DBX", {"A.DBX", "b.dbx", "c.dbx", "Old.dbxx"}},
      {"@\\data\\*.*", {"A.DBX", "b.dbx", "c.dbx", "notes.txt", "Old.dbxx", "README"}},
      {"@\\three\\*.dbx", {"one.dbx", "three.dbx", "two.dbx"}},
      {"@\\data\\README.*", {"README"}},
      {"@\\data\\h.dbx", {""}},
      {"@\\data\\*.zip", {""}},
      {"@\\empty\\*.*", {""}},
      {"@\\missing\\*.dbx", {""}},
  };
  char missing = MissingDrive(app.p.files);
  for (const ListCase& c : cases) {
    std::string mask = Expand(c.mask, missing);
    EXPECT_EQ(FileList(app, mask), c.expected) << "FileList(\"" << mask << "\")";
    EXPECT_EQ(app.state.foundFiles, c.expected) << "foundFiles after \"" << mask << "\"";
  }
  app.state.foundFiles = {"left", "over"};
  EXPECT_THROW(FileList(app, Expand("#:\\*.dbx", missing)), SearchError);
  EXPECT_EQ(app.state.foundFiles, std::vector<std::string>{""});
}

inline void CheckTextHelpers() {
  const std::vector<std::pair<std::string, std::string>> directory = {
      {"C:\\Data\\book.wab", "C:\\Data\\"},
      {"  C:\\Data\\book.wab  ", "C:\\Data\\"},
      {"book.wab", ""},
      {"", ""},
      {"   ", ""},
      {"C:\\", "C:\\"},
      {"C:\\Data\\", "C:\\Data\\"},
      {"Data\\Sub\\x", "Data\\Sub\\"},
  };
  for (const auto& c : directory)
    EXPECT_EQ(DirectoryFromFile(c.first), c.second) << "DirectoryFromFile(\"" << c.first << "\")";
  const std::vector<std::pair<std::string, std::string>> name = {
      {"C:\\Data\\book.wab", "book.wab"},
      {"book.wab", ""},
      {"C:\\Data\\", ""},
      {"", ""},
      {"Data\\book.wab", "book.wab"},
      {" C:\\Data\\ book.wab ", " book.wab "},
  };
  for (const auto& c : name)
    EXPECT_EQ(NameFromFullPath(c.first), c.second) << "NameFromFullPath(\"" << c.first << "\")";
}

// Runs in order; each case sees what the ones before it made.
inline void CheckCreatePath(App& app) {
  struct Case {
    const char* path;
    bool expected;
    const char* folderAfter;  // must be a folder afterwards (nullptr: nothing to check)
  };
  static const std::vector<Case> cases = {
      {"@\\new\\a\\b", true, "@\\new\\a\\b"}, {"@\\new2\\a\\b\\", true, "@\\new2\\a\\b"},
      {"@\\data", true, "@\\data"},           {"made\\here", true, "@\\made\\here"},
      {"@\\file.txt", false, nullptr},        {"@\\file.txt\\below", false, nullptr},
      {"#:\\Backup", false, nullptr},
  };
  char missing = MissingDrive(app.p.files);
  for (const Case& c : cases) {
    std::string path = Expand(c.path, missing);
    EXPECT_EQ(CreatePath(app, path), c.expected) << "CreatePath(\"" << path << "\")";
    EXPECT_EQ(MakeFolder(app, path), c.expected) << "MakeFolder(\"" << path << "\")";
    if (c.folderAfter) {
      EXPECT_TRUE(DirExists(app, Expand(c.folderAfter, missing))) << path;
    }
  }
  std::vector<std::string> stillThere = FileList(app, Expand("@\\data\\*.dbx", missing));
  EXPECT_EQ(stillThere.size(), 4u);  // an existing folder is left as it was
}

// ---------------------------------------------------------------------------
// The shell copy. Each case works in its own folder.
// ---------------------------------------------------------------------------
enum class Answer { None, Yes, No };

struct CopyCase {
  const char* name;
  std::vector<Item> setup;
  const char* src;
  const char* dest;
  bool noConfirm;
  Answer answer;  // what the user answers when the shell asks
  bool expected;
  bool asked;
  const char* checkPath;
  const char* contents;  // nullptr: checkPath must not exist
  // Where Wine differs from Windows: Wine's result and file contents.
  bool wineDiffers = false;
  bool wineExpected = false;
  const char* wineContents = nullptr;
};

inline const std::vector<CopyCase>& CopyCases() {
  static const std::vector<CopyCase> cases = {
      {"into a folder named with a backslash",
       {{"@\\c1\\src\\a.dbx", 0x20, "new"}, {"@\\c1\\dst", kDir, ""}},
       "@\\c1\\src\\a.dbx",
       "@\\c1\\dst\\",
       false,
       Answer::None,
       true,
       false,
       "@\\c1\\dst\\a.dbx",
       "new"},
      {"into an existing folder named without a backslash",
       {{"@\\c2\\src\\a.dbx", 0x20, "new"}, {"@\\c2\\dst", kDir, ""}},
       "@\\c2\\src\\a.dbx",
       "@\\c2\\dst",
       false,
       Answer::None,
       true,
       false,
       "@\\c2\\dst\\a.dbx",
       "new"},
      {"to a full file path",
       {{"@\\c3\\src\\a.dbx", 0x20, "new"}, {"@\\c3\\dst", kDir, ""}},
       "@\\c3\\src\\a.dbx",
       "@\\c3\\dst\\copy.dbx",
       false,
       Answer::None,
       true,
       false,
       "@\\c3\\dst\\copy.dbx",
       "new"},
      {"over an existing file without asking",
       {{"@\\c4\\src\\a.dbx", 0x20, "new"}, {"@\\c4\\dst\\a.dbx", 0x20, "old"}},
       "@\\c4\\src\\a.dbx",
       "@\\c4\\dst\\a.dbx",
       true,
       Answer::No,
       true,
       false,
       "@\\c4\\dst\\a.dbx",
       "new"},
      {"over an existing file, answered Yes",
       {{"@\\c5\\src\\a.dbx", 0x20, "new"}, {"@\\c5\\dst\\a.dbx", 0x20, "old"}},
       "@\\c5\\src\\a.dbx",
       "@\\c5\\dst\\a.dbx",
       false,
       Answer::Yes,
       true,
       true,
       "@\\c5\\dst\\a.dbx",
       "new"},
      {"over an existing file, answered No",
       {{"@\\c6\\src\\a.dbx", 0x20, "new"}, {"@\\c6\\dst\\a.dbx", 0x20, "old"}},
       "@\\c6\\src\\a.dbx",
       "@\\c6\\dst\\a.dbx",
       false,
       Answer::No,
       false,
       true,
       "@\\c6\\dst\\a.dbx",
       "old"},
      {"into a folder over an existing file, answered No",
       {{"@\\c7\\src\\a.dbx", 0x20, "new"}, {"@\\c7\\dst\\a.dbx", 0x20, "old"}},
       "@\\c7\\src\\a.dbx",
       "@\\c7\\dst\\",
       false,
       Answer::No,
       true,
       true,
       "@\\c7\\dst\\a.dbx",
       "old"},
      {"from a missing source",
       {{"@\\c8\\dst", kDir, ""}},
       "@\\c8\\src\\none.dbx",
       "@\\c8\\dst\\",
       true,
       Answer::None,
       false,
       false,
       "@\\c8\\dst\\none.dbx",
       nullptr},
      {"to a file path whose folders are missing",
       {{"@\\c9\\src\\a.dbx", 0x20, "new"}},
       "@\\c9\\src\\a.dbx",
       "@\\c9\\x\\y\\a.dbx",
       false,
       Answer::None,
       true,
       false,
       "@\\c9\\x\\y\\a.dbx",
       "new"},
      {"over a read-only file",
       {{"@\\c10\\src\\a.dbx", 0x20, "new"}, {"@\\c10\\dst\\a.dbx", 0x21, "old"}},
       "@\\c10\\src\\a.dbx",
       "@\\c10\\dst\\a.dbx",
       true,
       Answer::None,
       true,
       false,
       "@\\c10\\dst\\a.dbx",
       "new"},
      {"into a missing folder named with a backslash",
       {{"@\\c11\\src\\a.dbx", 0x20, "new"}},
       "@\\c11\\src\\a.dbx",
       "@\\c11\\dst\\",
       true,
       Answer::None,
       true,
       false,
       "@\\c11\\dst\\a.dbx",
       "new",
       true,
       false,
       nullptr},
      {"onto itself",
       {{"@\\c12\\a.dbx", 0x20, "same"}},
       "@\\c12\\a.dbx",
       "@\\c12\\a.dbx",
       true,
       Answer::None,
       false,
       false,
       "@\\c12\\a.dbx",
       "same"},
      {"with relative names",
       {{"@\\c13\\src\\a.dbx", 0x20, "new"}, {"@\\c13\\dst", kDir, ""}},
       "c13\\src\\a.dbx",
       "c13\\dst\\",
       true,
       Answer::None,
       true,
       false,
       "@\\c13\\dst\\a.dbx",
       "new"},
  };
  return cases;
}

// How a platform answers the shell's questions and counts them.
class Asker {
 public:
  virtual ~Asker() = default;
  virtual void Arm(Answer answer) = 0;
  virtual int Disarm() = 0;  // the number of questions asked since Arm
};

inline void CheckCopies(App& app, TreeBuilder& builder, Asker& asker, bool wine) {
  char missing = MissingDrive(app.p.files);
  for (const CopyCase& c : CopyCases()) {
    SCOPED_TRACE(c.name);
    Build(builder, c.setup, missing);
    asker.Arm(c.answer);
    bool result = ShellFileCopy(app, Expand(c.src, missing), Expand(c.dest, missing), c.noConfirm);
    int asked = asker.Disarm();
    bool differs = wine && c.wineDiffers;
    EXPECT_EQ(result, differs ? c.wineExpected : c.expected);
    EXPECT_EQ(asked > 0, c.asked);
    const char* contents = differs ? c.wineContents : c.contents;
    std::string check = Expand(c.checkPath, missing);
    std::string got;
    bool exists = app.p.files.ReadFile(check, &got);
    EXPECT_EQ(exists, contents != nullptr) << check;
    if (contents && exists) {
      EXPECT_EQ(got, contents) << check;
    }
  }
}

}  // namespace lark::fscases
