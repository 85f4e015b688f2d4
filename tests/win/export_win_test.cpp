// Exporting a backup's mail on Wine's real files, from stores of the tests' writer backed up
// by a real complete backup.
#include "common/dbx_writer.h"
#include "export/dbx_reader.h"
#include "export/mail_export.h"
#include "restore/selected_restore.h"
#include "win_support.h"

namespace lark::test {
namespace {

using testing::DbxWriter;

class Export : public WinTest {
 protected:
  const std::string out = kRoot + "\\out", ann = Store("{A}") + "\\";
  std::vector<testing::DbxTestMessage> inbox = testing::SampleMessages(10, true);

  // Some subjects that must not lead a file out of its folder or onto another's name.
  void SetUp() override {
    WinTest::SetUp();
    inbox[1].subject = "..\\..\\..\\evil";
    inbox[2].subject = "CON";
    inbox[2].text = "Subject: x\r\n\r\nno date, so the stamp is the one it was sent with\r\n";
    inbox[3].subject = "\xC9t\xE9 \xE0 K\xF6ln:*?\"<>|";
    inbox[4].subject = inbox[5].subject = "same";
    inbox[5].text = inbox[4].text;
    Identity("{A}", "Ann", Store("{A}"));
    WriteRaw(ann + "Inbox.dbx", DbxWriter::Messages(inbox, 3).bytes);
    WriteRaw(ann + "Work.dbx", DbxWriter::Messages(testing::SampleMessages(1)).bytes);
    WriteRaw(ann + "Folders.dbx",
             DbxWriter::Folders({{"Posteingang", "Inbox.dbx"}, {"Work: 2004", "Work.dbx"}}));
    Settings();
  }
  // The whole newest backup exported as the dialog does it, into a target it accepts.
  // `only`: one store of Ann's instead of the whole backup.
  ExportOutcome Run(ExportFormat format, const std::string& target, const char* only = nullptr) {
    WindowedApp app(p);
    const BackupContents c = ReadBackupContents(app, backup, false);
    const RunOptions window = WindowRunOptions(app);
    if (!ExportTargetProblem(app, window, c, target, true).empty()) return ExportOutcome::BadFolder;
    const ExportChoice choice = only ? ExportChoice{{{"{A}", {only}}}} : WholeBackup(c);
    return ExportMail(app, window, c, choice, target, format);
  }
};

TEST_F(Export, EmlFilesAndMboxHoldEveryMessageInsideTheTargetAndTheListsVerify) {
  ASSERT_EQ(Backup(), 0) << Messages();
  const auto before = Files(backup);
  ASSERT_EQ(Run(ExportFormat::Eml, out), ExportOutcome::Complete) << Messages();
  std::multiset<std::string> want, got;
  for (const auto& m : inbox) want.insert(m.text);
  for (const auto& f : Files(out + "\\Ann\\Posteingang")) got.insert(f.second.substr(2));
  EXPECT_EQ(got, want);
  for (const char* name : {"02 09.01 .._.._.._evil", "04 09.03 \xC9t\xE9 \xE0 K\xF6ln_______",
                           "05 09.04 same", "05 09.04 same (2)"})
    EXPECT_TRUE(Exists(out + "\\Ann\\Posteingang\\2004-06-" + name + ".eml")) << name;
  EXPECT_TRUE(Exists(out + "\\Ann\\Posteingang\\" + FileTimeStamp(inbox[2].sent) + " CON.eml"));
  EXPECT_TRUE(Exists(out + "\\Ann\\Work_ 2004\\2004-06-01 09.00 Message 1.eml"));
  EXPECT_EQ(ExpectListsTrue(out), 10u + 1 + 1);
  EXPECT_TRUE(Holds(ReadAll(out + "\\ExportReport.txt"),
                    "Ann, Posteingang: 10 of 10 messages exported; 4 unread"));

  ASSERT_EQ(Run(ExportFormat::Mbox, kRoot + "\\mbox"), ExportOutcome::Complete);
  const std::string mbox = ReadAll(kRoot + "\\mbox\\Ann\\Posteingang.mbox");
  std::size_t separators = 0;
  for (std::size_t at = 0; (at = mbox.find("\nFrom ", at)) != std::string::npos; ++at) ++separators;
  EXPECT_EQ(separators + (mbox.rfind("From ", 0) == 0), inbox.size());
  EXPECT_TRUE(Holds(mbox, "\r\n>From the start of a line.\r\n>>From quoted once.\r\n"));
  EXPECT_EQ(ExpectListsTrue(kRoot + "\\mbox"), 2u + 1);
  EXPECT_EQ(Files(backup), before) << "the export wrote into the backup";
  EXPECT_EQ(Entries(kRoot), (std::set<std::string>{"bk", "book", "cwd", "mbox", "out", "stores"}));
  // Left for scripts/test.sh, where the host's own sha256sum checks the export's list: of the
  // store with plain names, as the list names files in the ANSI code page and the host in its.
  const std::string check = "C:\\windows\\temp\\larkmoor-export-check";
  RemoveTree(check);
  EXPECT_EQ(Run(ExportFormat::Eml, check, "Work.dbx"), ExportOutcome::Complete);
}

TEST_F(Export, DamagedStoresGiveWhatTheyCanAndTheReportNamesTheRest) {
  const testing::DbxLayout damaged = DbxWriter::Messages(inbox, 3);
  std::string bytes = damaged.bytes;
  // Message 4's chain loops back to its start; the header counts two more than it holds.
  testing::Put32(bytes, damaged.blocks[3].back() + 12, damaged.blocks[3].front());
  testing::Put32(bytes, 0xC4, 12);
  WriteRaw(ann + "Inbox.dbx", bytes);
  ASSERT_EQ(Backup(), 0) << Messages();
  // A copy changed since the backup made it is not read at all.
  WriteRaw(backup + "\\Ann\\Work.dbx", DbxWriter::Messages(testing::SampleMessages(2)).bytes);
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

TEST_F(Export, UnattendedExportEndsWithItsCodeAndRefusesATargetInTheBackupOrStores) {
  ASSERT_EQ(Backup(), 0) << Messages();
  const std::pair<std::string, int> cases[] = {
      {"/h /x:" + out, 0},
      {"/h /x:\"" + out + "\"", 2},  // not empty any more
      {"/h /x:" + backup + "\\Mail", 2},
      {"/h /x:" + Store("{A}") + "\\Out", 2},
      {"/h /x:relative", 2},
      {"/x:" + kRoot + "\\out2 /h /b:" + kRoot + "\\none", 7},
      {"/h /b:" + backup + " /x:" + kRoot + "\\out3", 0},
  };
  for (const auto& c : cases) {
    StartedApp app(p);
    app.state.commandLine = c.first;
    EXPECT_EQ(EndedWith([&] { HandleCommandLine(app); }), c.second) << c.first;
  }
  EXPECT_EQ(Files(out + "\\Ann\\Posteingang").size(), 10u);
  EXPECT_TRUE(Holds(ReadAll(out + "\\ExportReport.txt"), texts::ReportExitCode(0)));
  EXPECT_EQ(Files(kRoot + "\\out3\\Ann\\Posteingang").size(), 10u);
  EXPECT_FALSE(Exists(backup + "\\Mail") || Exists(Store("{A}") + "\\Out"));
}

}  // namespace
}  // namespace lark::test
