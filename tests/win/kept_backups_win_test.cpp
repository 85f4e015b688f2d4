// The backups a folder keeps, against Wine's real file system, shell and registry editor:
// how many, what a run killed at any step leaves, the store check that keeps them all, and
// the check of every kept backup against its list.
#include "backup/check_backups.h"
#include "backup/kept_backups.h"
#include "fs/backup_set.h"
#include "fs/folders.h"
#include "fs/text.h"
#include "ui/restore_choices.h"
#include "win_support.h"

namespace lark::test {
namespace {

const std::string kHostCheck = "C:\\windows\\temp\\larkmoor-kept-check";

struct Killed {};

class Kept : public WinTest {
 protected:
  void SetUp() override {
    WinTest::SetUp();
    Seeded("{A}", "Main");
    SetText(kAccount, "Account Name", "mail");
    Settings();
  }
  void TearDown() override {
    g_backupStepHook = nullptr;
    WinTest::TearDown();
  }
  void Inbox(const std::string& text, std::uint32_t count = 40) {
    WriteRaw(Store("{A}") + "\\Inbox.dbx", StoreHeader(text.size(), count) + text);
  }
  std::vector<BackupSet> Sets() { return ListBackups(p, backup); }
  // A backup ended at `step` as a kill would end it: nothing of it runs afterwards.
  void BackupKilledAt(const std::string& step) {
    g_backupStepHook = [step](const std::string& s) {
      if (s == step) throw Killed{};
    };
    EXPECT_THROW(Backup(), Killed);
    g_backupStepHook = nullptr;
    ::SetCurrentDirectoryA(cwd.c_str());  // a killed process holds no folder as its own
  }
};

// Five backups with N = 3 and a change before each: three are kept, the newest at the top in
// today's layout, each holding its own run's store; the host's sha256sum checks each list.
TEST_F(Kept, FiveRunsKeepTheLastThreeEachWhole) {
  SetDword("Software\\TarnKeep", "Generations", 3);
  for (int run = 1; run <= 5; ++run) {
    Inbox("run " + std::to_string(run));
    ASSERT_EQ(Backup(), 0) << run << Messages();
    ASSERT_EQ(Sets().size(), static_cast<std::size_t>(std::min(run, 3))) << run;
  }
  const std::vector<BackupSet> sets = Sets();
  EXPECT_EQ(Entries(backup), (std::set<std::string>{"AllIdentities.reg", "IAM.reg",
                                                    "AddressBook.reg", "me.wab", "Main"}));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ReadAll(sets[i].folder + "\\Main\\Inbox.dbx"), "run " + std::to_string(5 - i))
        << sets[i].folder;
    EXPECT_EQ(sets[i].info.messages,
              (std::vector<std::pair<std::string, std::uint32_t>>{{"Main/Inbox.dbx", 40}}));
  }
  ExpectListsTrue(backup);
  const std::string report = ReadAll(backup + "\\BackupReport.txt");
  EXPECT_TRUE(Holds(report, "Earlier backups kept: " + NameFromFullPath(sets[1].folder) + ", " +
                                NameFromFullPath(sets[2].folder)));
  EXPECT_TRUE(Holds(report, "Let go (oldest): "));
  EXPECT_EQ(SubFolders(w.files, backup + "\\Earlier Backups").size(), 2u);
  // Left for scripts/test.sh: the host's sha256sum -c in the top and in each kept backup.
  RemoveTree(kHostCheck);
  ::SetCurrentDirectoryA(cwd.c_str());
  ASSERT_TRUE(::MoveFileA(backup.c_str(), kHostCheck.c_str()));
}

