// Path and folder helpers and the shell copy against the in-memory platform. The shared
// cases are the ones the Wine suite runs against the real file system.
#include <gtest/gtest.h>

#include "../common/fs_cases.h"
#include "platform/memory/memory_platform.h"

namespace lark {
namespace {

using fscases::Answer;

class MemoryBuilder : public fscases::TreeBuilder {
 public:
  explicit MemoryBuilder(MemoryFileSystem& files) : files_(files) {}
  void Folder(const std::string& path, std::uint32_t attributes) override {
    files_.AddFolder(path, attributes);
  }
  void File(const std::string& path, const std::string& contents,
            std::uint32_t attributes) override {
    files_.AddFile(path, contents, attributes);
  }

 private:
  MemoryFileSystem& files_;
};

class MemoryAsker : public fscases::Asker {
 public:
  explicit MemoryAsker(MemoryShell& shell) : shell_(shell) {}
  void Arm(Answer answer) override {
    asked_ = 0;
    shell_.confirmReplace = [this, answer](const std::string&) {
      ++asked_;
      return answer == Answer::Yes;
    };
  }
  int Disarm() override { return asked_; }

 private:
  MemoryShell& shell_;
  int asked_ = 0;
};

class FsShared : public ::testing::Test {
 protected:
  MemoryPlatform m;
  App app{m.platform};
  MemoryBuilder builder{m.files};
  void SetUp() override {
    fscases::Build(builder, fscases::Tree(), 'Q');
    ASSERT_TRUE(m.files.SetCurrentDirectoryA(fscases::kBase));
  }
};

TEST_F(FsShared, RawSearchesAnswerAsWindowsDoes) { fscases::CheckSearches(app, false); }
TEST_F(FsShared, DirExists) { fscases::CheckDirExists(app); }
TEST_F(FsShared, PathExists) { fscases::CheckPathExists(app); }
TEST_F(FsShared, FileList) { fscases::CheckFileList(app); }
TEST_F(FsShared, DirectoryFromFileAndNameFromFullPath) { fscases::CheckTextHelpers(); }
TEST_F(FsShared, CreatePathAndMakeFolder) { fscases::CheckCreatePath(app); }
TEST_F(FsShared, ShellFileCopy) {
  MemoryAsker asker(m.shell);
  fscases::CheckCopies(app, builder, asker, false);
}

class Fs : public ::testing::Test {
 protected:
  MemoryPlatform m;
  App app{m.platform};
};

TEST_F(Fs, DriveRootIsAFolderEvenWithNothingVisibleInIt) {
  m.files.AddDrive('E', kDriveRemovable);
  EXPECT_TRUE(DirExists(app, "E:\\"));
  EXPECT_TRUE(DirExists(app, "E:"));
  m.files.AddFile("E:\\boot.sys", "", kFileAttributeHidden | kFileAttributeSystem);
  EXPECT_TRUE(DirExists2(app, "E:\\"));
  EXPECT_TRUE(PathExists(app, "E:\\", true));
  EXPECT_FALSE(PathExists(app, "E:\\", false));
  ASSERT_TRUE(m.files.SetCurrentDirectoryA("E:\\"));
  EXPECT_TRUE(DirExists(app, ""));
}

TEST_F(Fs, DriveWithoutItsMediumIsMissingForDirExistsAndAnErrorForTheSearches) {
  m.files.AddDrive('D', kDriveCdRom, false);
  m.files.AddFile("D:\\Backup\\a.dbx", "a");
  EXPECT_FALSE(DirExists(app, "D:\\Backup"));
  EXPECT_FALSE(DirExists(app, "D:\\"));
  try {
    PathExists(app, "D:\\Backup", true);
    ADD_FAILURE() << "no error";
  } catch (const SearchError& e) {
    EXPECT_EQ(e.code(), kErrorNotReady);
    EXPECT_EQ(e.pattern(), "D:\\Backup");
  }
  app.state.foundFiles = {"a", "b"};
  EXPECT_THROW(FileList(app, "D:\\Backup\\*.dbx"), SearchError);
  EXPECT_EQ(app.state.foundFiles, std::vector<std::string>{""});
  EXPECT_FALSE(CreatePath(app, "D:\\Backup\\New"));

  m.files.SetDriveReady('D', true);
  EXPECT_TRUE(DirExists(app, "D:\\Backup"));
  EXPECT_EQ(FileList(app, "D:\\Backup\\*.dbx"), std::vector<std::string>{"a.dbx"});
}

TEST_F(Fs, ListingKeepsTheFileSystemsOwnOrder) {
  m.files.AddDrive('F', kDriveRemovable, true, /*fatOrder=*/true);
  for (const char* name : {"b.dbx", "C.dbx", "a.dbx"}) {
    m.files.AddFile(std::string("F:\\") + name, "x");
    m.files.AddFile(std::string("C:\\Store\\") + name, "x");
  }
  EXPECT_EQ(FileList(app, "F:\\*.dbx"), (std::vector<std::string>{"b.dbx", "C.dbx", "a.dbx"}));
  EXPECT_EQ(FileList(app, "C:\\Store\\*.dbx"),
            (std::vector<std::string>{"a.dbx", "b.dbx", "C.dbx"}));
}

TEST_F(Fs, ShellFileCopyMakesOneRequestWithOnlyTheUndoAndNoConfirmationFlags) {
  m.files.AddFile("C:\\Store\\Inbox.dbx", "mail");
  EXPECT_TRUE(ShellFileCopy(app, "C:\\Store\\Inbox.dbx", "C:\\Backup\\"));
  EXPECT_TRUE(ShellFileCopy(app, "C:\\Store\\Inbox.dbx", "C:\\Backup\\Inbox.dbx", true));
  ASSERT_EQ(m.shell.copies.size(), 2u);
  EXPECT_EQ(m.shell.copies[0].from, "C:\\Store\\Inbox.dbx");
  EXPECT_EQ(m.shell.copies[0].to, "C:\\Backup\\");
  EXPECT_EQ(m.shell.copies[0].flags, 0x40u);
  EXPECT_EQ(m.shell.copies[1].flags, 0x50u);

  // The shell would read the part after a NUL as a second source.
  const std::string twoPaths("C:\\Store\\Inbox.dbx\0C:\\Windows\\x", 31);
  EXPECT_FALSE(ShellFileCopy(app, twoPaths, "C:\\Backup\\", true));
  EXPECT_FALSE(ShellFileCopy(app, "C:\\Store\\Inbox.dbx", std::string("C:\\B\0x", 6), true));
  EXPECT_EQ(m.shell.copies.size(), 2u);
}

TEST_F(Fs, ShellCopyOfAFolderSourceCopiesItsWholeTreeAsTheShellDoes) {
  // What a copy of "store folder\" + an empty name amounts to.
  m.files.AddFile("C:\\Store\\Inbox.dbx", "in");
  m.files.AddFile("C:\\Store\\Sub\\x.dat", "x", 0x22);
  m.files.AddFolder("C:\\Ident");
  EXPECT_TRUE(ShellFileCopy(app, "C:\\Store\\", "C:\\Ident\\", true));
  EXPECT_EQ(m.files.Contents("C:\\Ident\\Inbox.dbx"), "in");
  EXPECT_EQ(m.files.Contents("C:\\Ident\\Sub\\x.dat"), "x");
  EXPECT_TRUE(ShellFileCopy(app, "C:\\Store", "C:\\Ident\\", true));
  EXPECT_EQ(m.files.Contents("C:\\Ident\\Store\\Inbox.dbx"), "in");
  EXPECT_FALSE(ShellFileCopy(app, "C:\\Store", "C:\\Store\\Inner\\", true));
}

// Windows' DOS wildcards, where Wine's matching is plainer: Wine finds nothing for "ab?"
// and everything for "*.". The program itself only uses "*.*" and "*.dbx".
TEST_F(Fs, StandInMatchesDosWildcardsAsWindowsDoes) {
  for (const char* name : {"ab", "abc", "ab.txt", "abcd", "noext", "Deleted Items.dbx"})
    m.files.AddFile(std::string("C:\\W\\") + name, "x");
  auto names = [&](const char* mask) {
    std::vector<FindEntry> entries;
    m.files.FindFiles(std::string("C:\\W\\") + mask, &entries);
    return fscases::Joined(entries);
  };
  EXPECT_EQ(names("ab?"), "ab|abc");
  EXPECT_EQ(names("*."), ".|..|ab|abc|abcd|noext");
  EXPECT_EQ(names("*.*"), ".|..|ab|ab.txt|abc|abcd|Deleted Items.dbx|noext");
  EXPECT_EQ(names("delete~1.dbx"), "Deleted Items.dbx");
  EXPECT_EQ(names("a*.t*"), "ab.txt");
}

}  // namespace
}  // namespace lark
