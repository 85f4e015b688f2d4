// Exporting a backup's mail on Wine's real files, from stores of the tests' writer backed up
// by a real complete backup.
#include "common/sample_mail.h"
#include "export/mail_export.h"
#include "restore/selected_restore.h"
#include "win_support.h"

namespace lark::test {
namespace {

using testing::DbxWriter;
using testing::SampleMessages;

class Export : public WinTest {
 protected:
  const std::string out = kRoot + "\\out";
  std::vector<testing::DbxTestMessage> inbox = SampleMessages(10, true);

  void SetUp() override {
    WinTest::SetUp();
    Identity("{A}", "Ann", Store("{A}"));
    WriteStore("Inbox.dbx", DbxWriter::Messages(inbox, 3).bytes);
    WriteStore("Work.dbx", DbxWriter::Messages(SampleMessages(1)).bytes);
    WriteStore("Folders.dbx",
               DbxWriter::Folders({{"Posteingang", "Inbox.dbx"}, {"Work: 2004", "Work.dbx"}}));
    Settings();
  }
  void WriteStore(const std::string& name, const std::string& bytes) {
    WriteRaw(Store("{A}") + "\\" + name, bytes);
  }
  // The whole newest backup exported as the dialog does it; the target's problem, if any.
  ExportOutcome Run(ExportFormat format, const std::string& target,
                    std::string* problem = nullptr) {
    WindowedApp app(p);
    const BackupContents c = ReadBackupContents(app, backup, false);
    const std::string why = ExportTargetProblem(app, c, target, true);
    if (problem) *problem = why;
    return why.empty() ? ExportMail(app, c, WholeBackup(c), target, format)
                       : ExportOutcome::BadFolder;
  }
  std::multiset<std::string> Texts(const std::string& folder) {
    std::multiset<std::string> texts;
    for (const auto& f : Files(folder)) texts.insert(f.second.substr(2));
    return texts;
  }
};

TEST_F(Export, EmlFilesAndMboxHoldEveryMessageAndTheListsVerify) {
  ASSERT_EQ(Backup(), 0) << Messages();
  const auto before = Files(backup);
  ASSERT_EQ(Run(ExportFormat::Eml, out), ExportOutcome::Complete) << Messages();
  std::multiset<std::string> want;
  for (const auto& m : inbox) want.insert(m.text);
  EXPECT_EQ(Texts(out + "\\Ann\\Posteingang"), want);
  EXPECT_TRUE(Exists(out + "\\Ann\\Work_ 2004\\2004-06-01 09.00 Message 1.eml"));
  EXPECT_EQ(ExpectListsTrue(out), 10u + 1 + 1);
  EXPECT_TRUE(Holds(ReadAll(out + "\\ExportReport.txt"),
                    "Ann, Posteingang: 10 of 10 messages exported; 4 unread"));

  ASSERT_EQ(Run(ExportFormat::Mbox, kRoot + "\\mbox"), ExportOutcome::Complete);
  const std::string mbox = ReadAll(kRoot + "\\mbox\\Ann\\Posteingang.mbox");
  std::size_t separators = 0;
  for (std::size_t at = 0; (at = mbox.find("\nFrom ", at)) != std::string::npos; ++at) ++separators;
  EXPECT_EQ(separators + (mbox.rfind("From ", 0) == 0), inbox.size());
  for (const auto& m : inbox) EXPECT_TRUE(Holds(mbox, "Subject: " + m.subject + "\r\n"));
  EXPECT_TRUE(Holds(mbox, "\r\n>From the start of a line.\r\n>>From quoted once.\r\n"));
  EXPECT_EQ(ExpectListsTrue(kRoot + "\\mbox"), 2u + 1);
  EXPECT_EQ(Files(backup), before) << "the export wrote into the backup";
  // Left for scripts/test.sh, where the host's own sha256sum checks the export's list.
  const std::string check = "C:\\windows\\temp\\larkmoor-export-check";
  RemoveTree(check);
  EXPECT_EQ(Run(ExportFormat::Eml, check), ExportOutcome::Complete);
}

TEST_F(Export, DamagedStoresGiveWhatTheyCanAndTheReportNamesTheRest) {
  const testing::DbxLayout damaged = DbxWriter::Messages(inbox, 3);
  std::string bytes = damaged.bytes;
  // Message 4's chain loops back to its start; the header counts two more than it holds.
  DbxWriter::Put32(bytes, damaged.blocks[3].back() + 12, damaged.blocks[3].front());
  DbxWriter::Put32(bytes, 0xC4, 12);
  WriteStore("Inbox.dbx", bytes);
  ASSERT_EQ(Backup(), 0) << Messages();
  // A copy changed since the backup made it is not read at all.
  WriteRaw(backup + "\\Ann\\Work.dbx", DbxWriter::Messages(SampleMessages(2)).bytes);
  EXPECT_EQ(Run(ExportFormat::Eml, out), ExportOutcome::SomeNotExported);
  EXPECT_EQ(Files(out + "\\Ann\\Posteingang").size(), 9u);
  const std::string report = ReadAll(out + "\\ExportReport.txt");
  EXPECT_TRUE(Holds(report,
                    "- Ann, Posteingang: 9 of 12 messages exported; 3 unread; 1 could "
                    "not be read (message data damaged); its index holds 10, its "
                    "header counts 12"));
  EXPECT_TRUE(Holds(report, texts::StoreExportNotVerified("Ann, Work_ 2004")));
  EXPECT_FALSE(Exists(out + "\\Ann\\Work_ 2004"));
}

TEST_F(Export, HostileSubjectsStayInsideTheTarget) {
  std::vector<testing::DbxTestMessage> hostile = SampleMessages(7);
  const std::string subjects[] = {"..\\..\\..\\evil",       "CON",  ":*?\"<>|",
                                  "\xC9t\xE9 \xE0 K\xF6ln", "same", "same",
                                  std::string(300, 's')};
  for (std::size_t i = 0; i < 7; ++i) {
    hostile[i].subject = subjects[i];
    hostile[i].text = "Subject: x\r\n\r\nno date\r\n";
    hostile[i].sent = hostile[0].sent;
  }
  WriteStore("Inbox.dbx", DbxWriter::Messages(hostile).bytes);
  ASSERT_EQ(Backup(), 0) << Messages();
  auto rootAfter = Entries(kRoot);
  rootAfter.insert("out");
  ASSERT_EQ(Run(ExportFormat::Eml, out), ExportOutcome::Complete) << Messages();
  const auto files = Files(out + "\\Ann\\Posteingang");
  ASSERT_EQ(files.size(), 7u);
  const std::string stamp = files.begin()->first.substr(0, 16);
  for (const char* name : {" .._.._.._evil.eml", " CON.eml", " _______.eml", " same (2).eml"})
    EXPECT_TRUE(files.count(stamp + name)) << stamp + name;
  EXPECT_EQ(Entries(kRoot), rootAfter);
  EXPECT_EQ(Entries(out), (std::set<std::string>{"Ann", "ExportReport.txt"}));
}

TEST_F(Export, TheTargetMustBeAnEmptyFolderOutsideTheBackupAndTheStores) {
  ASSERT_EQ(Backup(), 0) << Messages();
  WriteAll(kRoot + "\\full\\x.txt", "x");
  const std::pair<std::string, std::string> cases[] = {
      {backup + "\\Mail", texts::ExportTargetInBackup(backup + "\\Mail")},
      {Store("{A}") + "\\Out", texts::ExportTargetInStores(Store("{A}") + "\\Out")},
      {kRoot + "\\full", texts::ExportTargetNotEmpty(kRoot + "\\full")},
      {"relative\\out", texts::ExportTargetNotFull("relative\\out")},
  };
  for (const auto& c : cases) {
    std::string problem;
    EXPECT_EQ(Run(ExportFormat::Eml, c.first, &problem), ExportOutcome::BadFolder);
    EXPECT_EQ(problem, c.second);
  }
  EXPECT_FALSE(Exists(backup + "\\Mail") || Exists(Store("{A}") + "\\Out"));
}

TEST_F(Export, UnattendedExportOfTheNewestBackupEndsWithItsCode) {
  ASSERT_EQ(Backup(), 0) << Messages();
  const std::pair<std::string, int> cases[] = {
      {"/h /x:" + out, 0},
      {"/h /x:\"" + out + "\"", 2},  // not empty any more
      {"/x:" + kRoot + "\\out2 /h /b:" + kRoot + "\\none", 7},
      {"/h /b:" + backup + " /x:" + kRoot + "\\out3", 0},
  };
  for (const auto& c : cases) {
    WindowedApp app(p);
    GetInputPaths(app);
    app.state.commandLine = c.first;
    app.state.hiddenRun = true;
    int code = -1;
    try {
      HandleCommandLine(app);
    } catch (const Ended& e) {
      code = e.code;
    }
    EXPECT_EQ(code, c.second) << c.first;
  }
  EXPECT_EQ(Files(out + "\\Ann\\Posteingang").size(), 10u);
  EXPECT_TRUE(Holds(ReadAll(out + "\\ExportReport.txt"), texts::ReportExitCode(0)));
  EXPECT_EQ(Files(kRoot + "\\out3\\Ann\\Posteingang").size(), 10u);
}

}  // namespace
}  // namespace lark::test
