// Set-up shared by the in-process tests under Wine: the program on Wine's real registry,
// files, shell and registry editor, with its own message boxes recorded instead of shown,
// the shell's dialogs answered, and checks that a run writes nowhere it should not.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "common/bytes.h"
#include "common/hosted_state.h"
#include "common/recording_user.h"
#include "core/texts.h"
#include "discovery/edition.h"
#include "discovery/identities.h"
#include "fs/backup_set.h"
#include "fs/sha256.h"
#include "platform/process_owner.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_platform.h"
#include "program/startup.h"
#include "ui/handlers.h"
#include "ui/windowed_app.h"

namespace lark::test {

using hosted::DeleteTree;
using hosted::FirstFound;
using hosted::kAccount;
using hosted::kUserBranches;
using hosted::ReadAll;
using hosted::ReadValue;
using hosted::SetDword;
using hosted::SetText;
using hosted::SetValue;
using hosted::Sparse;
using hosted::StoreHeader;
using hosted::WriteAll;
using hosted::WriteOlder;
using hosted::WriteRaw;
using testing::HexOf;
using testing::Utf16;

inline const std::string kRoot = "C:\\larkmoor-win";
inline const char* const kNtVersion = "Software\\Microsoft\\Windows NT\\CurrentVersion";

// Whether `text` holds `part`; the text is shown when it does not.
inline ::testing::AssertionResult Holds(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

inline bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a folder and everything in it, paths longer than MAX_PATH included.
inline void RemoveTreeW(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring child = path + L"\\" + data.cFileName;
      if (data.cFileName == std::wstring(L".") || data.cFileName == std::wstring(L"..")) continue;
      ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTreeW(child);
      else
        ::DeleteFileW(child.c_str());
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(path.c_str());
}
inline void RemoveTree(const std::string& path) {  // ASCII paths only
  RemoveTreeW(L"\\\\?\\" + std::wstring(path.begin(), path.end()));
}
// The folder made anew, empty.
inline void Recreate(const std::string& folder) {
  RemoveTree(folder);
  ::CreateDirectoryA(folder.c_str(), nullptr);
}

// The names directly inside a folder.
inline std::set<std::string> Entries(const std::string& folder) {
  // The checksum list, the info and the run reports are the program's bookkeeping, not
  // backed-up data; the earlier backups are backups of their own.
  static const std::set<std::string> own = {"Larkmoor.sha256", "Larkmoor.info", "BackupReport.txt",
                                            "RestoreReport.txt", "Earlier Backups"};
  std::set<std::string> names;
  hosted::EachFound(folder + "\\*", [&](const std::string& name, DWORD) {
    if (!own.count(name)) names.insert(name);
    return true;
  });
  return names;
}

// Every file below a folder, by relative path, with its read-only/hidden/system bits and bytes.
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

// Every key and value of a branch under HKEY_CURRENT_USER: "key\name" -> type and bytes.
inline void Snapshot(const std::string& key, std::map<std::string, std::string>* out) {
  HKEY k;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
  (*out)[key + "\\"] = "";
  char name[16384];
  std::string data(65536, '\0');
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = sizeof(name), size = static_cast<DWORD>(data.size()), type = 0;
    if (::RegEnumValueA(k, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                        &size) != ERROR_SUCCESS)
      break;
    // The registry editor's import ends every string with a NUL, as RegSetValueEx would.
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && size && !data[size - 1]) --size;
    (*out)[key + "\\" + name] = std::to_string(type) + ":" + data.substr(0, size);
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = sizeof(name);
    if (::RegEnumKeyExA(k, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    Snapshot(key + "\\" + name, out);
  }
  ::RegCloseKey(k);
}
// The user's own data: identities, mail accounts, address book.
inline std::map<std::string, std::string> UserRegistry() {
  std::map<std::string, std::string> out;
  for (const char* b : kUserBranches)
    if (std::string(b) != "Software\\TarnKeep") Snapshot(b, &out);
  return out;
}

// Answers the shell's own dialogs (class "#32770") of this process with "No", or cancels
// them, from a helper thread, so that nothing can wait for a user; counts them.
class ShellDialogAnswerer {
 public:
  // `answer`: the button pressed where the dialog has it (IDNO, or IDYES to replace).
  explicit ShellDialogAnswerer(IProcesses& processes, int answer = IDNO)
      : answer_(answer), thread_(processes, processes.StartThread([this] {
          for (; !stop_; ::Sleep(50)) ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(this));
        })) {}
  ~ShellDialogAnswerer() { stop_ = true; }  // the owner, last member, waits for the thread
  int answered() const { return answered_; }

 private:
  static BOOL CALLBACK Visit(HWND window, LPARAM self) {
    auto* me = reinterpret_cast<ShellDialogAnswerer*>(self);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    char cls[32] = "";
    ::GetClassNameA(window, cls, sizeof(cls));
    if (pid != ::GetCurrentProcessId() || std::string(cls) != "#32770" ||
        !::IsWindowVisible(window) || !me->seen_.insert(window).second)
      return TRUE;
    int id = ::GetDlgItem(window, me->answer_) ? me->answer_ : IDCANCEL;
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
    ++me->answered_;
    return TRUE;
  }
  const int answer_;
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
  std::set<HWND> seen_;  // touched by the helper thread only
  ThreadOwner thread_;
};

// A file held open without sharing, as a running mail client holds its stores (sharing is per
// handle: a handle of this process refuses the program as another process's would).
inline FileHandle HoldOpen(const std::string& file) {
  return FileHandle(::CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
}

// Symbolic links made as Unix ones with the host's ln (Wine shows such a link as a reparse
// point; its own CreateSymbolicLinkA makes none). When the object goes, every link below
// `root` goes, wherever the program moved it. Wine does not wait for a host program it
// starts, so each waits for its effect.
class HostLinks {
 public:
  explicit HostLinks(std::string root) : root_(std::move(root)) {}
  HostLinks(const HostLinks&) = delete;
  HostLinks& operator=(const HostLinks&) = delete;
  ~HostLinks() {
    Host("Z:\\usr\\bin\\find \"" + Unix(root_) + "\" -type l -delete",
         [&] { return !HoldsLink(root_); });
  }
  // A link at `link` to the folder `target`.
  bool Make(const std::string& link, const std::string& target) {
    return Host("Z:\\bin\\ln -s \"" + Unix(target) + "\" \"" + Unix(link) + "\"", [&] {
      const DWORD a = ::GetFileAttributesA(link.c_str());
      return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
    });
  }

 private:
  static bool HoldsLink(const std::string& folder) {
    bool found = false;
    hosted::EachFound(folder + "\\*", [&](const std::string& name, DWORD a) {
      found = (a & FILE_ATTRIBUTE_REPARSE_POINT) ||
              ((a & FILE_ATTRIBUTE_DIRECTORY) && HoldsLink(folder + "\\" + name));
      return !found;
    });
    return found;
  }
  static std::string Unix(const std::string& path) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    const std::wstring wide(path.begin(), path.end());
    char* name = toUnix ? toUnix(wide.c_str()) : nullptr;
    const std::string out = name ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    return out;
  }
  static bool Host(std::string line, const std::function<bool()>& done) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi))
      return false;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    for (int i = 0; i < 400 && !done(); ++i) ::Sleep(50);
    return done();
  }
  std::string root_;
};

