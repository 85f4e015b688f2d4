// Runs of Wine's real registry editor: an awaited import, and an export that is started,
// left to run, and awaited before its file is read.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "fs/regedit_run.h"
#include "platform/win32/win32_platform.h"
#include "win_test_support.h"

namespace lark {
namespace {

constexpr const char* kFolder = "C:\\LarkRegeditTest";
constexpr const char* kKey = "Software\\LarkmoorTest\\Regedit";
constexpr DWORD kTimeoutMs = 60000;

std::string ReadAll(const std::string& path) {
  std::string data;
  HANDLE f = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
  if (f == INVALID_HANDLE_VALUE) return data;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(f, buffer, sizeof(buffer), &got, nullptr) && got > 0) data.append(buffer, got);
  ::CloseHandle(f);
  return data;
}

std::string Utf16(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

class RegeditWin : public ::testing::Test {
 protected:
  Win32Platform w;
  std::string savedDirectory;
  void SetUp() override {
    savedDirectory = w.files.GetCurrentDirectoryA();
    test::DeleteTree(HKEY_CURRENT_USER, kKey);
    ::CreateDirectoryA(kFolder, nullptr);
    ::DeleteFileA((std::string(kFolder) + "\\export.reg").c_str());
    ASSERT_TRUE(w.files.SetCurrentDirectoryA(kFolder));
  }
  void TearDown() override {
    w.files.SetCurrentDirectoryA(savedDirectory);
    test::DeleteTree(HKEY_CURRENT_USER, kKey);
    ::DeleteFileA((std::string(kFolder) + "\\import.reg").c_str());
    ::DeleteFileA((std::string(kFolder) + "\\export.reg").c_str());
    ::RemoveDirectoryA(kFolder);
  }
};

TEST_F(RegeditWin, AwaitedImportOfABareFileNameInTheCurrentDirectory) {
  ASSERT_TRUE(w.files.WriteFile("import.reg",
                                "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\LarkmoorTest\\"
                                "Regedit]\r\n\"Imported\"=\"yes\"\r\n\r\n"));
  // The import form leaves its quote open.
  EXPECT_TRUE(regedit::RunAndWait(w.platform, "regedit /s /c \"import.reg", kTimeoutMs));
  test::RawValue v = test::ReadRaw(HKEY_CURRENT_USER, kKey, "Imported");
  ASSERT_TRUE(v.found);
  EXPECT_EQ(v.data, std::string("yes\0", 4));
}

TEST_F(RegeditWin, ExportStartedNowAndAwaitedBeforeItsFileIsRead) {
  HKEY k;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                              nullptr),
            ERROR_SUCCESS);
  const char value[] = "Value";
  ::RegSetValueExA(k, "Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof(value));
  ::RegCloseKey(k);

  ProcessOwner run =
      regedit::Start(w.platform, "regedit /s /e:A \"export.reg\"  \"HKEY_CURRENT_USER\\" +
                                     std::string(kKey) + "\"");
  ASSERT_TRUE(run.Started());
  ASSERT_TRUE(run.Wait(kTimeoutMs));

  std::string data = ReadAll(std::string(kFolder) + "\\export.reg");
  ASSERT_GE(data.size(), 2u);
  EXPECT_EQ(data.substr(0, 2), "\xFF\xFE");  // Wine writes the version-5 format, UTF-16LE
  EXPECT_NE(data.find(Utf16("[HKEY_CURRENT_USER\\" + std::string(kKey) + "]")), std::string::npos);
  EXPECT_NE(data.find(Utf16("\"Name\"=\"Value\"")), std::string::npos);
}

TEST_F(RegeditWin, AnEditorThatCannotStartCountsAsEnded) {
  ProcessOwner run = regedit::Start(w.platform, "lark-no-such-editor /s /c \"import.reg");
  EXPECT_FALSE(run.Started());
  EXPECT_TRUE(run.Wait(0));
  EXPECT_FALSE(regedit::RunAndWait(w.platform, "lark-no-such-editor /s", 1000));
}

}  // namespace
}  // namespace lark
