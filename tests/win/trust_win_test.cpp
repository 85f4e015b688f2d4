// Backups that stay true and restores that cannot destroy good mail, against Wine's real
// registry, registry editor and shell: every run's files are its own, every copy is checked,
// the checksum list vouches for what the restore puts back.
#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <fstream>

#include "discovery/identities.h"
#include "fs/backup_set.h"
#include "fs/set_aside.h"
#include "platform/win32/win32_platform.h"
#include "ui/handlers.h"
#include "win_support.h"

namespace lark {
namespace {

using namespace test;

const std::string kTop = kRoot + "\\trust";
const std::string kBk = kTop + "\\backup";
const std::string kCheck = "C:\\windows\\temp\\larkmoor-manifest-check";

// Does the UTF-16 export hold this text?
bool ExportHolds(const std::string& file, const std::string& text) {
  return ReadAll(kBk + "\\" + file).find(Utf16(text)) != std::string::npos;
}

// The real shell, watched: the flags of every copy, and a source written to during its copy.
struct WatchingShell : Win32Shell {
  std::vector<unsigned> flags;
  std::string touch;  // a source whose file grows right after the shell copied it
  int FileCopy(const std::string& from, const std::string& to, unsigned f) override {
    flags.push_back(f);
    int rc = Win32Shell::FileCopy(from, to, f);
    if (!touch.empty() && from == touch) std::ofstream(from, std::ios::app) << "new mail";
    return rc;
  }
};

class Trust : public WinTest {
 protected:
  WatchingShell shell;
  Platform p{w.registry, w.files, w.streams, w.processes, shell, user};

