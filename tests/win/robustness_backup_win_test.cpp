// The complete backup fed hostile and broken input under Wine: identity names, "Store Root"
// values, stores that cannot be read, backup folders that cannot be reached, odd settings
// and registries, and an export held open by another process. Each case must end in order:
// what can be saved is saved, what cannot is named, and nothing is written elsewhere.
#include <windows.h>
#include <psapi.h>
#include <sddl.h>

#include <cstring>
#include <optional>
#include <vector>

#include "backup/kept_backups.h"
#include "fs/backup_set.h"
#include "fs/regedit_run.h"
#include "restore/identity_reg.h"
#include "win_support.h"

namespace lark::test {
namespace {

using BackupRobustness = WinTest;

// Display names that are not valid folder names, or that give the same folder as another
// identity's, each get a folder of their own inside the backup folder; a restore finds
// them again by the same rule.
TEST_F(BackupRobustness, HostileDisplayNamesEachGetTheirOwnFolderAndComeBack) {
  struct Case {
    const char* id;
    std::optional<std::string> name;  // nullopt: no "Username" value at all
    std::string folder;               // the folder it gets in the backup folder
  } cases[] = {
      {"{A}", "..\\..\\Windows", ".._.._Windows"},
      {"{B}", "a/b", "a_b"},
      {"{C}", "C:\\x", "C__x"},
      {"{D}", "CON", "CON_"},
      {"{E}", "NUL", "NUL_"},
      {"{F}", "name.", "name_"},
      {"{G}", " ", "_ {G}"},  // a blank name, an empty one and none at all give the
      {"{H}", "", "_ {H}"},   // same folder name, so each also carries its key
      {"{I}", std::nullopt, "_ {I}"},
      {"{J}", std::string(300, 'L'), std::string(255, 'L')},  // past the path limit
      {"{K}", "J\xFCrgen M\xFCller \xE9t\xE9", "J\xFCrgen M\xFCller \xE9t\xE9"},
      // Folder names are the same whatever the case, of accented letters too.
      {"{L}", "\xC9lise Twin", "\xC9lise Twin {L}"},
      {"{M}", "\xE9LISE TWIN", "\xE9LISE TWIN {M}"},
  };
  for (const Case& c : cases) Seeded(c.id, c.name);
  Settings();
  const auto storesBefore = Files(stores);

  WindowedApp app(p);
  // The longest name's folder reaches past what a Windows path may hold: Windows refuses
  // to make it, Wine makes it but cannot give its path back. Either way it is named in the
  // report, nothing of it lands anywhere else, and it is the only thing named.
  EXPECT_EQ(Backup(app), 4);
  const std::string longest = std::string(255, 'L');
  std::set<std::string> expected = {"AllIdentities.reg", "AddressBook.reg", "me.wab"};
  for (const Case& c : cases) {
    if (c.folder == longest) {
      if (Entries(backup).count(longest)) expected.insert(longest);
      continue;
    }
    expected.insert(c.folder);
    EXPECT_EQ(ReadAll(backup + "\\" + c.folder + "\\Inbox.dbx"), std::string("inbox of ") + c.id)
        << c.folder;
  }
  EXPECT_EQ(Entries(backup), expected);
  EXPECT_EQ(Messages(), "[" + std::string(texts::kBackupProblemsIntro) + "\r\n" +
                            texts::IdentityFolderNotCreated(longest) + "]\n");
  EXPECT_EQ(Files(stores), storesBefore);
  EXPECT_EQ(app.Form1().Panel(2), "12 Identities Backed Up");

  // Damage every store, then restore: each identity gets its own files back.
  for (const Case& c : cases) WriteOlder(Store(c.id) + "\\Inbox.dbx", "damaged");
  user.messages.clear();
  cmdRestore_Click(app);
  EXPECT_EQ(app.Form1().Panel(1), "Restore Complete");
  EXPECT_TRUE(user.messages.empty()) << Messages();
  for (const Case& c : cases) {
    if (c.folder == longest) continue;  // whatever Wine kept of it, it is not checked here
    EXPECT_EQ(ReadAll(Store(c.id) + "\\Inbox.dbx"), std::string("inbox of ") + c.id) << c.id;
  }
}

// What a "Store Root" can hold, and what the backup makes of it: a folder it backs up, the
// empty-identity placeholder it passes over, a folder that is not there (named, while the
// identity's address book and signatures are saved), or a value that names no folder
// (named, and nothing saved for it).
TEST_F(BackupRobustness, StoreRootValuesAreBackedUpOrNamedInTheReport) {
  enum Outcome { kBackedUp, kPassedOver, kNoFolderRecorded, kFolderNotFound };
  const std::string longVar = "LARK_" + std::string(280, 'V');
  ::SetEnvironmentVariableA(longVar.c_str(), (stores + "\\long").c_str());
  ::SetEnvironmentVariableA("LARKSUB", "pre");
  WriteAll(stores + "\\long\\Inbox.dbx", "long");
  WriteAll(stores + "\\pre\\Inbox.dbx", "prefixed");
  WriteAll(stores + "\\a file", "not a folder");
  struct Case {
    const char* name;
    DWORD type;  // 0: no value
    std::string data;
    Outcome outcome;
    std::string shownPath;  // the folder the report names
  } cases[] = {
      {"missing", 0, "", kNoFolderRecorded, ""},
      {"empty", REG_EXPAND_SZ, std::string(1, '\0'), kNoFolderRecorded, ""},
      {"dword", REG_DWORD, std::string("\x05\0\0\0", 4), kNoFolderRecorded, ""},
      {"binary", REG_BINARY, stores + "\\pre", kNoFolderRecorded, ""},
      {"multi", REG_MULTI_SZ, stores + "\\pre" + std::string(2, '\0'), kNoFolderRecorded, ""},
      {"long", REG_EXPAND_SZ, "%" + longVar + "%" + std::string(1, '\0'), kBackedUp, ""},
      {"percent", REG_EXPAND_SZ, std::string("%\0", 2), kFolderNotFound, "%"},
      {"undefined", REG_EXPAND_SZ, std::string("%LARK_NOT_DEFINED%\\x\0", 21), kFolderNotFound,
       "%LARK_NOT_DEFINED%\\x"},
      {"prefixed", REG_EXPAND_SZ, stores + "\\%LARKSUB%" + std::string(1, '\0'), kBackedUp, ""},
      {"nowhere", REG_SZ, stores + "\\nowhere" + std::string(1, '\0'), kFolderNotFound,
       stores + "\\nowhere"},
      {"file", REG_SZ, stores + "\\a file" + std::string(1, '\0'), kFolderNotFound,
       stores + "\\a file"},
      {"placeholder", REG_EXPAND_SZ, kEmptyIdentityMarker + std::string(1, '\0'), kPassedOver, ""},
  };
  int i = 0;
  for (const Case& c : cases) {
    std::string id = "{" + std::to_string(10 + i++) + "}";
    Identity(id, c.name);
    SetText(MailClientKey(id), "Other", "so that the key exists");
    if (c.type) SetValue(HKEY_CURRENT_USER, MailClientKey(id), "Store Root", c.type, c.data);
  }
  Settings();
  const auto storesBefore = Files(stores);

  WindowedApp app(p);
  EXPECT_EQ(Backup(app), 4);
  const std::string report = Report();
  int backedUp = 0;
  for (const Case& c : cases) {
    bool folder = Exists(backup + "\\" + c.name);
    switch (c.outcome) {
      case kBackedUp:
        ++backedUp;
        EXPECT_EQ(ReadAll(backup + "\\" + c.name + "\\Inbox.dbx"), c.name);
        break;
      case kPassedOver:
        EXPECT_FALSE(folder) << c.name;
        EXPECT_FALSE(Holds(report, c.name)) << c.name;
        break;
      case kNoFolderRecorded:
        EXPECT_FALSE(folder) << c.name;
        EXPECT_TRUE(Holds(report, texts::NoStoreFolderRecorded(c.name))) << c.name;
        break;
      case kFolderNotFound:
        ++backedUp;
        EXPECT_TRUE(Exists(backup + "\\" + c.name + "\\me.wab")) << c.name;
        EXPECT_FALSE(Exists(backup + "\\" + c.name + "\\Inbox.dbx")) << c.name;
        EXPECT_TRUE(Holds(report, texts::StoreFolderNotFound(c.name, c.shownPath)))
            << c.name << "\n"
            << report;
        break;
    }
  }
  EXPECT_EQ(app.Form1().Panel(2), std::to_string(backedUp) + " Identities Backed Up");
  EXPECT_EQ(Files(stores), storesBefore);
}

// A store file held open without sharing, an empty one, a read-only one and one whose
// name has blanks and characters above 127: the others are saved, the held one is named,
// and once it is free a second run saves it too.
TEST_F(BackupRobustness, StoreFilesThatAreHeldEmptyReadOnlyOrOddlyNamed) {
  const std::string odd = "Ma\xEFl f\xFCr B\xF6x \xA7 1.dbx";
  std::string inbox(300000, '\0');
  for (std::size_t i = 0; i < inbox.size(); ++i) inbox[i] = static_cast<char>(i * 7919 >> 3);
  WriteAll(Store("{A}") + "\\Inbox.dbx", inbox);
  WriteAll(Store("{A}") + "\\Empty.dbx", "");
  WriteAll(Store("{A}") + "\\ReadOnly.dbx", "read only", FILE_ATTRIBUTE_READONLY);
  WriteAll(Store("{A}") + "\\" + odd, "odd name");
  WriteAll(Store("{A}") + "\\Locked.dbx", "locked");
  Identity("{A}", "Main", Store("{A}"));
  Seeded("{B}", "Work");
  Settings();
  const auto storesBefore = Files(stores);
  {
    const FileHandle holder = HoldOpen(Store("{A}") + "\\Locked.dbx");
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(Backup(), 4);
    EXPECT_EQ(Report(), std::string(texts::kBackupProblemsIntro) + "\r\n" +
                            texts::FileNotCopied(Store("{A}") + "\\Locked.dbx"));
  }
  EXPECT_EQ(ReadAll(backup + "\\Main\\Inbox.dbx"), inbox);
  EXPECT_EQ(ReadAll(backup + "\\Main\\Empty.dbx"), "");
  EXPECT_EQ(ReadAll(backup + "\\Main\\ReadOnly.dbx"), "read only");
  EXPECT_EQ(ReadAll(backup + "\\Main\\" + odd), "odd name");
  EXPECT_EQ(ReadAll(backup + "\\Work\\Inbox.dbx"), "inbox of {B}");
  EXPECT_EQ(Files(stores), storesBefore);

  // The second run replaces the read-only copy without a question and saves the freed file.
  const int answered = shellDialogs->answered();
  EXPECT_EQ(Backup(), 0) << Messages();
  EXPECT_EQ(shellDialogs->answered(), answered);
  EXPECT_EQ(ReadAll(backup + "\\Main\\Locked.dbx"), "locked");
  EXPECT_EQ(Files(stores), storesBefore);
}

// Backup folders that are missing, unreachable, read-only, oddly named or near the limit of
// a Windows path.
TEST_F(BackupRobustness, BackupFoldersThatCannotBeReachedOrAreAwkward) {
  // \\localhost\larkrob is a share served from a folder of the Wine prefix.
  char prefix[MAX_PATH] = "";
  if (!::GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH)) {
    ::GetEnvironmentVariableA("HOME", prefix, MAX_PATH - 8);
    std::strcat(prefix, "/.wine");
  }
  std::string share = std::string("Z:") + prefix;
  for (char& c : share)
    if (c == '/') c = '\\';
  share += "\\dosdevices\\unc";
  ::CreateDirectoryA(share.c_str(), nullptr);
  ::CreateDirectoryA((share + "\\localhost").c_str(), nullptr);
  share += "\\localhost\\larkrob";
  RemoveTree(share);
  ::CreateDirectoryA(share.c_str(), nullptr);
  const std::string nearLimit = kRoot + "\\" + std::string(180 - kRoot.size() - 1, 'o');
  const std::string atLimit = kRoot + "\\" + std::string(234 - kRoot.size() - 1, 'p');
  const std::string proc = "Z:\\proc\\1";
  struct Case {
    const char* what;
    std::string folder;
    bool create;
    DWORD attributes;
    int exitCode;
    std::vector<std::string> report;  // lines the closing report must hold
  } cases[] = {
      {"missing", kRoot + "\\gone", false, 0, 2, {}},
      {"drive that does not exist", "Q:\\Mail Backup", false, 0, 2, {}},
      {"server that does not answer", "\\\\nohost\\share\\bk", false, 0, 2, {}},
      // Windows ignores the attribute on a folder (and Wine does not keep it): no hindrance.
      {"read-only", kRoot + "\\read only", true, FILE_ATTRIBUTE_READONLY, 0, {}},
      {"blanks", kRoot + "\\My Mail  Backup", true, 0, 0, {}},
      {"network share", "\\\\localhost\\larkrob\\bk", true, 0, 0, {}},
      // A backup is first written into Earlier Backups\<time>.partial: a folder whose paths
      // would grow too long there, or that cannot take a folder at all, gets nothing.
      {"near the path limit", nearLimit, true, 0, 0, {}},
      {"at the path limit", atLimit, true, 0, 2, {"- \"" + atLimit + "\\Earlier Backups"}},
      {"unwritable medium", proc, false, 0, 2, {texts::NotCreated(proc + "\\Earlier Backups")}},
  };
  Identity("{A}", "Main", Store("{A}"));
  WriteAll(Store("{A}") + "\\Inbox.dbx", "inbox");
  SetText(MailClientKey("{A}") + "\\Signatures\\00000000", "text", "-- A");
  SetText(kAccount, "Account Name", "mail");
  Settings(cases[0].folder);
  const auto storesBefore = Files(stores);
  const auto registryBefore = UserRegistry();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.create) {
      ::CreateDirectoryA(c.folder.c_str(), nullptr);
      if (c.attributes) ::SetFileAttributesA(c.folder.c_str(), c.attributes);
    }
    Settings(c.folder);
    EXPECT_EQ(Backup(), c.exitCode) << Messages();
    if (c.exitCode == 2 && c.report.empty()) {
      // Nothing is written, and nobody may be there to read a message: the code says it.
      EXPECT_FALSE(Exists(c.folder));
      EXPECT_TRUE(user.messages.empty()) << Messages();
      // A user who starts the backup from the window is told.
      StartedApp::Run(p, cmdComplete_Click);
      EXPECT_EQ(Messages(), "[" + texts::BackupFolderNotOpened(c.folder) + "]\n");
      EXPECT_FALSE(Exists(c.folder));
    }
    if (c.exitCode == 0) {
      EXPECT_TRUE(user.messages.empty()) << Messages();
      for (const char* f : {"AllIdentities.reg", "IAM.reg", "AddressBook.reg", "me.wab",
                            "Main\\Inbox.dbx", "Main\\me.wab", "Main\\SignaturesWinXP.reg"})
        EXPECT_TRUE(Exists(c.folder + "\\" + f)) << f;
    }
    for (const std::string& line : c.report)
      EXPECT_TRUE(Holds(Report(), line)) << line << "\n" << Messages();
    EXPECT_EQ(Files(stores), storesBefore);
    EXPECT_EQ(UserRegistry(), registryBefore);
  }
  RemoveTree(share);
}

