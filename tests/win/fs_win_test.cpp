// The shared file-system cases against Wine's real file system and shell, so that the
// in-memory stand-in can be held to the same answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "../common/fs_cases.h"
#include "dialog_answerer.h"
#include "platform/win32/win32_platform.h"

namespace lark {
namespace {

using fscases::Answer;

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        ::DeleteFileA(child.c_str());
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
  }
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryA(path.c_str());
}

class DiskBuilder : public fscases::TreeBuilder {
 public:
  void Folder(const std::string& path, std::uint32_t attributes) override {
    ::CreateDirectoryA(path.c_str(), nullptr);
    ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_DIRECTORY);
  }
  void File(const std::string& path, const std::string& contents,
            std::uint32_t attributes) override {
    for (std::size_t cut = path.find('\\', 3); cut != std::string::npos;
         cut = path.find('\\', cut + 1))
      ::CreateDirectoryA(path.substr(0, cut).c_str(), nullptr);
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(f, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    ::CloseHandle(f);
    ::SetFileAttributesA(path.c_str(), attributes);
  }
};

// Answers the shell's questions by pressing the dialog's buttons.
class DialogAsker : public fscases::Asker {
 public:
  void Arm(Answer answer) override {
    answerer_ = std::make_unique<test::DialogAnswerer>(answer == Answer::Yes ? IDYES : IDNO);
  }
  int Disarm() override {
    int answered = answerer_->Answered();
    answerer_.reset();
    return answered;
  }

 private:
  std::unique_ptr<test::DialogAnswerer> answerer_;
};

class FsWin : public ::testing::Test {
 protected:
  Win32Platform w;
  App app{w.platform};
  DiskBuilder builder;
  std::string savedDirectory;
  void SetUp() override {
    savedDirectory = w.files.GetCurrentDirectoryA();
    RemoveTree(fscases::kBase);
    fscases::Build(builder, fscases::Tree(), 'Q');
    ASSERT_TRUE(w.files.SetCurrentDirectoryA(fscases::kBase));
  }
  void TearDown() override {
    w.files.SetCurrentDirectoryA(savedDirectory);
    RemoveTree(fscases::kBase);
  }
};

TEST_F(FsWin, RawSearchesAnswerAsTheStandInDoes) { fscases::CheckSearches(app, true); }
TEST_F(FsWin, DirExists) { fscases::CheckDirExists(app); }
TEST_F(FsWin, PathExists) { fscases::CheckPathExists(app); }
TEST_F(FsWin, FileList) { fscases::CheckFileList(app); }
TEST_F(FsWin, DirectoryFromFileAndNameFromFullPath) { fscases::CheckTextHelpers(); }
TEST_F(FsWin, CreatePathAndMakeFolder) { fscases::CheckCreatePath(app); }
TEST_F(FsWin, ShellFileCopyWithTheShellsOwnQuestions) {
  DialogAsker asker;
  fscases::CheckCopies(app, builder, asker, true);
}

}  // namespace
}  // namespace lark