  void SetUp() override {
    WinTest::SetUp();
    Identity("{A}", "Main Identity", kTop + "\\storeA");
    Identity("{B}", "Work", kTop + "\\storeB");
    SetText(kAccount, "Account Name", "Home mail");
    SetText("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", kTop + "\\book\\Ann.wab");
    WriteAll(kTop + "\\book\\Ann.wab", std::string(5000, 'w'));
    WriteAll(kTop + "\\storeA\\Inbox.dbx", std::string(1 << 20, 'i'));
    WriteAll(kTop + "\\storeA\\Folders.dbx", "folders");
    WriteAll(kTop + "\\storeB\\Inbox.dbx", "work inbox");
    hosted::SeedSettings(kBk, 1);  // in the folder the files above made
  }
  // The runs go through the watched shell; the overwrite option is stored as a run reads it.
  int Backup() { return WinTest::Backup(p); }
  std::string Restore(const Platform& on, DWORD overwrite = 1) {
    SetDword("Software\\TarnKeep", "BackupOverWrite", overwrite);
    return WinTest::Restore(on);
  }
  std::string Restore() { return Restore(p); }
};

TEST_F(Trust, SecondBackupHoldsEveryChangeAndItsListIsTrue) {
  ASSERT_EQ(Backup(), 0) << (user.messages.empty() ? "" : user.messages[0]);
  SetText("Identities\\{A}", "Username", "Main Identity");
  SetText("Identities", "Changed", "second run");
  SetText(kAccount, "Account Name", "Changed mail");
  SetText("Software\\Microsoft\\WAB", "Changed", "book moved");
  WriteAll(kTop + "\\storeA\\Folders.dbx", "folders, second run");
  ASSERT_EQ(Backup(), 0);
  EXPECT_TRUE(ExportHolds("AllIdentities.reg", "second run"));
  EXPECT_TRUE(ExportHolds("IAM.reg", "Changed mail"));
  EXPECT_TRUE(ExportHolds("AddressBook.reg", "book moved"));
  EXPECT_EQ(ReadAll(kBk + "\\Main Identity\\Folders.dbx"), "folders, second run");
  EXPECT_FALSE(Exists(kBk + "\\AllIdentities.re$"));  // nothing left set aside
  EXPECT_TRUE(Holds(ReadAll(kBk + "\\BackupReport.txt"), "Exit code: 0"));
  // 3 exports, 2 address books + 1, 3 stores, signatures when exported
  EXPECT_GE(ExpectListsTrue(kBk), 9u);
  // Left for scripts/test.sh, which checks the list with the host's own sha256sum -c.
  RemoveTree(kCheck);
  std::string from = kBk + std::string(2, '\0'), to = kCheck + '\0';
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_COPY;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI | FOF_NOCONFIRMMKDIR;
  EXPECT_EQ(::SHFileOperationA(&op), 0);
}

// The previous backup's export read-only, or held open by another program: the new backup
// is whole all the same (its export is written into its own folder), and the previous one is
// kept. Windows refuses to move a file held open: the previous backup then stays at the top
// and the new one is kept beside it, named in the report (Wine moves it).
TEST_F(Trust, APreviousExportReadOnlyOrHeldOpenLosesNeitherBackup) {
  for (bool readOnly : {true, false}) {
    SCOPED_TRACE(readOnly);
    Recreate(kBk);
    ASSERT_EQ(Backup(), 0);
    const std::string path = kBk + "\\AllIdentities.reg";
    SetText("Identities", "Changed", "new settings");
    FileHandle held;
    if (readOnly)
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    else
      held = HoldOpen(path);
    const int code = Backup();
    held.reset();
    const bool swapped = ExportHolds("AllIdentities.reg", "new settings");
    EXPECT_TRUE(swapped || !readOnly);
    EXPECT_EQ(code, swapped ? 0 : 4) << Messages();
    const std::vector<BackupSet> sets = ListBackups(p, kBk);
    ASSERT_EQ(sets.size(), 2u);
    if (!swapped) {
      EXPECT_TRUE(Holds(ReadAll(sets[1].folder + "\\BackupReport.txt"),
                        "- this backup could not be put in the place of the previous one"));
    }
    EXPECT_GE(ExpectListsTrue(kBk), 9u);
    SetText("Identities", "Changed", "");
  }
}

TEST_F(Trust, AStoreWrittenToWhileCopiedIsReportedAndTheEarlierCopyKept) {
  ASSERT_EQ(Backup(), 0);
  const std::string earlier = ReadAll(kBk + "\\Main Identity\\Inbox.dbx");
  shell.touch = kTop + "\\storeA\\Inbox.dbx";
  EXPECT_EQ(Backup(), 4);
  // The new backup has no copy of it; the earlier backup, kept, has the earlier copy.
  EXPECT_FALSE(Exists(kBk + "\\Main Identity\\Inbox.dbx"));
  const std::vector<BackupSet> sets = ListBackups(p, kBk);
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(ReadAll(sets[1].folder + "\\Main Identity\\Inbox.dbx"), earlier);
  EXPECT_TRUE(Holds(ReadAll(kBk + "\\BackupReport.txt"), "Inbox.dbx changed while it was copied"));
}

TEST_F(Trust, AHiddenRunCopiesWithoutAnyDialogOfTheShell) {
  StartedApp app(p);
  CompleteBackup(app, {true, true, true, kBk});  // overwrite, unattended, hidden, folder
  ASSERT_FALSE(shell.flags.empty());
  for (unsigned f : shell.flags)
    EXPECT_EQ(f & (FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_NOCONFIRMMKDIR | FOF_SILENT),
              unsigned(FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_NOCONFIRMMKDIR | FOF_SILENT));
  // Its options end with it: "Backup Address Book" from the window, the box clear, lets the
  // shell ask (the top's copy is gone, so that no question waits for an answer here).
  ::DeleteFileA((kBk + "\\Ann.wab").c_str());
  addBookFile_Click(app, WindowRunOptions(app));
  EXPECT_FALSE(shell.flags.back() & FOF_NOCONFIRMATION);
  app.state.commandLine = "/o /w";  // the option, as "/o" just stored it, decides
  HandleCommandLine(app);
  EXPECT_TRUE(shell.flags.back() & FOF_NOCONFIRMATION);
}

TEST_F(Trust, NothingBackedUpIsNotSuccess) {
  DeleteTree("Identities");
  EXPECT_EQ(Backup(), 3);
}

TEST_F(Trust, CommandLineMakesMissingParentsButNeverAVanishedFolder) {
  struct Case {
    std::string line;
    int code;
    std::string path;  // made, or never made
    bool made;
  } cases[] = {
      {"/a /b:" + kTop + "\\new1\\new2\\Backup", 0, kTop + "\\new1\\new2\\Backup\\IAM.reg", true},
      {"/a /w", 2, kTop + "\\gone", false}};
  for (const Case& c : cases) {
    SetText("Software\\TarnKeep", "TarnKeep", kTop + "\\gone");
    StartedApp app(p);
    app.state.commandLine = c.line;
    // After start-up: the folder vanished since.
    EXPECT_EQ(EndedWith([&] { HandleCommandLine(app); }), c.code) << c.line;
    EXPECT_EQ(Exists(c.path), c.made) << c.line;
  }
}

TEST_F(Trust, ABackupDisk_ThatFillsUpKeepsTheEarlierCopies) {
  // scripts/test.sh maps a 4 MiB tmpfs as drive S: of the prefix.
  if (!Exists("S:\\larkmoor-small-disk")) GTEST_SKIP() << "no small disk mapped as S:";
  Recreate("S:\\backup");
  SetText("Software\\TarnKeep", "TarnKeep", "S:\\backup");
  ASSERT_EQ(Backup(), 0);
  const std::string earlier = ReadAll("S:\\backup\\Main Identity\\Inbox.dbx");
  WriteAll(kTop + "\\storeA\\Inbox.dbx", std::string(3 << 20, 'j'));
  EXPECT_EQ(Backup(), 4);
  // The new backup lacks the store; the earlier one, kept whole, has its earlier copy.
  const std::vector<BackupSet> sets = ListBackups(p, "S:\\backup");
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(ReadAll(sets[1].folder + "\\Main Identity\\Inbox.dbx"), earlier);
  EXPECT_TRUE(Holds(ReadAll("S:\\backup\\BackupReport.txt"), "Inbox.dbx was not copied"));
  RemoveTree("S:\\backup");
}

TEST_F(Trust, RestoreChecksEachFileAgainstTheListBeforeItReplacesALiveOne) {
  for (bool withList : {true, false}) {
    ASSERT_EQ(Backup(), 0);
    if (!withList) ::DeleteFileA((kBk + "\\Larkmoor.sha256").c_str());
    WriteAll(kBk + "\\Main Identity\\Inbox.dbx", "damaged");
    ::SetFileAttributesA((kBk + "\\Work\\Inbox.dbx").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteOlder(kTop + "\\storeA\\Inbox.dbx", "live and good");
    WriteOlder(kTop + "\\storeA\\Folders.dbx", "live, older");
    WriteOlder(kTop + "\\storeB\\Inbox.dbx", "live, older");
    Restore();
    EXPECT_EQ(ReadAll(kTop + "\\storeA\\Inbox.dbx"), withList ? "live and good" : "damaged");
    EXPECT_EQ(ReadAll(kTop + "\\storeA\\Folders.dbx"), "folders");
    EXPECT_EQ(ReadAll(kTop + "\\storeB\\Inbox.dbx"), "work inbox");
    EXPECT_FALSE(::GetFileAttributesA((kTop + "\\storeB\\Inbox.dbx").c_str()) &
                 FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(user.messages.size(), withList ? 1u : 0u);
    if (withList) {
      EXPECT_TRUE(Holds(user.messages[0], "Inbox.dbx is damaged")) << user.messages[0];
      EXPECT_TRUE(Holds(ReadAll(kBk + "\\RestoreReport.txt"), "Inbox.dbx is damaged"));
    }
    ::SetFileAttributesA((kBk + "\\Work\\Inbox.dbx").c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteAll(kTop + "\\storeA\\Inbox.dbx", std::string(1 << 20, 'i'));
  }
}

// Real threads whose checksums take longer each time: the restore's copies are made while the
// list's answer for them is still being worked out.
struct SlowThreads : Win32Processes {
  std::atomic<int> started{0};
  ThreadId StartThread(std::function<void()> work) override {
    const DWORD ms = 400 * ++started;
    return Win32Processes::StartThread([ms, work = std::move(work)] {
      ::Sleep(ms);
      work();
    });
  }
};

// A damaged file of the backup never stays over a live one, whether its check was through
// before its copy or ended after it, and the live file that an interrupted restore of an
// earlier version left aside comes back when the backup's file turns out damaged.
TEST_F(Trust, ADamagedBackupFileNeverStaysOverTheLiveOne) {
  ASSERT_EQ(Backup(), 0);
  WriteAll(kBk + "\\Main Identity\\Inbox.dbx", "damaged");
  SlowThreads slow;
  Platform slowChecks{w.registry, w.files, w.streams, slow, shell, user};
  struct Case {
    const char* name;
    const Platform& on;
    bool interrupted;  // the live file waits aside, a part of a copy in its place
  } cases[] = {{"checked first", p, false},
               {"checked while copied", slowChecks, false},
               {"interrupted before", p, true},
               {"interrupted before, checked while copied", slowChecks, true}};
  const std::string live = kTop + "\\storeA\\Inbox.dbx";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileA(SetAsideNameFor(live).c_str());
    WriteAll(c.interrupted ? SetAsideNameFor(live) : live, "live and good");
    if (c.interrupted) WriteAll(live, "a part of a cop");
    WriteOlder(kTop + "\\storeB\\Inbox.dbx", "live, older");
    Restore(c.on);
    EXPECT_EQ(ReadAll(live), "live and good");
    EXPECT_FALSE(Exists(SetAsideNameFor(live)));
    EXPECT_EQ(ReadAll(kTop + "\\storeB\\Inbox.dbx"), "work inbox");
    EXPECT_TRUE(Holds(ReadAll(kBk + "\\RestoreReport.txt"), "Inbox.dbx is damaged"));
  }
}

// A restore ended while it copies a store (as a kill ends it: nothing of it runs afterwards)
// leaves the live store whole: in its place, or, where the shell was to ask before it
// replaced it and so copied over it, under its set-aside name. The next restore puts the
// backup's in and leaves nothing of the part behind.
TEST_F(Trust, ARestoreEndedDuringACopyLeavesTheLiveStoreWhole) {
  ASSERT_EQ(Backup(), 0);
  CopyEndingShell ending("Inbox.dbx");
  Platform endingCopies{w.registry, w.files, w.streams, w.processes, ending, user};
  const std::string live = kTop + "\\storeA\\Inbox.dbx";
  for (int overwrite : {1, 0}) {
    SCOPED_TRACE(overwrite);
    WriteRaw(live, "live and good");
    EXPECT_THROW(Restore(endingCopies, overwrite), CopyEndingShell::Ended);
    EXPECT_EQ(ReadAll(overwrite ? live : SetAsideNameFor(live)), "live and good");
    Restore();
    EXPECT_EQ(ReadAll(live), std::string(1 << 20, 'i'));
    EXPECT_FALSE(Exists(IncomingNameFor(live)));
    EXPECT_FALSE(Exists(SetAsideNameFor(live)));
  }
}

TEST_F(Trust, OutlookExpressRunningIsAskedToCloseAndNeverRestoredUnder) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = ::DefWindowProcA;
  wc.lpszClassName = "Outlook Express Browser Class";
  ::RegisterClassA(&wc);
  HWND mailClient =
      ::CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(mailClient);
  StartedApp::Run(p, cmdComplete_Click);  // a person there: Cancel, nothing done
  EXPECT_EQ(user.messages.size(), 1u);
  EXPECT_FALSE(Exists(kBk + "\\AllIdentities.reg"));
  EXPECT_EQ(Backup(), 0);  // unattended: goes on, and says so
  EXPECT_TRUE(Holds(ReadAll(kBk + "\\BackupReport.txt"), "Outlook Express was running"));
  WriteAll(kTop + "\\storeB\\Inbox.dbx", "live");
  Restore();  // Cancel: nothing restored
  EXPECT_EQ(ReadAll(kTop + "\\storeB\\Inbox.dbx"), "live");
  user.onAsk = [&] { return ::DestroyWindow(mailClient) != 0; };  // closed, then Retry
  Restore();
  EXPECT_EQ(ReadAll(kTop + "\\storeB\\Inbox.dbx"), "work inbox");
}

}  // namespace
}  // namespace lark
