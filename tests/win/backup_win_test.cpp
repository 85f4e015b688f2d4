// The complete backup against Wine's real registry, registry editor and shell copy, and
// the round trip: back up, delete the branches, import the files, compare every value.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "backup/complete_backup.h"
#include "core/app.h"
#include "core/startup.h"
#include "discovery/identities.h"
#include "fs/regedit_run.h"
#include "platform/memory/memory_platform.h"
#include "platform/win32/win32_platform.h"
#include "ui/handlers.h"
#include "../common/registry_snapshot.h"
#include "win_test_support.h"

namespace lark {
namespace {

const std::string kRoot = "C:\\larkmoor-win\\backup";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes, DWORD attributes = 0) {
  std::ofstream(path, std::ios::binary) << bytes;
  if (attributes) ::SetFileAttributesA(path.c_str(), attributes);
}

void RemoveTree(const std::string& path) {
  std::string from = path + std::string(2, '\0');
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  ::SHFileOperationA(&op);
}

void SetString(const std::string& key, const char* name, const std::string& value,
               DWORD type = REG_SZ) {
  HKEY k;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                    nullptr);
  ::RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
  ::RegCloseKey(k);
}

void SetDword(const std::string& key, const char* name, DWORD value) {
  HKEY k;
  ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                    nullptr);
  ::RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
  ::RegCloseKey(k);
}

class BackupWin : public ::testing::Test {
 protected:
  Win32Platform w;
  MemoryUser user;  // records message boxes instead of waiting for OK
  Platform p{w.registry, w.files, w.streams, w.processes, w.shell, user};
  std::string productName;

  void SetUp() override {
    for (const char* k : {"Identities", "Software\\TarnKeep",
                          "Software\\Microsoft\\Internet Account Manager", "Software\\Microsoft\\WAB"})
      test::DeleteTree(HKEY_CURRENT_USER, k);
    RemoveTree("C:\\larkmoor-win");
    ::CreateDirectoryA("C:\\larkmoor-win", nullptr);
    ::CreateDirectoryA(kRoot.c_str(), nullptr);
    ::CreateDirectoryA("C:\\larkmoor-win\\storeA", nullptr);
    ::CreateDirectoryA("C:\\larkmoor-win\\storeB", nullptr);
    productName = test::ReadRaw(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion",
                                "ProductName")
                      .data;

    SetString("Software\\TarnKeep", "TarnKeep", kRoot);
    SetDword("Software\\TarnKeep", "BackupOverWrite", 1);
    SetString("Identities", "Default User ID", "{A}");
    SetString("Identities\\{A}", "Username", "Main Identity");
    SetString("Identities\\{B}", "Username", "Work");
    SetString("Identities\\{C}", "Username", "Guest");
    ::SetEnvironmentVariableA("LARKSTORE", "C:\\larkmoor-win");
    SetString(MailClientKey("{A}"), "Store Root", "%LARKSTORE%\\storeA", REG_EXPAND_SZ);
    SetString(MailClientKey("{B}"), "Store Root", "C:\\larkmoor-win\\storeB", REG_EXPAND_SZ);
    SetString(MailClientKey("{A}") + "\\Signatures\\00000000", "text", "-- Ann\\Work\\");
    SetDword(MailClientKey("{A}") + "\\Signatures\\00000000", "type", 1);
    const std::string acct = "Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001";
    SetString(acct, "Account Name", "Home mail");
    SetString(acct, "UNC", "\\\\server\\share\\mail");
    SetString(acct, "Trailing", "C:\\Mail\\");
    SetString(acct, "NewLike", "C:\\new\\tmp\\x.txt");
    SetString(acct, "Quote", "say \"hi\"");
    SetDword(acct, "Port", 110);
    SetString(acct, "Expand", "%USERPROFILE%\\Mail", REG_EXPAND_SZ);
    SetString("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "",
              "C:\\larkmoor-win\\book\\Ann.wab");
    ::CreateDirectoryA("C:\\larkmoor-win\\book", nullptr);
    WriteAll("C:\\larkmoor-win\\book\\Ann.wab", std::string(5000, 'w'));

    std::string big(3 << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7919 >> 3);
    WriteAll("C:\\larkmoor-win\\storeA\\Inbox.dbx", big);
    WriteAll("C:\\larkmoor-win\\storeA\\Folders.dbx", "folders");
    WriteAll("C:\\larkmoor-win\\storeA\\Hidden.dbx", "hidden", FILE_ATTRIBUTE_HIDDEN);
    WriteAll("C:\\larkmoor-win\\storeA\\notes.txt", "not a store");
    WriteAll("C:\\larkmoor-win\\storeB\\Inbox.dbx", "work inbox");
  }
  void TearDown() override {
    SetProductName(productName);
    for (const char* k : {"Identities", "Software\\TarnKeep",
                          "Software\\Microsoft\\Internet Account Manager", "Software\\Microsoft\\WAB"})
      test::DeleteTree(HKEY_CURRENT_USER, k);
  }
  static void SetProductName(const std::string& name) {
    HKEY k;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", 0,
                        KEY_SET_VALUE, &k) != ERROR_SUCCESS)
      return;
    ::RegSetValueExA(k, "ProductName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                     static_cast<DWORD>(name.size() + 1));
    ::RegCloseKey(k);
  }
  void RunBackup(App& app) {
    GetInputPaths(app);
    app.state.silentCopy = true;  // no question when a second run replaces the address book
    app.Form1().SetChkOverwrite(1);
    cmdComplete_Click(app);
  }
};

