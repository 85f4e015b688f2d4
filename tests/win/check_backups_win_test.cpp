// Check Backups against Wine's real file system: three kept backups made by real runs, each
// damaged in one way, and what the check says of each. (One byte flipped, the exit codes and
// Cancel are in the GUI suite, through the real program.)
#include "backup/check_backups.h"
#include "backup/kept_backups.h"
#include "fs/folders.h"
#include "fs/text.h"
#include "win_support.h"

namespace lark::test {
namespace {

class Check : public WinTest {
 protected:
  void SetUp() override {
    WinTest::SetUp();
    Seeded("{A}", "Main");
    SetText(kAccount, "Account Name", "mail");
    Settings();
    for (int run = 0; run < 3; ++run) ASSERT_EQ(Backup(), 0) << Messages();
  }
  std::string Report() { return ReadAll(backup + "\\CheckReport.txt"); }
};

TEST_F(Check, NamesWhatIsMissingNotesWhatIsUnlistedAndChangesNothing) {
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
    for (const std::string& line : TextLines(Report()))
      if (line.rfind("- ", 0) == 0) faults.push_back(line);
    EXPECT_EQ(faults, c.faults);
    for (const std::string& line : c.lines) EXPECT_TRUE(Holds(Report(), line + "\r\n"));
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