// An identity key the user may read but not change makes discovery stop with its message;
// the identities whose names it never read must still not share one folder.
TEST_F(BackupRobustness, IdentityKeyThatCannotBeOpenedStopsDiscoveryButMergesNothing) {
  Seeded("{A}", "Ann");
  Seeded("{M}", "Mid");
  Seeded("{Z}", "Zed");
  // Permissions in the security descriptor language: KR read, WD change them, SD delete;
  // KA everything. Whatever happens below, the key gets them all back so it can be deleted.
  auto permit = [](const char* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    HKEY k;
    LONG rc = -1;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd,
                                                               nullptr) &&
        ::RegOpenKeyExA(HKEY_CURRENT_USER, "Identities\\{M}", 0, WRITE_DAC, &k) == 0) {
      rc = ::RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, sd);
      ::RegCloseKey(k);
    }
    ::LocalFree(sd);
    return rc;
  };
  struct Unlock {
    decltype(permit)& f;
    ~Unlock() { f("D:(A;;KA;;;WD)"); }
  } restore{permit};
  ASSERT_EQ(permit("D:(A;;KRWDSD;;;WD)"), 0);  // everyone may read it; nothing else
  Settings();

  int code = Backup();
  ASSERT_GE(user.messages.size(), 1u);
  EXPECT_EQ(user.messages[0], "Registry read error 5 Identities\\Username");
  EXPECT_EQ(code, 0) << Messages();
  // Every identity's files are in the backup, in a folder of its own.
  std::set<std::string> inboxes;
  for (const std::string& folder : Entries(backup))
    if (Exists(backup + "\\" + folder + "\\Inbox.dbx"))
      inboxes.insert(ReadAll(backup + "\\" + folder + "\\Inbox.dbx"));
  EXPECT_EQ(inboxes, (std::set<std::string>{"inbox of {A}", "inbox of {M}", "inbox of {Z}"}));
}