TEST_F(BackupWin, WritesTheBackupFolderLayoutOnXp) {
  SetProductName("Microsoft Windows XP");
  App app(p);
  RunBackup(app);
  EXPECT_TRUE(user.messages.empty()) << user.messages[0].text;
  EXPECT_EQ(app.state.winVer, "XP");
  for (const char* f : {"AllIdentities.reg", "IAM.reg", "AddressBook.reg", "Ann.wab"})
    EXPECT_NE(::GetFileAttributesA((kRoot + "\\" + f).c_str()), INVALID_FILE_ATTRIBUTES) << f;
  EXPECT_EQ(ReadAll(kRoot + "\\Main Identity\\Inbox.dbx"),
            ReadAll("C:\\larkmoor-win\\storeA\\Inbox.dbx"));
  EXPECT_EQ(ReadAll(kRoot + "\\Main Identity\\Folders.dbx"), "folders");
  EXPECT_EQ(ReadAll(kRoot + "\\Main Identity\\Ann.wab"), std::string(5000, 'w'));
  EXPECT_EQ(::GetFileAttributesA((kRoot + "\\Main Identity\\Hidden.dbx").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(::GetFileAttributesA((kRoot + "\\Main Identity\\notes.txt").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(::GetFileAttributesA((kRoot + "\\Main Identity\\SignaturesWinXP.reg").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadAll(kRoot + "\\Work\\Inbox.dbx"), "work inbox");
  // The guest has only the placeholder discovery wrote for it: no folder.
  EXPECT_EQ(::GetFileAttributesA((kRoot + "\\Guest").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(app.Form1().Panel(1), "Backup Complete");
  EXPECT_EQ(app.Form1().Panel(2), "2 Identities Backed Up");
  // The identities export holds every identity, with single separators in its key lines.
  std::string all = ReadAll(kRoot + "\\AllIdentities.reg");
  std::string wide;
  for (char c : std::string("Identities\\{A}")) wide += std::string(1, c) + '\0';
  EXPECT_NE(all.find(wide), std::string::npos);
  std::string doubled;
  for (char c : std::string("Identities\\\\{A}")) doubled += std::string(1, c) + '\0';
  EXPECT_EQ(all.find(doubled), std::string::npos);
}

TEST_F(BackupWin, RoundTripThroughTheRegistryEditorKeepsEveryValue) {
  SetProductName("Microsoft Windows XP");
  std::map<std::string, test::RegEntry> before, after;
  const char* branches[] = {"Identities", "Software\\Microsoft\\Internet Account Manager\\Accounts",
                            "Software\\Microsoft\\WAB"};
  App app(p);
  RunBackup(app);
  ASSERT_TRUE(user.messages.empty());
  for (const char* b : branches) test::SnapshotRegistry(b, &before);
  ASSERT_GT(before.size(), 15u);
  for (const char* b : branches) test::DeleteTree(HKEY_CURRENT_USER, b);
  ::SetCurrentDirectoryA(kRoot.c_str());
  for (const char* f : {"AllIdentities.reg", "IAM.reg", "AddressBook.reg"})
    ASSERT_TRUE(regedit::RunAndWait(p, std::string("regedit /s /c \"") + f, 60000)) << f;
  for (const char* b : branches) test::SnapshotRegistry(b, &after);
  EXPECT_EQ(before.size(), after.size());
  for (const auto& [name, v] : before) {
    auto it = after.find(name);
    ASSERT_NE(it, after.end()) << name;
    EXPECT_EQ(it->second.type, v.type) << name;
    // The registry editor's import, like RegSetValueEx, counts a terminating NUL that a
    // string value was stored without; everything else comes back byte for byte.
    bool text = v.type == REG_SZ || v.type == REG_EXPAND_SZ;
    if (text && (v.data.empty() || v.data.back() != '\0'))
      EXPECT_EQ(it->second.data, v.data + std::string(1, '\0')) << name;
    else
      EXPECT_EQ(it->second.data, v.data) << name;
  }
}

TEST_F(BackupWin, SignaturesByEditionAndNoEditionNoExports) {
  SetProductName("Microsoft Windows 2000");
  {
    App app(p);
    RunBackup(app);
    EXPECT_NE(::GetFileAttributesA((kRoot + "\\Main Identity\\SignaturesWin2k.reg").c_str()),
              INVALID_FILE_ATTRIBUTES);
  }
  SetProductName("Windows Server 2003");
  {
    App app(p);
    RunBackup(app);
    EXPECT_EQ(app.state.winVer, "NT");
    std::string path = kRoot + "\\Main Identity\\Signatures.reg";
    for (int i = 0; i < 100 && ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
      ::Sleep(100);
    EXPECT_NE(ReadAll(path).size(), 0u);
  }
}

TEST_F(BackupWin, NoBackupFolderGivesFiveRemindersAndWritesNothing) {
  SetString("Software\\TarnKeep", "TarnKeep", "None Selected");
  App app(p);
  RunBackup(app);
  ASSERT_EQ(user.messages.size(), 5u);
  EXPECT_EQ(user.messages[1].text, "Please select a backup folder or create one from the Tools menu ");
  EXPECT_EQ(::GetFileAttributesA((kRoot + "\\AllIdentities.reg").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace lark