// The real shell, except that its copy of a file whose name holds `name` writes a part of it
// and then ends the run as a kill would: nothing of the run goes on after it.
struct CopyEndingShell : Win32Shell {
  struct Ended {};
  std::string name;
  explicit CopyEndingShell(std::string n) : name(std::move(n)) {}
  int FileCopy(const std::string& from, const std::string& to, unsigned f) override {
    if (from.find(name) == std::string::npos) return Win32Shell::FileCopy(from, to, f);
    std::ofstream(to, std::ios::binary) << "a part of a cop";
    throw Ended{};
  }
};

// The real shell, except that it says whether the program runs under Wine as it is told.
struct ToldShell : Win32Shell {
  bool wine = false;
  bool UnderWine() override { return wine; }
};

// The program's App after the start-up step that reads the identities, and with `option` the
// one that shows the stored overwrite option.
struct StartedApp : WindowedApp {
  explicit StartedApp(const Platform& on, bool option = false) : WindowedApp(on) {
    GetInputPaths(*this);
    if (option) chkbox(*this);
  }
  // A command of the window, in a program just started.
  static void Run(const Platform& on, void (*command)(WindowedApp&)) {
    StartedApp app(on);
    command(app);
  }
};

// The exit code a run ended the process with, -1 when it returned instead.
inline int EndedWith(const std::function<void()>& run) {
  try {
    run();
  } catch (const Ended& e) {
    return e.code;
  }
  return -1;
}

// A fresh profile on Windows XP, with the folder the program "was started in" at kRoot\cwd;
// afterwards, nothing new may have appeared in the root of C: or in the Windows folder.
class WinTest : public ::testing::Test {
 protected:
  Win32Platform w;
  RecordingUser user;
  Platform p{w.registry, w.files, w.streams, w.processes, w.shell, user};
  std::unique_ptr<ShellDialogAnswerer> shellDialogs;
  std::string savedProduct, savedCwd;
  std::set<std::string> rootBefore, windowsBefore, cwdBefore;
  const std::string cwd = kRoot + "\\cwd";
  const std::string stores = kRoot + "\\stores";
  const std::string backup = kRoot + "\\bk";
  const std::string book = kRoot + "\\book\\me.wab";