TEST_F(BackupRobustness, FiveHundredIdentities) {
  for (int i = 0; i < 500; ++i) {
    const std::string id = "{" + std::to_string(1000 + i) + "-0000-0000-0000-000000000000}";
    if (i % 200 == 7)
      Seeded(id, "User " + std::to_string(i));
    else
      Identity(id, "User " + std::to_string(i));
  }
  Settings();
  WindowedApp app(p);
  EXPECT_EQ(Backup(app), 0) << Messages();
  EXPECT_EQ(app.Form1().Label2().text, "500");
  EXPECT_EQ(app.Form1().Panel(2), "3 Identities Backed Up");
  EXPECT_EQ(ReadAll(backup + "\\User 407\\Inbox.dbx"),
            "inbox of {1407-0000-0000-0000-000000000000}");
  // The identities export (UTF-16 text) holds every one of them.
  EXPECT_TRUE(Holds(ReadAll(backup + "\\AllIdentities.reg"), Utf16("User 499")));
}

// Files of a backup folder in sizes no run writes (3 GB, sparse): a checksum list, an info
// file and a swap journal, which the backup goes on without as if they were unreadable, and
// an identities export, which the restore of single identities refuses. Memory does not grow
// with them (a 32-bit program would have run out of it).
TEST_F(BackupRobustness, FilesOfAnySizeLeaveMemoryFlat) {
  Seeded("{A}", "Main");
  Settings();
  auto peak = [] {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize;
  };
  for (const char* name : {"Larkmoor.sha256", "Larkmoor.info", "Earlier Backups\\Larkmoor.swap",
                           "AllIdentities.reg"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(Backup(), 0) << Messages();
    const std::string file = backup + "\\" + name;
    WriteRaw(file, "");
    Sparse(file, 3ll << 30);
    const SIZE_T before = peak();
    if (std::string(name) == "AllIdentities.reg") {
      std::vector<RegIdentity> identities;
      EXPECT_FALSE(ReadRegIdentities(w.streams, file, &identities));
    } else {
      EXPECT_EQ(Backup(), 0) << Messages();
      EXPECT_EQ(ReadAll(backup + "\\Main\\Inbox.dbx"), "inbox of {A}");
    }
    EXPECT_LT(peak() - before, SIZE_T{1} << 30);
  }
}

// The restore reads the identities a backup's file names; the file is whatever lies there.
TEST_F(BackupRobustness, AnIdentitiesFileOfAHundredThousandIdentities) {
  std::string text = "REGEDIT4\r\n\r\n";
  for (int i = 0; i < 100000; ++i)
    text += "[HKEY_CURRENT_USER\\Identities\\{" + std::to_string(i) + "}]\r\n\"Username\"=\"N" +
            std::to_string(i) + "\"\r\n";
  WriteAll(kRoot + "\\many.reg", text);
  std::vector<RegIdentity> identities;
  ASSERT_TRUE(ReadRegIdentities(w.streams, kRoot + "\\many.reg", &identities));
  ASSERT_EQ(identities.size(), 100000u);
  EXPECT_EQ(identities.back().name, "N99999");
}

// Settings of the wrong type: start-up forgets a backup folder it cannot use, so the backup
// asks for one instead of writing wherever the value happens to point.
TEST_F(BackupRobustness, SettingsOfTheWrongType) {
  Seeded("{A}", "Main");
  Settings();
  ::CreateDirectoryA((cwd + "\\bk").c_str(), nullptr);
  cwdBefore = Entries(cwd);
  struct Case {
    const char* what;
    DWORD type;
    std::string data;
  } folders[] = {
      {"a number", REG_DWORD, std::string("\x05\0\0\0", 4)},
      {"a list", REG_MULTI_SZ, backup + std::string(2, '\0')},
      {"an empty text", REG_SZ, std::string(1, '\0')},
      {"a relative folder", REG_SZ, std::string("bk", 3)},
  };
  for (const Case& c : folders) {
    SCOPED_TRACE(c.what);
    DeleteTree("Software\\TarnKeep");
    SetValue(HKEY_CURRENT_USER, "Software\\TarnKeep", "TarnKeep", c.type, c.data);
    SetDword("Software\\TarnKeep", "BackupOverWrite", 1);
    user.messages.clear();
    WindowedApp app(p);
    Form_Load(app);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "Software\\TarnKeep", "TarnKeep"),
              std::string("None Selected", 14));
    user.messages.clear();
    cmdComplete_Click(app);
    EXPECT_EQ(user.messages.size(), 5u) << Messages();
  }

  // The option as text: the number it spells decides.
  struct Option {
    const char* text;
    int checked;
  } options[] = {{"1", 1}, {"0", 0}, {"yes", 0}};
  for (const Option& o : options) {
    WindowedApp app(p);
    app.Form1().SetChkOverwrite(1 - o.checked);  // stores the option as a number
    SetText("Software\\TarnKeep", "BackupOverWrite", o.text);
    chkbox(app);
    EXPECT_EQ(app.Form1().chkOverwrite(), o.checked) << o.text;
  }
}