// A run ended at each of its steps, as a kill would end it: the backups made before stay
// byte for byte and every list stays true; the next run finishes or removes what it left.
TEST_F(Kept, AKilledRunLosesNoBackupAndTheNextRunTidiesUp) {
  SetDword("Software\\TarnKeep", "Generations", 9);
  const char* steps[] = {"begun",  "copying", "staged",  "journal", "swap 1", "swap 5",
                         "swap 9", "swap 10", "swap 12", "swap 18", "swapped"};
  for (const char* step : steps) {
    SCOPED_TRACE(step);
    Recreate(backup);
    Inbox("first");
    ASSERT_EQ(Backup(), 0) << Messages();
    Inbox("second");
    ASSERT_EQ(Backup(), 0) << Messages();
    const auto second = Files(backup);
    const auto first = Files(Sets()[1].folder);
    Inbox("killed");
    BackupKilledAt(step);
    ExpectListsTrue(backup);
    Inbox("next");
    ASSERT_EQ(Backup(), 0) << Messages();
    const std::vector<BackupSet> sets = Sets();
    EXPECT_EQ(ReadAll(backup + "\\Main\\Inbox.dbx"), "next");
    int found = 0;
    for (const BackupSet& s : sets)
      found += (Files(s.folder) == second) + (Files(s.folder) == first) * 10;
    EXPECT_EQ(found, 11) << "an earlier backup changed";
    ExpectListsTrue(backup);
    for (const std::string& name : SubFolders(w.files, backup + "\\Earlier Backups"))
      EXPECT_TRUE(IsKeptBackupName(name)) << name << " was left behind";
    for (const char* scratch : {"\\Larkmoor.lock", "\\Larkmoor.swap", "\\Larkmoor.swa~"})
      EXPECT_FALSE(Exists(backup + "\\Earlier Backups" + scratch)) << scratch;
  }
}

// A journal of a swap left in the folder that names a person's own folder beside the backups
// (written by hand, or by another program): the swap it describes is finished, but that
// folder is not moved into a kept backup, where letting old backups go would delete it.
TEST_F(Kept, ASwapJournalNeverMovesAPersonsOwnFiles) {
  ASSERT_EQ(Backup(), 0) << Messages();
  WriteAll(backup + "\\My Photos\\beach.jpg", "photo");
  const std::string earlier = backup + "\\Earlier Backups";
  ::CreateDirectoryA((earlier + "\\2000-01-01 00.00.00.partial").c_str(), nullptr);
  WriteAll(earlier + "\\Larkmoor.swap",
           "new\t2001-01-01 00.00.00.partial\r\nold\t2000-01-01 00.00.00\r\n"
           "entry\tMy Photos\r\nentry\tIAM.reg\r\n");
  Inbox("next");
  EXPECT_EQ(Backup(), 0) << Messages();
  EXPECT_EQ(ReadAll(backup + "\\My Photos\\beach.jpg"), "photo");
  EXPECT_EQ(ReadAll(backup + "\\Main\\Inbox.dbx"), ReadAll(Store("{A}") + "\\Inbox.dbx"));
  for (const std::string& kept : SubFolders(w.files, earlier))
    EXPECT_FALSE(Exists(earlier + "\\" + kept + "\\My Photos")) << kept;
}

// A person's own files in the backup folder are never let go: one in an identity folder of the
// newest backup stays in its place through N + 2 runs (N = 3), and an earlier backup that
// holds one is never deleted; when it is let go only its backup's files go, and the report
// of that run names it.
TEST_F(Kept, APersonsFilesOutliveEveryPrune) {
  SetDword("Software\\TarnKeep", "Generations", 3);
  ASSERT_EQ(Backup(), 0) << Messages();
  WriteAll(backup + "\\Main\\notes.txt", "mine");
  Inbox("second");
  ASSERT_EQ(Backup(), 0) << Messages();
  const std::string kept = Sets()[1].folder;
  WriteAll(kept + "\\Main\\letter.txt", "also mine");
  int named = 0;
  for (int run = 1; run <= 5; ++run) {
    Inbox("run " + std::to_string(run));
    ASSERT_EQ(Backup(), 0) << run << Messages();
    EXPECT_EQ(ReadAll(backup + "\\Main\\notes.txt"), "mine") << run;
    named += ReadAll(backup + "\\BackupReport.txt").find(texts::KeptHoldingOthers(kept)) !=
             std::string::npos;
  }
  EXPECT_EQ(named, 1);
  EXPECT_EQ(Sets().size(), 3u);
  EXPECT_EQ(Files(kept), (std::map<std::string, std::string>{{"Main\\letter.txt", "0:also mine"}}));
  EXPECT_FALSE(Exists(kept + "\\" + kManifestFile));
  EXPECT_EQ(ReadAll(backup + "\\Main\\Inbox.dbx"), "run 5");
  ExpectListsTrue(backup);
}

