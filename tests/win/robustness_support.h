// Shared set-up of the robustness tests under Wine: a scratch area on C:, a profile of
// identities and stores, snapshots of what a run must leave alone, and the platform the
// program runs on with message boxes recorded instead of shown.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "../common/registry_snapshot.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/app.h"
#include "core/startup.h"
#include "core/texts.h"
#include "dialog_answerer.h"
#include "discovery/identities.h"
#include "platform/memory/memory_platform.h"
#include "platform/win32/win32_platform.h"
#include "ui/handlers.h"
#include "win_test_support.h"

namespace lark::robust {

inline const std::string kRoot = "C:\\larkmoor-rob";
inline const char* const kBranches[] = {"Identities", "Software\\TarnKeep",
                                        "Software\\Microsoft\\Internet Account Manager",
                                        "Software\\Microsoft\\WAB"};
inline const char* const kNtVersion = "Software\\Microsoft\\Windows NT\\CurrentVersion";

inline bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The same for a path past the ANSI limit of MAX_PATH characters (ASCII only).
inline std::string ReadAllLong(const std::string& path) {
  std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
  HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(1 << 16, '\0');
  DWORD got = 0;
  ::ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
  ::CloseHandle(h);
  bytes.resize(got);
  return bytes;
}

// Writes the file, making its missing folders first.
inline void WriteAll(const std::string& path, const std::string& bytes, DWORD attributes = 0) {
  for (std::size_t i = 3; i < path.size(); ++i)
    if (path[i] == '\\') ::CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  if (attributes) ::SetFileAttributesA(path.c_str(), attributes);
}

// Removes a folder and everything in it, paths longer than MAX_PATH included.
inline void RemoveTreeW(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTreeW(child);
      else
        ::DeleteFileW(child.c_str());
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(path.c_str());
}
inline void RemoveTree(const std::string& path) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(n, L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], n);
  wide.resize(n > 0 ? n - 1 : 0);
  RemoveTreeW(L"\\\\?\\" + wide);
}

// The names directly inside a folder.
inline std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names.insert(name);
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return names;
}

// Every file below a folder, by relative path, with its attributes and bytes.
inline void Files(const std::string& folder, std::map<std::string, std::string>* out,
                  const std::string& prefix = "") {
  for (const std::string& name : Entries(folder)) {
    std::string path = folder + "\\" + name;
    DWORD a = ::GetFileAttributesA(path.c_str());
    if (a & FILE_ATTRIBUTE_DIRECTORY)
      Files(path, out, prefix + name + "\\");
    else
      (*out)[prefix + name] = std::to_string(a & 0x7) + ":" + ReadAll(path);
  }
}
inline std::map<std::string, std::string> Files(const std::string& folder) {
  std::map<std::string, std::string> out;
  Files(folder, &out);
  return out;
}

inline void SetValue(HKEY root, const std::string& key, const char* name, DWORD type,
                     const std::string& bytes) {
  HKEY k;
  ::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
  ::RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
  ::RegCloseKey(k);
}

// Text with its terminating NUL, as Windows programs store it.
inline void SetText(const std::string& key, const char* name, const std::string& text,
                    DWORD type = REG_SZ) {
  SetValue(HKEY_CURRENT_USER, key, name, type, text + '\0');
}

inline void SetDword(const std::string& key, const char* name, DWORD value) {
  SetValue(HKEY_CURRENT_USER, key, name, REG_DWORD,
           std::string(reinterpret_cast<const char*>(&value), 4));
}

// The user's own data in the registry: identities, mail accounts, address book.
inline std::map<std::string, test::RegEntry> Registry() {
  std::map<std::string, test::RegEntry> out;
  for (const char* b : kBranches)
    if (std::string(b) != "Software\\TarnKeep") test::SnapshotRegistry(b, &out);
  return out;
}

inline std::string MailKey(const std::string& id) { return MailClientKey(id); }

// When this program is started with LARK_HOLD_FILE set, it is only the "other process" of
// the lock cases: it opens that file without sharing, keeps it open until it is ended (at
// most a minute), and never runs a test.
inline const bool kHolder = [] {
  const char* file = std::getenv("LARK_HOLD_FILE");
  if (!file || !*file) return false;
  HANDLE h =
      ::CreateFileA(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ::Sleep(h == INVALID_HANDLE_VALUE ? 0 : 60000);
  ::ExitProcess(h == INVALID_HANDLE_VALUE ? 1 : 0);
  return true;
}();

// Another process holding a file open without sharing, for as long as this object lives.
class HeldByAnotherProcess {
 public:
  explicit HeldByAnotherProcess(const std::string& file) {
    char self[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line = "\"" + std::string(self) + "\"";
    ::SetEnvironmentVariableA("LARK_HOLD_FILE", file.c_str());
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                         &pi)) {
      ::CloseHandle(pi.hThread);
      process_ = pi.hProcess;
    }
    ::SetEnvironmentVariableA("LARK_HOLD_FILE", nullptr);
    // Held once an open that shares everything is refused.
    for (int i = 0; i < 200 && process_; ++i) {
      HANDLE h = ::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
      if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_SHARING_VIOLATION) {
        held_ = true;
        break;
      }
      if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
      ::Sleep(50);
    }
  }
  ~HeldByAnotherProcess() {
    if (!process_) return;
    ::TerminateProcess(process_, 0);
    ::WaitForSingleObject(process_, 5000);
    ::CloseHandle(process_);
  }
  bool held() const { return held_; }

 private:
  HANDLE process_ = nullptr;
  bool held_ = false;
};