// Records what the registry editor runs have finished, so that a test can act between
// the end of an export and its rewrite.
struct WatchedProcesses : Win32Processes {
  std::function<void()> onEnded;
  WaitOutcome AwaitHandle(std::uint64_t process, std::uint32_t timeoutMs) override {
    WaitOutcome outcome = Win32Processes::AwaitHandle(process, timeoutMs);
    if (outcome == WaitOutcome::Ended && onEnded) onEnded();
    return outcome;
  }
};

// An export that another process opens as soon as the registry editor has written it: the
// rewrite leaves it as the editor wrote it, says so, and leaves no half-made file behind.
TEST_F(BackupRobustness, ExportHeldOpenWhenTheRewriteStarts) {
  Seeded("{A}", "Main");
  SetText(kAccount, "Account Name", "mail");
  Settings();
  const std::string file = backup + "\\AllIdentities.reg";
  for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    SCOPED_TRACE(share);
    ::DeleteFileA(file.c_str());
    WatchedProcesses watched;
    Platform held{w.registry, w.files, w.streams, watched, w.shell, user};
    HANDLE holder = INVALID_HANDLE_VALUE;
    // The export is written into the staged backup; the holder lets go before the swap.
    auto staged = [&] {
      return FirstFound(backup + "\\Earlier Backups\\*.partial") + "\\AllIdentities.reg";
    };
    bool wasHeld = false;
    watched.onEnded = [&] {
      if (holder == INVALID_HANDLE_VALUE && Exists(staged()))
        holder = ::CreateFileA(staged().c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    };
    g_backupStepHook = [&](const std::string& step) {
      if (step != "staged" || holder == INVALID_HANDLE_VALUE) return;
      wasHeld = ::CloseHandle(holder);
      holder = INVALID_HANDLE_VALUE;
    };
    int code = Backup(held);
    g_backupStepHook = nullptr;
    ASSERT_TRUE(wasHeld);
    EXPECT_EQ(code, 4);
    EXPECT_EQ(Report(), std::string(texts::kBackupProblemsIntro) + "\r\n" +
                            texts::ExportNotRewritten("AllIdentities.reg"));
    std::string content = ReadAll(file);
    EXPECT_EQ(content.substr(0, 2), "\xFF\xFE");  // as the editor wrote it
    EXPECT_EQ(Entries(backup), (std::set<std::string>{"AllIdentities.reg", "IAM.reg",
                                                      "AddressBook.reg", "me.wab", "Main"}));
    EXPECT_EQ(ReadAll(backup + "\\Main\\Inbox.dbx"), "inbox of {A}");
  }
}