// Each small file renamed into place (checksum list, info, swap journal, report, the address
// book's copy beside the earlier one) is on the disk before its rename. A power cut cannot be
// had on demand: Wine's files and shell are watched instead, and any file written and then
// renamed without a flush in between is named.
TEST_F(Kept, EveryFileIsWrittenOutBeforeItsRename) {
  struct Watched : Win32FileSystem, Win32Shell {
    std::set<std::string> unflushed, renamed;
    std::vector<std::string> early;  // renamed into place before they were written out
    bool WriteFile(const std::string& path, const std::string& text) override {
      unflushed.insert(FoldedName(path));
      return Win32FileSystem::WriteFile(path, text);
    }
    int FileCopy(const std::string& from, const std::string& to, unsigned flags) override {
      unflushed.insert(FoldedName(to));
      return Win32Shell::FileCopy(from, to, flags);
    }
    bool FlushFile(const std::string& path) override {
      unflushed.erase(FoldedName(path));
      return Win32FileSystem::FlushFile(path);
    }
    bool MoveFileReplacing(const std::string& from, const std::string& to) override {
      if (unflushed.count(FoldedName(from))) early.push_back(to);
      renamed.insert(NameFromFullPath(to));
      return Win32FileSystem::MoveFileReplacing(from, to);
    }
  } watched;
  const Platform on{w.registry, watched, w.streams, w.processes, watched, user};
  ASSERT_EQ(Backup(on), 0) << Messages();
  ASSERT_EQ(Backup(on), 0) << Messages();
  WriteAll(book, "new book");
  StartedApp app(on);
  app.Form1().SetChkOverwrite(1);  // the copy goes beside the earlier one, then takes its place
  addBookFile_Click(app, WindowRunOptions(app));
  EXPECT_EQ(watched.early, std::vector<std::string>{});
  EXPECT_EQ(ReadAll(backup + "\\me.wab"), "new book");
  for (const char* name :
       {"Larkmoor.sha256", "Larkmoor.info", "Larkmoor.swap", "BackupReport.txt", "me.wab"})
    EXPECT_TRUE(watched.renamed.count(name)) << name << " was not renamed into place";
}

// A run that runs out of memory half-way ends in order: a scheduled one with code 6 and its
// report at the top, a person's with a message and the window still there; the backup made
// before is as it was, and the next run completes.
TEST_F(Kept, ARunOutOfMemoryEndsInOrder) {
  const std::string stopped = texts::RunStopped(texts::kOutOfMemory);
  for (bool scheduled : {true, false}) {
    SCOPED_TRACE(scheduled);
    Inbox("before");
    ASSERT_EQ(Backup(), 0) << Messages();
    const auto before = Files(backup);
    user.messages.clear();
    StartedApp app(p);
    app.state.commandLine = scheduled ? "/a /h" : "";
    g_backupStepHook = [](const std::string& s) {
      if (s == "copying") throw std::bad_alloc();
    };
    const int ended = EndedWith([&] {
      RunCommandInOrder(app, [&] { scheduled ? HandleCommandLine(app) : cmdComplete_Click(app); });
    });
    g_backupStepHook = nullptr;
    ::SetCurrentDirectoryA(cwd.c_str());
    EXPECT_EQ(Files(backup), before);
    if (scheduled) {
      EXPECT_EQ(ended, 6);
      EXPECT_TRUE(user.messages.empty()) << Messages();
      const std::string report = ReadAll(backup + "\\BackupReport.txt");
      EXPECT_TRUE(Holds(report, stopped + "\r\n\r\nExit code: 6"));
    } else {
      EXPECT_EQ(ended, -1);
      EXPECT_EQ(Messages(), "[" + std::string(texts::kRunStoppedIntro) + "\r\n" + stopped + "]\n");
    }
    Inbox("next");
    ASSERT_EQ(Backup(), 0) << Messages();
    EXPECT_EQ(ReadAll(backup + "\\Main\\Inbox.dbx"), "next");
    for (const std::string& name : SubFolders(w.files, backup + "\\Earlier Backups"))
      EXPECT_TRUE(IsKeptBackupName(name)) << name << " was left behind";
  }
}

