// Exporting a backup's mail as .eml files and mbox, on Wine's real files, with stores of the
// tests' writer backed up by a real complete backup.
#include "common/sample_mail.h"
#include "export/mail_export.h"
#include "restore/selected_restore.h"
#include "win_support.h"

namespace lark::test {
namespace {

using testing::DbxLayout;
using testing::DbxTestMessage;
using testing::DbxWriter;
using testing::SampleMessages;

// The files below a folder, by path inside it.
std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> out;
  for (const auto& f : Files(folder)) out[f.first] = f.second.substr(2);
  return out;
}

class Export : public WinTest {
 protected:
  const std::string out = kRoot + "\\out";
  std::vector<DbxTestMessage> inbox = SampleMessages(10, true);

  void SetUp() override {
    WinTest::SetUp();
    Identity("{A}", "Ann", Store("{A}"));
    ::CreateDirectoryA(stores.c_str(), nullptr);
    ::CreateDirectoryA(Store("{A}").c_str(), nullptr);
    WriteStore("Inbox.dbx", DbxWriter::Messages(inbox, 3).bytes);
    WriteStore("Work.dbx", DbxWriter::Messages(SampleMessages(1)).bytes);
    WriteStore("Folders.dbx",
               DbxWriter::Folders({{"Posteingang", "Inbox.dbx"}, {"Work: 2004", "Work.dbx"}}));
    Settings();
  }
  void WriteStore(const std::string& name, const std::string& bytes) {
    WriteRaw(Store("{A}") + "\\" + name, bytes);
  }
  // The window's export of the whole newest backup; the exit code it would have.
  ExportOutcome Run(ExportFormat format, const std::string& target,
                    std::string* problem = nullptr) {
    WindowedApp app(p);
    const BackupContents c = ReadBackupContents(app, backup, false);
    const std::string why = ExportTargetProblem(app, c, target, true);
    if (problem) *problem = why;
    if (!why.empty()) return ExportOutcome::BadFolder;
    return ExportMail(app, c, WholeBackup(c), target, format);
  }
  std::string ExportReport() { return ReadAll(out + "\\ExportReport.txt"); }
};

TEST_F(Export, EmlFilesHoldEveryMessageByteForByteAndTheListVerifies) {
  ASSERT_EQ(Backup(), 0) << Messages();
  const auto before = Files(backup);
  ASSERT_EQ(Run(ExportFormat::Eml, out), ExportOutcome::Complete) << Messages();
  std::multiset<std::string> want, got;
  for (const auto& m : inbox) want.insert(m.text);
  for (const auto& f : Contents(out + "\\Ann\\Posteingang")) got.insert(f.second);
  EXPECT_EQ(got, want);
  EXPECT_TRUE(Exists(out + "\\Ann\\Posteingang\\2004-06-01 09.00 Message 1.eml"));
  EXPECT_TRUE(Exists(out + "\\Ann\\Work_ 2004\\2004-06-01 09.00 Message 1.eml"));
  EXPECT_EQ(ExpectListsTrue(out), 10u + 1 + 1);
  EXPECT_TRUE(Holds(ExportReport(), "Ann, Posteingang: 10 of 10 messages exported; 4 unread"));
  EXPECT_TRUE(Holds(Messages(), texts::kExportDone));
  EXPECT_EQ(Files(backup), before) << "the export wrote into the backup";
  // Left for scripts/test.sh, where the host's own sha256sum checks the export's list.
  const std::string check = "C:\\windows\\temp\\larkmoor-export-check";
  RemoveTree(check);
  EXPECT_EQ(Run(ExportFormat::Eml, check), ExportOutcome::Complete);
}

TEST_F(Export, AnMboxHoldsEveryMessageOnceWithItsFromLinesQuoted) {
  ASSERT_EQ(Backup(), 0) << Messages();
  ASSERT_EQ(Run(ExportFormat::Mbox, out), ExportOutcome::Complete) << Messages();
  const std::string mbox = ReadAll(out + "\\Ann\\Posteingang.mbox");
  std::size_t separators = 0;
  for (std::size_t at = 0; (at = mbox.find("From ", at)) != std::string::npos; at += 5)
    if (at == 0 || mbox[at - 1] == '\n') ++separators;
  EXPECT_EQ(separators, inbox.size());
  for (const auto& m : inbox) EXPECT_TRUE(Holds(mbox, "Subject: " + m.subject + "\r\n"));
  EXPECT_TRUE(Holds(mbox, "\r\n>From the start of a line.\r\n>>From quoted once.\r\n"));
  EXPECT_EQ(ExpectListsTrue(out), 2u + 1);
}

TEST_F(Export, DamagedStoresGiveWhatTheyCanAndTheReportNamesTheRest) {
  const DbxLayout damaged = DbxWriter::Messages(inbox, 3);
  std::string bytes = damaged.bytes;
  // Message 4's chain loops back to its start; the header counts two more than it holds.
  DbxWriter::Put32(bytes, damaged.blocks[3].back() + 12, damaged.blocks[3].front());
  DbxWriter::Put32(bytes, 0xC4, 12);
  WriteStore("Inbox.dbx", bytes);
  ASSERT_EQ(Backup(), 0) << Messages();
  // A copy changed since the backup made it is not read at all.
  WriteRaw(backup + "\\Ann\\Work.dbx", DbxWriter::Messages(SampleMessages(2)).bytes);
  EXPECT_EQ(Run(ExportFormat::Eml, out), ExportOutcome::SomeNotExported);
  EXPECT_EQ(Contents(out + "\\Ann\\Posteingang").size(), 9u);
  const std::string report = ExportReport();
  EXPECT_TRUE(Holds(report,
                    "- Ann, Posteingang: 9 of 12 messages exported; 3 unread; 1 could "
                    "not be read (message data damaged); its index holds 10, its "
                    "header counts 12"));
  EXPECT_TRUE(Holds(report, texts::StoreExportNotVerified("Ann, Work_ 2004")));
  EXPECT_FALSE(Exists(out + "\\Ann\\Work_ 2004"));
}

TEST_F(Export, HostileSubjectsStayInsideTheTarget) {
  std::vector<DbxTestMessage> hostile = SampleMessages(7);
  const char* const subjects[] = {"..\\..\\..\\evil",       "CON",  ":*?\"<>|",
                                  "\xC9t\xE9 \xE0 K\xF6ln", "same", "same"};
  for (std::size_t i = 0; i < 6; ++i) hostile[i].subject = subjects[i];
  hostile[6].subject = std::string(300, 's');
  for (auto& m : hostile) {
    m.text = "Subject: x\r\n\r\nno date\r\n";
    m.sent = hostile[0].sent;
  }
  WriteStore("Inbox.dbx", DbxWriter::Messages(hostile).bytes);
  ASSERT_EQ(Backup(), 0) << Messages();
  auto rootAfter = Entries(kRoot);
  rootAfter.insert("out");
  ASSERT_EQ(Run(ExportFormat::Eml, out), ExportOutcome::Complete) << Messages();
  const auto files = Contents(out + "\\Ann\\Posteingang");
  ASSERT_EQ(files.size(), 7u);
  const std::string stamp = files.begin()->first.substr(0, 16);
  for (const char* name :
       {" .._.._.._evil.eml", " CON.eml", " _______.eml", " same.eml", " same (2).eml"})
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
  EXPECT_FALSE(Exists(backup + "\\Mail"));
  EXPECT_FALSE(Exists(Store("{A}") + "\\Out"));
}

TEST_F(Export, UnattendedExportOfTheNewestBackupEndsWithItsCode) {
  ASSERT_EQ(Backup(), 0) << Messages();
  const struct {
    std::string line;
    int code;
  } cases[] = {
      {"/h /x:" + out, 0},
      {"/h /x:\"" + out + "\"", 2},  // not empty any more
      {"/x:" + kRoot + "\\out2 /h /b:" + kRoot + "\\none", 7},
      {"/h /b:" + backup + " /x:" + kRoot + "\\out3", 0},
  };
  for (const auto& c : cases) {
    WindowedApp app(p);
    GetInputPaths(app);
    app.state.commandLine = c.line;
    app.state.hiddenRun = true;
    int code = -1;
    try {
      HandleCommandLine(app);
    } catch (const Ended& e) {
      code = e.code;
    }
    EXPECT_EQ(code, c.code) << c.line;
  }
  EXPECT_EQ(Contents(out + "\\Ann\\Posteingang").size(), 10u);
  EXPECT_TRUE(Holds(ExportReport(), texts::ReportExitCode(0)));
  EXPECT_EQ(Contents(kRoot + "\\out3\\Ann\\Posteingang").size(), 10u);
}

}  // namespace
}  // namespace lark::test