  void SetUp() override {
    savedProduct = ReadValue(HKEY_LOCAL_MACHINE, kNtVersion, "ProductName");
    SetProduct("Microsoft Windows XP");
    for (const char* b : kUserBranches) DeleteTree(b);
    char here[MAX_PATH] = "";
    ::GetCurrentDirectoryA(MAX_PATH, here);
    savedCwd = here;
    ::SetCurrentDirectoryA("C:\\");
    RemoveTree(kRoot);
    ::CreateDirectoryA(kRoot.c_str(), nullptr);
    ::CreateDirectoryA(cwd.c_str(), nullptr);
    ::SetCurrentDirectoryA(cwd.c_str());
    shellDialogs = std::make_unique<ShellDialogAnswerer>(w.processes);
    rootBefore = Entries("C:");
    windowsBefore = Entries("C:\\windows");
    cwdBefore = Entries(cwd);
  }
  void TearDown() override {
    shellDialogs.reset();
    EXPECT_EQ(Entries("C:"), rootBefore) << "a write in the root of C:";
    EXPECT_EQ(Entries("C:\\windows"), windowsBefore) << "a write in the Windows folder";
    EXPECT_EQ(Entries(cwd), cwdBefore) << "a write in the start folder";
    ::SetCurrentDirectoryA(savedCwd.c_str());
    for (const char* b : kUserBranches) DeleteTree(b);
    if (savedProduct != "<missing>") SetProduct(savedProduct.c_str());
  }
  static void SetProduct(const std::string& name) {
    SetValue(HKEY_LOCAL_MACHINE, kNtVersion, "ProductName", REG_SZ, name + '\0');
  }

  std::string Store(const std::string& id) { return stores + "\\" + id; }
  // An identity with a display name and a store folder (REG_EXPAND_SZ, as the mail client
  // writes it); an empty store leaves the mail-client key out. The first is the default.
  void Identity(const std::string& id, const std::optional<std::string>& name,
                const std::string& store = "") {
    if (name) SetText("Identities\\" + id, "Username", *name);
    if (!store.empty()) SetText(MailClientKey(id), "Store Root", store, REG_EXPAND_SZ);
    if (ReadValue(HKEY_CURRENT_USER, "Identities", "Default User ID") == "<missing>")
      SetText("Identities", "Default User ID", id);
  }
  // An identity whose store holds one Inbox.dbx that names it.
  void Seeded(const std::string& id, const std::optional<std::string>& name) {
    WriteAll(Store(id) + "\\Inbox.dbx", "inbox of " + id);
    Identity(id, name, Store(id));
  }
  // The settings and the address book; the default backup folder is made, another is not.
  void Settings(const std::string& folder = "", DWORD overwrite = 1) {
    hosted::SeedSettings(folder.empty() ? backup : folder, overwrite, folder.empty());
    SetText("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", book);
    WriteAll(book, "address book");
  }

  // A complete backup as an unattended run with its window shown ("/a") makes it, after the
  // start-up steps that read the identities and the option; the exit code it would end with.
  int Backup(App& app) {
    user.messages.clear();
    GetInputPaths(app);
    chkbox(app);
    app.Form1().SetVisible(true);
    CompleteBackup(app, {StoredOverwrite(app.p), true, false, StoredBackupFolder(app.p)});
    return app.state.exitCode;
  }
  int Backup(const Platform& on) {
    WindowedApp app(on);
    return Backup(app);
  }
  int Backup() { return Backup(p); }
  // A complete restore from the window, the address-book dialog cancelled; panel 1 after it.
  std::string Restore() { return Restore(p); }
  std::string Restore(const Platform& on) {
    user.messages.clear();
    StartedApp app(on, true);
    cmdRestore_Click(app);
    return app.Form1().Panel(1);
  }
  // The closing report of a backup or restore, or "" when none was shown.
  std::string Report() const {
    for (const std::string& m : user.messages)
      if (m.rfind(texts::kBackupProblemsIntro, 0) == 0 ||
          m.rfind(texts::kStoreFindingsIntro, 0) == 0 ||
          m.rfind(texts::kRestoreProblemsIntro, 0) == 0)
        return m;
    return "";
  }
  // Every checksum list in `folder` and below names only files that match it; the number of
  // files the top one names.
  std::size_t ExpectListsTrue(const std::string& folder) {
    const std::string text = ReadAll(folder + "\\Larkmoor.sha256");
    std::size_t lines = 0;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
      std::string rel = text.substr(at + 66, end - at - 66), hex;
      for (char& c : rel) c = c == '/' ? '\\' : c;
      EXPECT_TRUE(Sha256File(w.streams, folder + "\\" + rel, &hex) && hex == text.substr(at, 64))
          << folder << "\\" << rel;
      ++lines;
    }
    for (const std::string& sub : SubFolders(w.files, folder)) ExpectListsTrue(folder + "\\" + sub);
    return lines;
  }
  std::string Messages() const {
    std::string all;
    for (const std::string& m : user.messages) all += "[" + m + "]\n";
    return all;
  }
};

}  // namespace lark::test