// "Backup Address Book" on its own writes into the top of the folder and its list: while
// another run holds the folder (its swap may be moving the top) it writes nothing and says
// so, a person by a message, a scheduled run by its exit code; afterwards it copies, the
// list stays true, and it leaves no Earlier Backups behind in a folder that had none.
TEST_F(Kept, TheAddressBookOnItsOwnWaitsForARunThatHoldsTheFolder) {
  ASSERT_EQ(Backup(), 0) << Messages();
  WriteAll(book, "new book");
  const std::string lock = backup + "\\Earlier Backups\\Larkmoor.lock";
  HANDLE other = ::CreateFileA(lock.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  for (bool unattended : {false, true}) {
    SCOPED_TRACE(unattended);
    user.messages.clear();
    StartedApp app(p);
    addBookFile_Click(app, {false, unattended, false, backup});  // as "/a /w" or the window
    EXPECT_EQ(user.messages, unattended ? std::vector<std::string>{}
                                        : std::vector<std::string>{texts::BackupBusy(backup)});
    EXPECT_EQ(app.state.exitCode, unattended ? 2 : 0);
    EXPECT_EQ(ReadAll(backup + "\\me.wab"), "address book");
  }
  ::CloseHandle(other);
  ::DeleteFileA(lock.c_str());
  const std::string elsewhere = kRoot + "\\plain";
  for (const std::string& folder : {backup, elsewhere}) {
    SCOPED_TRACE(folder);
    Settings(folder);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    WriteAll(book, "new book");
    user.messages.clear();
    StartedApp app(p);
    app.Form1().SetChkOverwrite(1);  // ticked: no question
    addBookFile_Click(app, WindowRunOptions(app));
    EXPECT_EQ(Messages(), "");
    EXPECT_EQ(ReadAll(folder + "\\me.wab"), "new book");
    ExpectListsTrue(folder);
  }
  EXPECT_EQ(Entries(elsewhere), (std::set<std::string>{"me.wab"}));
  EXPECT_TRUE(Exists(backup + "\\Earlier Backups"));
}

// A restore holds the folder as a backup does: while another run holds it nothing is put
// back and the person is told; a swap that a killed backup left half done (the top's list
// already parked, its files still there) is finished before the restore reads the top.
TEST_F(Kept, ARestoreHoldsTheFolderAndReadsAWholeTop) {
  Inbox("first");
  ASSERT_EQ(Backup(), 0) << Messages();
  Inbox("second");
  BackupKilledAt("swap 1");
  const std::string inbox = Store("{A}") + "\\Inbox.dbx";
  const std::string second = ReadAll(inbox);
  Inbox("live");
  const std::string live = ReadAll(inbox);
  const auto restore = [&](void (*command)(WindowedApp&)) {
    user.messages.clear();
    StartedApp app(p);
    app.Form1().SetChkOverwrite(1);
    command(app);
  };
  const std::string lock = backup + "\\Earlier Backups\\Larkmoor.lock";
  HANDLE other = ::CreateFileA(lock.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  for (auto command :
       {cmdRestore_Click, cmdRestoreChosen_Click, mnuResSel_Click, mnuResWAB_Click}) {
    restore(command);
    EXPECT_EQ(user.messages, std::vector<std::string>{texts::RestoreBusy(backup)});
  }
  EXPECT_EQ(ReadAll(inbox), live);
  ::CloseHandle(other);
  restore(cmdRestore_Click);
  EXPECT_EQ(ReadAll(inbox), second);
  EXPECT_EQ(Sets().size(), 2u);
  EXPECT_FALSE(Exists(lock));
  ExpectListsTrue(backup);
}

// The address book copied on its own and ended during its copy (as a kill ends it) leaves
// the top's earlier copy whole, so that the top's list stays true; the next copy goes through
// and leaves nothing of the part behind.
TEST_F(Kept, TheAddressBookOnItsOwnEndedDuringItsCopyKeepsTheEarlierCopy) {
  ASSERT_EQ(Backup(), 0) << Messages();
  WriteAll(book, "new book");
  CopyEndingShell ending("me.wab");
  const Platform endingCopies{w.registry, w.files, w.streams, w.processes, ending, user};
  const auto copy = [&](const Platform& on) {
    StartedApp app(on);
    app.Form1().SetChkOverwrite(1);  // ticked: no question
    addBookFile_Click(app, WindowRunOptions(app));
  };
  EXPECT_THROW(copy(endingCopies), CopyEndingShell::Ended);
  ::SetCurrentDirectoryA(cwd.c_str());
  EXPECT_EQ(ReadAll(backup + "\\me.wab"), "address book");
  ExpectListsTrue(backup);
  copy(p);
  EXPECT_EQ(ReadAll(backup + "\\me.wab"), "new book");
  EXPECT_FALSE(Exists(backup + "\\me.wa#"));
  ExpectListsTrue(backup);
}

// Links in the backup folder (a junction, or a symbolic link Wine shows as one) lead out of
// it: a backup that removes a leftover or lets an old backup go never follows one, and the
// restore's list of backups does not count what one points at.
TEST_F(Kept, ALinkInTheBackupFolderIsNeverFollowed) {
  SetDword("Software\\TarnKeep", "Generations", 1);
  const std::string mine = kRoot + "\\mine";
  const std::string letter = mine + "\\letter.txt";
  WriteAll(letter, std::string(100000, 'm'));
  ASSERT_EQ(Backup(), 0) << Messages();
  const std::string size = BackupRows(p, Sets())[0].size;
  const std::string earlier = backup + "\\Earlier Backups";
  const std::string partial = earlier + "\\2000-01-01 00.00.00.partial";
  ::CreateDirectoryA(partial.c_str(), nullptr);
  {
    HostLinks links(kRoot);  // leftovers of a killed run: one holding a link, one a link
    ASSERT_TRUE(links.Make(partial + "\\mine", mine));
    ASSERT_TRUE(links.Make(earlier + "\\2000-01-02 00.00.00.partial", mine));
    Backup();
    EXPECT_TRUE(ReadAll(letter) == std::string(100000, 'm'));
  }
  {
    HostLinks links(kRoot);  // a swap journal planted to finish through a link
    ASSERT_TRUE(links.Make(earlier + "\\2000-01-03 00.00.00.partial", mine));
    WriteAll(earlier + "\\" + kSwapJournalFile, "new\t2000-01-03 00.00.00.partial\r\nold\t\r\n");
    Backup();
    EXPECT_TRUE(ReadAll(letter) == std::string(100000, 'm'));
  }
  HostLinks links(kRoot);
  ASSERT_TRUE(links.Make(backup + "\\Main\\mine", mine));  // a person's: stays at the top
  EXPECT_EQ(BackupRows(p, Sets())[0].size, size);
  Backup();
  EXPECT_EQ(Sets().size(), 1u);
  EXPECT_TRUE(ReadAll(letter) == std::string(100000, 'm'));
}

// The top's time as a hand or an older version may have left it in its info, and taken already
// by a kept backup: the top is still kept under a name the kept backups are known by.
TEST_F(Kept, ATopWhoseTimeIsTakenIsKeptUnderTheNextNumber) {
  ASSERT_EQ(Backup(), 0) << Messages();
  const std::string taken = backup + "\\Earlier Backups\\2000-01-01 00.00.00 (5)";
  WriteAll(backup + "\\" + kBackupInfoFile, "Made: 2000-01-01 00.00.00 (5)\r\n");
  ::CreateDirectoryA(taken.c_str(), nullptr);
  // The list of backups to restore from shows the top as the name it is then kept under.
  EXPECT_EQ(BackupRows(p, Sets())[0].made, "2000-01-01 00.00.00 (6) (newest)");
  ASSERT_EQ(Backup(), 0) << Messages();
  EXPECT_TRUE(Exists(backup + "\\Earlier Backups\\2000-01-01 00.00.00 (6)\\Main\\Inbox.dbx"));
  EXPECT_EQ(BackupRows(p, Sets())[1].made, "2000-01-01 00.00.00 (6)");
}

// A backup folder chosen where an identity's store lives, as that identity's folder in the
// backup: the live store stays where it is with all it holds, and each backup is kept beside.
TEST_F(Kept, AStoreInsideTheBackupFolderNeverMovesWithABackup) {
  const std::string live = backup + "\\Main";
  Identity("{A}", "Main", live);
  WriteRaw(live + "\\Inbox.dbx", StoreHeader(4) + "live");
  WriteAll(live + "\\notes.txt", "mine");
  for (int run = 1; run <= 2; ++run) {
    EXPECT_EQ(Backup(), 4) << Messages();
    EXPECT_EQ(ReadAll(live + "\\notes.txt"), "mine");
    ASSERT_EQ(Sets().size(), static_cast<std::size_t>(run));
    EXPECT_EQ(ReadAll(Sets()[0].folder + "\\Main\\Inbox.dbx"), "live");
  }
}

// A store damaged in place is still copied, the run ends with code 5 and names it, and even
// with N = 1 the previous backup is kept. A healthy profile ends with 0 and no finding.
TEST_F(Kept, ADamagedStoreKeepsEveryEarlierBackup) {
  SetDword("Software\\TarnKeep", "Generations", 1);
  const std::string inbox = Store("{A}") + "\\Inbox.dbx";
  const std::string twoGb = Store("{A}") + "\\Big.dbx";
  struct Case {
    const char* what;
    std::function<void()> damage;
    const char* finding;
  } cases[] = {
      {"first bytes wrong", [&] { WriteRaw(inbox, std::string(0x3000, 'x')); },
       "Inbox.dbx of the identity \"Main\" does not look like an Outlook Express message store"},
      {"cut short",
       [&] {
         WriteRaw(inbox, (StoreHeader(0x1000, 40) + std::string(0x1000, 'm')).substr(0, 0x2600));
       },
       "Inbox.dbx of the identity \"Main\" is shorter than its own header says"},
      {"count fell to a tenth", [&] { Inbox("few", 4); },
       "Inbox.dbx of the identity \"Main\" holds 4 messages, fewer than half of the 40 in the "
       "previous backup"},
      {"a sparse 2 GB store",
       [&] {
         WriteRaw(twoGb, StoreHeader(0, 0));
         Sparse(twoGb, 2048ll << 20);
       },
       "Big.dbx of the identity \"Main\" is 2 GB or more"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Recreate(backup);
    ::DeleteFileA(twoGb.c_str());
    Inbox("healthy");
    ASSERT_EQ(Backup(), 0) << Messages();
    EXPECT_TRUE(Sets()[0].info.findings.empty());
    const auto before = Files(backup);
    c.damage();
    EXPECT_EQ(Backup(), 5);
    EXPECT_TRUE(Holds(Report(), c.finding));
    EXPECT_TRUE(Holds(ReadAll(backup + "\\BackupReport.txt"), c.finding));
    const std::vector<BackupSet> sets = Sets();
    ASSERT_EQ(sets.size(), 2u) << "an earlier backup was let go";
    EXPECT_EQ(Files(sets[1].folder), before);
    EXPECT_EQ(sets[0].info.findings.size(), 1u);
  }
  ::DeleteFileA(twoGb.c_str());
  RemoveTree(backup);
}

// Check Backups against three kept backups made by real runs, each damaged in one way, and
// what the check says of each. (One byte flipped, the exit codes and Cancel are in the GUI
// suite, through the real program.)
TEST_F(Kept, TheCheckNamesWhatIsMissingNotesWhatIsUnlistedAndChangesNothing) {
  for (int run = 0; run < 3; ++run) ASSERT_EQ(Backup(), 0) << Messages();
  const auto report = [&] { return ReadAll(backup + "\\CheckReport.txt"); };
  const std::string oldest = ListBackups(p, backup).at(2).folder;
  const std::string list = oldest + "\\Larkmoor.sha256", saved = ReadAll(list);
  const std::string label = "Backup of " + NameFromFullPath(oldest);
  struct Case {
    const char* what;
    std::function<void()> damage, undo;
    CheckOutcome outcome;
    std::vector<std::string> faults, lines;  // the report's "- " lines; lines it holds too
  } cases[] = {
      {"a file gone",
       [&] { ::DeleteFileA((oldest + "\\IAM.reg").c_str()); },
       [&] { ::CopyFileA((backup + "\\IAM.reg").c_str(), (oldest + "\\IAM.reg").c_str(), 0); },
       CheckOutcome::MissingOrDamaged,
       {texts::CheckFileMissing(oldest + "\\IAM.reg")},
       {}},
      {"a person's own files: a note, not a fault",
       [&] {
         WriteAll(backup + "\\Main\\notes.txt", "mine");
         WriteAll(backup + "\\My Photos\\beach.jpg", "photo");
       },
       [&] {
         ::DeleteFileA((backup + "\\Main\\notes.txt").c_str());
         RemoveTree(backup + "\\My Photos");
       },
       CheckOutcome::AllMatch,
       {},
       {texts::CheckUnlistedNote(backup + "\\Main\\notes.txt"),
        texts::CheckUnlistedNote(backup + "\\My Photos\\")}},
      {"no list: cannot be checked, no fault",
       [&] { ::DeleteFileA(list.c_str()); },
       [&] { WriteAll(list, saved); },
       CheckOutcome::AllMatch,
       {},
       {texts::CheckNoList(label)}},
      {"a list emptied by a power cut",
       [&] { WriteAll(list, ""); },
       [&] { WriteAll(list, saved); },
       CheckOutcome::MissingOrDamaged,
       {texts::CheckListDamaged(oldest)},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.damage();
    auto before = Files(backup);
    before.erase("CheckReport.txt");
    WindowedApp app(p);
    EXPECT_EQ(CheckBackups(app, WindowRunOptions(app), nullptr), c.outcome);
    std::vector<std::string> faults;
    for (const std::string& line : TextLines(report()))
      if (line.rfind("- ", 0) == 0) faults.push_back(line);
    EXPECT_EQ(faults, c.faults);
    for (const std::string& line : c.lines) EXPECT_TRUE(Holds(report(), line + "\r\n"));
    auto after = Files(backup);
    EXPECT_EQ(after.erase("CheckReport.txt"), 1u);
    EXPECT_TRUE(after == before) << "the check changed a backup";
    c.undo();
  }
  // While a backup holds the folder, nothing is read and no report is written.
  ::DeleteFileA((backup + "\\CheckReport.txt").c_str());
  FolderHold hold(p, backup);
  std::vector<std::string> problems;
  ASSERT_EQ(hold.Take(&problems), FolderHold::Result::Held);
  user.messages.clear();
  WindowedApp app(p);
  EXPECT_EQ(CheckBackups(app, WindowRunOptions(app), nullptr), CheckOutcome::FolderUnavailable);
  EXPECT_EQ(user.messages, std::vector<std::string>{texts::CheckBusy(backup)});
  EXPECT_FALSE(Exists(backup + "\\CheckReport.txt"));
}

}  // namespace
}  // namespace lark::test
