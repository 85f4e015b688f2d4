// Check Backups against Wine's real file system: three kept backups made by real runs, each
// damaged in one way, and what the check says of each.
#include "backup/check_backups.h"
#include "backup/kept_backups.h"
#include "fs/folders.h"
#include "fs/text.h"
#include "win_support.h"

namespace lark::test {
namespace {

// One byte in the middle of the file turned into another; a second flip undoes it.
void Flip(const std::string& path) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekg(0, std::ios::end);
  const std::streamoff middle = f.tellg() / 2;
  char c = 0;
  f.seekg(middle);
  f.get(c);
  f.seekp(middle);
  f.put(static_cast<char>(c ^ 0x10));
}

// A view that stops the check the first time it is shown.
struct Canceller : ICheckView {
  bool closed = false;
  bool Show(const CheckProgress&) override { return false; }
  void Close() override { closed = true; }
};

class Check : public WinTest {
 protected:
  std::vector<BackupSet> sets;  // newest first
  void SetUp() override {
    WinTest::SetUp();
    Seeded("{A}", "Main");
    SetText(kAccount, "Account Name", "mail");
    Settings();
    for (int run = 0; run < 3; ++run) {
      WriteAll(Store("{A}") + "\\Inbox.dbx", "run " + std::to_string(run) + std::string(5000, 'm'));
      ASSERT_EQ(Backup(), 0) << Messages();
    }
    sets = ListBackups(p, backup);
    ASSERT_EQ(sets.size(), 3u);
  }
  // The check as "/v" runs it with its window shown; the report's fault lines.
  CheckOutcome Run(std::vector<std::string>* faults, ICheckView* view = nullptr) {
    user.messages.clear();
    WindowedApp app(p);
    app.state.unattended = true;
    const CheckOutcome outcome = CheckBackups(app, view);
    faults->clear();
    for (const std::string& line : TextLines(ReadAll(backup + "\\CheckReport.txt")))
      if (line.rfind("- ", 0) == 0) faults->push_back(line);
    return outcome;
  }
  std::string Report() { return ReadAll(backup + "\\CheckReport.txt"); }
};

TEST_F(Check, NamesExactlyWhatIsMissingOrDamagedAndChangesNothing) {
  const std::string middle = sets[1].folder, oldest = sets[2].folder;
  const std::size_t files = ExpectListsTrue(oldest);
  const std::string top = "Backup of " + sets[0].info.made +
                          " (the newest, at the top of the backup folder): all " +
                          std::to_string(files) + " files match";
  const std::string list = oldest + "\\Larkmoor.sha256", saved = ReadAll(list);
  struct Case {
    const char* what;
    std::function<void()> damage, undo;
    CheckOutcome outcome;
    std::vector<std::string> faults;
    std::vector<std::string> lines;  // in the report and the box
  } cases[] = {
      {"nothing damaged", [] {}, [] {}, CheckOutcome::AllMatch, {}, {top}},
      {"one byte of a store in the middle one",
       [&] { Flip(middle + "\\Main\\Inbox.dbx"); },
       [&] { Flip(middle + "\\Main\\Inbox.dbx"); },
       CheckOutcome::MissingOrDamaged,
       {texts::CheckFileDamaged(middle + "\\Main\\Inbox.dbx")},
       {"Backup of " + NameFromFullPath(middle) + ": 1 of " + std::to_string(files) +
        " files missing or damaged"}},
      {"a file gone from the oldest",
       [&] { ::DeleteFileA((oldest + "\\IAM.reg").c_str()); },
       [&] { ::CopyFileA((middle + "\\IAM.reg").c_str(), (oldest + "\\IAM.reg").c_str(), 0); },
       CheckOutcome::MissingOrDamaged,
       {texts::CheckFileMissing(oldest + "\\IAM.reg")},
       {top}},
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
       {top, texts::CheckUnlistedNote(backup + "\\Main\\notes.txt"),
        texts::CheckUnlistedNote(backup + "\\My Photos\\")}},
      {"a backup without a list",
       [&] { ::DeleteFileA(list.c_str()); },
       [&] { WriteAll(list, saved); },
       CheckOutcome::AllMatch,
       {},
       {texts::CheckNoList("Backup of " + NameFromFullPath(oldest))}},
      {"a list emptied by a power cut",
       [&] { WriteAll(list, ""); },
       [&] { WriteAll(list, saved); },
       CheckOutcome::MissingOrDamaged,
       {texts::CheckListDamaged(oldest)},
       {top}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.damage();
    auto before = Files(backup);
    before.erase("CheckReport.txt");
    std::vector<std::string> faults;
    EXPECT_EQ(Run(&faults), c.outcome);
    EXPECT_EQ(faults, c.faults);
    ASSERT_EQ(user.messages.size(), 1u);
    for (const std::string& line : c.lines) {
      EXPECT_TRUE(Holds(Report(), line + "\r\n"));
      EXPECT_TRUE(Holds(user.messages[0], line));
    }
    EXPECT_TRUE(Holds(Report(), texts::ReportExitCode(static_cast<int>(c.outcome))));
    auto after = Files(backup);
    EXPECT_EQ(after.erase("CheckReport.txt"), 1u);
    EXPECT_TRUE(after == before) << "the check changed a backup";
    c.undo();
  }
}

TEST_F(Check, CancelledOrBusyItSaysSoAndReadsNothingMore) {
  Canceller cancel;
  std::vector<std::string> faults;
  EXPECT_EQ(Run(&faults, &cancel), CheckOutcome::AllMatch);
  EXPECT_TRUE(cancel.closed);
  EXPECT_TRUE(Holds(Report(), texts::kCheckCancelledLine));
  EXPECT_TRUE(Holds(user.messages.at(0), texts::kCheckCancelledIntro));
  EXPECT_FALSE(Holds(Report(), "files match"));
  // While a backup holds the folder, nothing is read and no report is written.
  ::DeleteFileA((backup + "\\CheckReport.txt").c_str());
  FolderHold hold(p, backup);
  std::vector<std::string> problems;
  ASSERT_EQ(hold.Take(&problems), FolderHold::Result::Held);
  EXPECT_EQ(Run(&faults), CheckOutcome::FolderUnavailable);
  EXPECT_EQ(user.messages, std::vector<std::string>{texts::CheckBusy(backup)});
  EXPECT_FALSE(Exists(backup + "\\CheckReport.txt"));
}

}  // namespace
}  // namespace lark::test