// Starts and waits that fail the way Wine's now and then do on a busy machine, which a test
// cannot bring about on demand: chosen starts of the registry editor fail, or the wait for
// it fails after it has in fact ended.
struct FlakyProcesses : Win32Processes {
  std::function<bool(const std::string&)> refuseStart = [](const std::string&) { return false; };
  std::function<bool(const std::string&)> failWait = [](const std::string&) { return false; };
  ProcessId Start(const std::string& commandLine, int showStyle) override {
    if (refuseStart(commandLine)) return ProcessId();
    ProcessId id = Win32Processes::Start(commandLine, showStyle);
    if (id && failWait(commandLine)) unwaitable.insert(id.value);
    return id;
  }
  WaitOutcome AwaitHandle(std::uint64_t process, std::uint32_t timeoutMs) override {
    WaitOutcome outcome = Win32Processes::AwaitHandle(process, timeoutMs);
    return unwaitable.count(process) ? WaitOutcome::Failed : outcome;
  }
  void Pause(std::uint32_t) override { ++pauses; }
  void ReleaseHandle(std::uint64_t process) override {
    unwaitable.erase(process);
    Win32Processes::ReleaseHandle(process);
  }
  int pauses = 0;
  std::set<std::uint64_t> unwaitable;
};

// The identities export's second try (the form Wine's editor reads, second where the program
// does not know it runs under Wine) that cannot start, or whose end cannot be waited for, is
// reported as such, never as an editor that ran out of time, and the previous export stays
// whole in the backup kept before; a start that fails only at first is tried again.
TEST_F(BackupRobustness, ExportsWhoseEditorDoesNotStartOrCannotBeAwaited) {
  Seeded("{A}", "Main");
  Settings();
  const std::string file = backup + "\\AllIdentities.reg";
  const auto secondTry = [](const std::string& line) { return line.find("\\\\\"") != line.npos; };
  struct Case {
    const char* what;
    int refusedStarts;  // of the second try
    bool waitFails;
    int code;
    std::string problem;
  } cases[] = {
      {"no start at all", 99, false, 4, texts::ExportNotStarted("AllIdentities.reg")},
      {"starts on the third try", 2, false, 0, ""},
      {"the wait fails", 0, true, 4, texts::ExportNotAwaited("AllIdentities.reg")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetText("Identities", "Run", "previous");
    ASSERT_EQ(Backup(), 0) << Messages();
    const std::string previous = ReadAll(file);
    SetText("Identities", "Run", "this one");
    FlakyProcesses flaky;
    int refused = 0;
    flaky.refuseStart = [&](const std::string& line) {
      return secondTry(line) && refused++ < c.refusedStarts;
    };
    flaky.failWait = [&](const std::string& line) { return c.waitFails && secondTry(line); };
    ToldShell notWine;
    Platform withFlaky{w.registry, w.files, w.streams, flaky, notWine, user};
    EXPECT_EQ(Backup(withFlaky), c.code);
    EXPECT_EQ(Report(),
              c.problem.empty() ? "" : texts::kBackupProblemsIntro + ("\r\n" + c.problem));
    if (c.refusedStarts > 2) {
      // The new backup lacks the export it could not make; the one before it, kept, has its own.
      EXPECT_FALSE(Exists(file));
      const std::vector<BackupSet> sets = ListBackups(p, backup);
      ASSERT_GE(sets.size(), 2u);
      EXPECT_EQ(ReadAll(sets[1].folder + "\\AllIdentities.reg"), previous);
      EXPECT_EQ(flaky.pauses, regedit::kStartTries - 1);
    }
    if (c.code == 0) {
      EXPECT_NE(ReadAll(file), previous);
    }
  }
}

}  // namespace
}  // namespace lark::test