// The program on Wine's real registry, files, shell and registry editor; message boxes
// are recorded, and a case's writes are held to the folders it involves: nothing new may
// appear in the root of C:, in the Windows folder or in the folder the run started in.
class RobustTest : public ::testing::Test {
 protected:
  Win32Platform w;
  MemoryUser user;
  // The shell's own questions and error messages would wait for a user: each is answered
  // "No" (or cancelled), and a case that expects none checks that none came.
  std::unique_ptr<test::DialogAnswerer> shellDialogs;
  Platform p{w.registry, w.files, w.streams, w.processes, w.shell, user};
  std::string savedProduct;
  std::string savedCwd;
  std::set<std::string> rootBefore, windowsBefore, cwdBefore;
  const std::string cwd = kRoot + "\\cwd";  // where the program "was started"

  void SetUp() override {
    savedProduct = test::ReadRaw(HKEY_LOCAL_MACHINE, kNtVersion, "ProductName").data;
    SetProduct("Microsoft Windows XP");
    for (const char* b : kBranches) test::DeleteTree(HKEY_CURRENT_USER, b);
    char here[MAX_PATH] = "";
    ::GetCurrentDirectoryA(MAX_PATH, here);
    savedCwd = here;
    ::SetCurrentDirectoryA("C:\\");
    RemoveTree(kRoot);
    ::CreateDirectoryA(kRoot.c_str(), nullptr);
    ::CreateDirectoryA(cwd.c_str(), nullptr);
    ::SetCurrentDirectoryA(cwd.c_str());
    shellDialogs = std::make_unique<test::DialogAnswerer>(IDNO, 120000);
    rootBefore = Entries("C:");
    windowsBefore = Entries("C:\\windows");
    cwdBefore = Entries(cwd);
  }
  void TearDown() override {
    shellDialogs.reset();
    EXPECT_EQ(Entries("C:"), rootBefore) << "a write in the root of C:";
    EXPECT_EQ(Entries("C:\\windows"), windowsBefore) << "a write in the Windows folder";
    ::SetCurrentDirectoryA(savedCwd.c_str());
    for (const char* b : kBranches) test::DeleteTree(HKEY_CURRENT_USER, b);
    SetProduct(savedProduct);
  }
  void ExpectCwdUntouched() { EXPECT_EQ(Entries(cwd), cwdBefore) << "a write in the start folder"; }

  static void SetProduct(const std::string& name) {
    if (name.empty()) return;
    SetValue(HKEY_LOCAL_MACHINE, kNtVersion, "ProductName", REG_SZ, name + '\0');
  }

  // An identity with a display name and a store folder (REG_EXPAND_SZ, as the mail client
  // writes it). An empty store leaves the mail-client key out.
  void Identity(const std::string& id, const std::string& name, const std::string& store = "") {
    SetText("Identities\\" + id, "Username", name);
    if (!store.empty()) SetText(MailKey(id), "Store Root", store, REG_EXPAND_SZ);
    if (id == "{A}" ||
        test::ReadRaw(HKEY_CURRENT_USER, "Identities", "Default User ID").data.empty())
      SetText("Identities", "Default User ID", id);
  }
  void Settings(const std::string& folder, DWORD overwrite = 1) {
    SetText("Software\\TarnKeep", "TarnKeep", folder);
    SetDword("Software\\TarnKeep", "BackupOverWrite", overwrite);
  }
  void AddressBook(const std::string& path, const std::string& bytes = "address book") {
    SetText("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", path);
    WriteAll(path, bytes);
  }

  // A complete backup as an unattended run with its window shown ("/a") makes it, after the
  // start-up steps that read the identities and the option; the exit code that run would
  // end with.
  int Backup(App& app) {
    GetInputPaths(app);
    chkbox(app);
    app.Form1().SetVisible(true);
    app.state.unattended = true;
    cmdComplete_Click(app);
    return app.state.exitCode;
  }
  // The closing report of a backup or restore, or "" when none was shown.
  std::string Report() const {
    for (const auto& m : user.messages)
      if (m.text.rfind(texts::kBackupProblemsIntro, 0) == 0 ||
          m.text.rfind(texts::kRestoreProblemsIntro, 0) == 0)
        return m.text;
    return "";
  }
  std::string Messages() const {
    std::string all;
    for (const auto& m : user.messages) all += "[" + m.text + "]\n";
    return all;
  }
};

}  // namespace lark::robust
