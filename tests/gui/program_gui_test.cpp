// The real program under Wine, driven from outside as a user and a scheduler meet it: the
// first run, a backup from the window, unattended runs and their exit codes, a restore
// after damage, runs killed half-way, and the folder chooser.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <vector>

#include "core/texts.h"
#include "driver.h"
#include "res/resource_ids.h"
#include "ui/ids.h"

namespace lark::gui {
namespace {

// The clipboard belongs to the user: the program must leave whatever is on it.
void PutOnClipboard(const std::string& text) {
  static HWND owner =
      ::CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(::OpenClipboard(owner));
  ::EmptyClipboard();
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  lstrcpyA(static_cast<char*>(::GlobalLock(mem)), text.c_str());
  ::GlobalUnlock(mem);
  ::SetClipboardData(CF_TEXT, mem);
  ::CloseClipboard();
}

std::string ClipboardText() {
  if (!::OpenClipboard(nullptr)) return "<not opened>";
  std::string text;
  if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(::GlobalLock(h));
    ::GlobalUnlock(h);
  }
  ::CloseClipboard();
  return text;
}

// The registry editors running anywhere in the prefix (a killed program's editors run on), as
// their process ids. A list that cannot be taken is {0}.
std::vector<DWORD> Editors() {
  std::vector<DWORD> found;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  for (int tries = 1; snapshot == INVALID_HANDLE_VALUE && tries < 5; ++tries) {
    ::Sleep(200);
    snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  }
  if (snapshot == INVALID_HANDLE_VALUE) return {0};
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32First(snapshot, &entry); more;
       more = ::Process32Next(snapshot, &entry))
    if (lstrcmpiA(entry.szExeFile, "regedit.exe") == 0) found.push_back(entry.th32ProcessID);
  ::CloseHandle(snapshot);
  return found;
}
void End(DWORD id) {
  if (HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
    ::TerminateProcess(process, 1);
    ::WaitForSingleObject(process, 10000);
    ::CloseHandle(process);
  }
}
bool EditorRunning() { return !Editors().empty(); }

class ProgramGui : public ::testing::Test {
 protected:
  std::string root, store, backup;
  std::unique_ptr<Program> program;
  HWND main = nullptr;

  void SetUp() override {
    for (const char* b : kUserBranches) DeleteTree(b);
    root = ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    store = root + "\\store";
    backup = root + "\\bk";
  }
  void TearDown() override {
    program.reset();
    for (const char* b : kUserBranches) DeleteTree(b);
  }
  // One identity "Main" with `files` message stores of 40 bytes each, an account and an
  // address book; the backup folder is set.
  void Profile(int files, DWORD overwrite = 1) {
    for (int i = 0; i < files; ++i) {
      char text[41];
      std::snprintf(text, sizeof(text), "message store number %019d", i);
      WriteAll(store + "\\Folder " + std::to_string(i) + ".dbx", text);
    }
    SeedProfile(root, store, overwrite);
    SetText(kAccount, "Account Name", "mail");
  }
  void Start(const std::string& args = "") {
    program = Program::Start(args);
    ASSERT_NE(program, nullptr);
    main = program->MainWindow();
    ASSERT_NE(main, nullptr);
  }
  DWORD Unattended(const std::string& args) {
    auto run = Program::Start(args);
    DWORD code = 99;
    EXPECT_TRUE(run && run->WaitForExit(kRunMs, &code)) << args.substr(0, 200);
    return code;
  }
  bool WaitForPanel(int panel, const std::string& text) {
    return WaitFor([&] { return StatusText(Control(main, ids::kSb1), panel) == text; }, kRunMs);
  }
  std::string Setting() { return ReadValue("Software\\TarnKeep", "TarnKeep").c_str(); }
  std::vector<std::string> Registry() {
    return {ReadValue("Identities\\{A}", "Username"), ReadValue("Identities", "Default User ID"),
            ReadValue(kAccount, "Account Name")};
  }
  // How many stores in a folder are whole copies: a cheap look at a copy in progress.
  static int WholeStores(const std::string& folder) {
    int n = 0;
    for (const auto& entry : Files(folder)) n += entry.second.size() == 40;
    return n;
  }
};

TEST_F(ProgramGui, FirstRunRemindsTwiceThenShowsNoneSelected) {
  program = Program::Start();
  ASSERT_NE(program, nullptr);
  std::optional<Dialog> first = WaitForDialog(*program);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->text, "Please select a backup folder or create one from the Tools menu.");
  EXPECT_EQ(first->title, "Larkmoor");
  ASSERT_TRUE(Answer(*first, "OK"));
  std::optional<Dialog> second = WaitForDialog(*program, kDefaultTimeoutMs, {first->hwnd});
  ASSERT_TRUE(second);
  EXPECT_EQ(second->text, "Please Select A Backup Folder Before Proceeding Further");
  ASSERT_TRUE(Answer(*second, "OK"));
  main = program->MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Text(Control(main, ids::kLblbkuppth)), "None Selected");
  EXPECT_EQ(Setting(), "None Selected");
  EXPECT_EQ(ReadValue("Software\\TarnKeep", "BackupOverWrite"), std::string(4, '\0'));
  EXPECT_TRUE(NoDialogFor(*program, 500));
}

TEST_F(ProgramGui, BackupFromTheWindowReportsInTheStatusBar) {
  Profile(3);
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_TRUE(NoDialogFor(*program, 500));
  EXPECT_EQ(Text(Control(main, ids::kLblbkuppth)), backup);
  EXPECT_EQ(Text(Control(main, ids::kLabel2)), "1");
  EXPECT_EQ(::SendMessageA(Control(main, ids::kChkOverwrite), BM_GETCHECK, 0, 0), BST_CHECKED);
  Click(Control(main, ids::kCmdComplete));
  EXPECT_TRUE(WaitForPanel(1, "Backup Complete"));
  EXPECT_EQ(StatusText(Control(main, ids::kSb1), 2), "1 Identities Backed Up");
  EXPECT_EQ(ReadAll(backup + "\\Main\\Folder 2.dbx"), ReadAll(store + "\\Folder 2.dbx"));
  EXPECT_TRUE(NoDialogFor(*program, 300));
  // A click on the option stores it at once.
  Click(Control(main, ids::kChkOverwrite));
  EXPECT_TRUE(WaitFor(
      [] { return ReadValue("Software\\TarnKeep", "BackupOverWrite") == std::string(4, '\0'); },
      3000));
}

// Command lines a scheduled task or a shortcut may carry. An unattended run always ends by
// itself with its code; only a run with a user there shows a message.
TEST_F(ProgramGui, UnattendedRunsEndWithTheirExitCode) {
  Profile(3);
  const std::string blanks = root + "\\Mail  Backup";
  const std::string padded = root + "\\padded";
  struct Case {
    const char* what;
    std::string args;
    DWORD exitCode;  // 0: backed up into `folder`, which is stored; 2: the setting kept
    std::string folder;
  } cases[] = {
      {"the stored folder", "/a /h", 0, backup},
      {"/b: with nothing after it", "/a /b:", 2, ""},
      {"a quoted new folder with blanks", "/a /h /b:\"" + blanks + "\"", 0, blanks},
      {"the whole switch quoted, upper case", "/A /H \"/B:" + blanks + "\"", 0, blanks},
      {"a drive that does not exist", "/a /h /b:Q:\\Mail Backup", 2, ""},
      {"a folder longer than Windows allows", "/a /h /b:" + root + "\\" + std::string(3000, 'f'), 2,
       ""},
      {"a very long line, switches inside other words",
       std::string(20000, 'x') + " /ALLOW /hidden /B:" + padded, 0, padded},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SeedSettings(backup, 1);
    EXPECT_EQ(Unattended(c.args), c.exitCode);
    EXPECT_EQ(Setting(), c.folder.empty() ? backup : c.folder);
    if (c.exitCode == 0) {
      EXPECT_EQ(ReadAll(c.folder + "\\Main\\Folder 2.dbx"), ReadAll(store + "\\Folder 2.dbx"));
      EXPECT_NE(ReadAll(c.folder + "\\AllIdentities.reg"), "<missing>");
    }
  }
  // "/g:N" stores how many backups are kept before the run it starts; a number outside 1 to
  // 99 is not used, and the report says so.
  SeedSettings(backup, 1);
  EXPECT_EQ(Unattended("/a /h /g:2"), 0u);
  EXPECT_EQ(ReadValue("Software\\TarnKeep", "Generations"), std::string("\x02\0\0\0", 4));
  EXPECT_EQ(Unattended("/g:100 /a /h"), 0u);
  EXPECT_EQ(ReadValue("Software\\TarnKeep", "Generations"), std::string("\x02\0\0\0", 4));
  EXPECT_NE(ReadAll(backup + "\\BackupReport.txt").find("\"/g:100\" was not used"),
            std::string::npos);
  // The scheduled command where the program never ran ends by itself, making the new disk's
  // folders; so does a hidden run with no folder at all. A visible run still shows its boxes.
  DeleteTree("Software\\TarnKeep");
  EXPECT_EQ(Unattended("/a /h /b:" + root + "\\new\\disk\\Backup"), 0u);
  EXPECT_NE(ReadAll(root + "\\new\\disk\\Backup\\BackupReport.txt"), "<missing>");
  DeleteTree("Software\\TarnKeep");
  EXPECT_EQ(Unattended("/a /h"), 1u);
  SeedSettings("None Selected", 1);
  program = Program::Start("/a");
  ASSERT_TRUE(program && WaitForDialog(*program)) << "a visible run shows its reminder";
  // With a user there, a bad "/b:" is explained and the window stays; so does "/h" alone.
  SeedSettings(backup, 1);
  ASSERT_NO_FATAL_FAILURE(Start("/h"));
  EXPECT_TRUE(::IsWindowVisible(main));
  program = Program::Start("/b:");
  std::optional<Dialog> d = WaitForDialog(*program);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->text,
            "The backup folder \"\" given on the command line could not be created or "
            "opened. Nothing was backed up.");
  Answer(*d, "OK");
  EXPECT_NE(program->MainWindow(), nullptr);
  EXPECT_EQ(Setting(), backup);
}

// Back up, damage the stores and lose the address book, restore from the window choosing the
// saved address book; then, with the option off, the shell asks before each replacement, and
// the window waits for its answers. (A backup stages every file anew and never replaces one.)
TEST_F(ProgramGui, BackupDamageRestoreThroughTheWindow) {
  Profile(3);
  ASSERT_EQ(Unattended("/a /h"), 0u);
  const auto stores = Files(store);
  for (const auto& entry : stores) WriteOlder(store + "\\" + entry.first, "damaged");
  ::DeleteFileA((root + "\\book\\me.wab").c_str());
  ASSERT_NO_FATAL_FAILURE(PutOnClipboard("the user's own"));
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(ClipboardText(), "the user's own");
  Click(Control(main, ids::kCmdRestore));
  std::optional<Dialog> open = WaitForDialog(*program, kRunMs);
  ASSERT_TRUE(open);
  EXPECT_EQ(open->title, "Open");
  ::SendMessageA(::GetDlgItem(open->hwnd, 0x47C), WM_SETTEXT, 0,  // the file name box
                 reinterpret_cast<LPARAM>((backup + "\\me.wab").c_str()));
  ::PostMessageA(open->hwnd, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitForPanel(1, "Restore Complete"));
  EXPECT_TRUE(NoDialogFor(*program, 300));
  EXPECT_EQ(Files(store), stores);
  EXPECT_EQ(ReadAll(root + "\\book\\me.wab"), "address book");
  EXPECT_EQ(ClipboardText(), "the user's own");

  for (const auto& entry : stores) WriteOlder(store + "\\" + entry.first, "damaged");
  Click(Control(main, ids::kChkOverwrite));
  Click(Control(main, ids::kCmdRestore));
  open = WaitForDialog(*program, kRunMs);
  ASSERT_TRUE(open);
  ASSERT_TRUE(Answer(*open, "Cancel"));
  std::vector<HWND> seen{open->hwnd};
  for (const char* answer : {"Yes", "No", "No"}) {
    std::optional<Dialog> q = WaitForDialog(*program, kRunMs, seen);
    ASSERT_TRUE(q) << "no question before replacing a store file";
    EXPECT_EQ(q->title, "Confirm file overwrite");
    seen.push_back(q->hwnd);
    if (seen.size() == 2) {
      // While the shell asks, the window takes no real clicks: neither a second command
      // starts inside the first nor does Exit end the program in the middle.
      EXPECT_FALSE(::IsWindowEnabled(main));
      RECT m;  // the question goes below the window, so that the clicks fall on its buttons
      ::GetWindowRect(main, &m);
      ::SetWindowPos(q->hwnd, nullptr, m.left, m.bottom + 10, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      for (int id : {ids::kCmdComplete, ids::kCmdRestore, ids::kCmdExit})
        ClickOnScreen(Control(main, id));
      EXPECT_FALSE(WaitForDialog(*program, 1500, seen).has_value()) << "a second command ran";
      ASSERT_TRUE(program->Running()) << "Exit ended the program in the middle of the restore";
    }
    ASSERT_TRUE(Answer(*q, answer));
  }
  ASSERT_TRUE(WaitForPanel(1, "Restore Complete"));
  // The refused copies are reported, by a box of the still disabled window.
  if (std::optional<Dialog> report = WaitForDialog(*program, 3000, seen)) {
    EXPECT_EQ(::GetWindow(report->hwnd, GW_OWNER), main);
    seen.push_back(report->hwnd);
    ASSERT_TRUE(Answer(*report, "OK"));
  }
  EXPECT_FALSE(WaitForDialog(*program, 1500, seen).has_value()) << "a nested command went on";
  EXPECT_TRUE(program->Running());
  EXPECT_TRUE(::IsWindowEnabled(main));
  int restored = 0;
  for (const auto& entry : Files(store)) restored += entry.second != "damaged";
  EXPECT_EQ(restored, 1);
  EXPECT_EQ(Files(store).size(), stores.size());  // no copy of a live store is left beside it
}

// Killed while it exports the registry, or while it copies the stores: the profile and the
// backup made before are as they were, and the next run makes a whole backup, keeps the
// earlier one and removes what the killed one left.
TEST_F(ProgramGui, KilledBackupChangesNothingAndTheNextRunCompletes) {
  Profile(600);
  const auto registry = Registry();
  const auto stores = Files(store);
  // The folder a running backup writes into until it is complete; "?:" before it exists.
  auto staging = [&] { return FirstFound(backup + "\\Earlier Backups\\*.partial"); };
  const std::pair<const char*, std::function<bool()>> cases[] = {
      {"during the exports", [&] { return ReadAll(staging() + "\\IAM.reg") != "<missing>"; }},
      {"during the copies", [&] { return WholeStores(staging() + "\\Main") >= 200; }},
  };
  for (const auto& [when, ready] : cases) {
    SCOPED_TRACE(when);
    ScratchFolder("KilledBackupChangesNothingAndTheNextRunCompletes\\bk");
    ASSERT_EQ(Unattended("/a /h"), 0u);
    const auto top = Files(backup), earlier = Files(backup + "\\Main");
    auto run = Program::Start("/a /h");
    ASSERT_TRUE(run) << "not started";
    ASSERT_TRUE(WaitFor(ready, kRunMs)) << "ended " << !run->Running();
    ASSERT_TRUE(run->Running()) << "ended before it could be killed";
    ASSERT_TRUE(run->Kill());
    EXPECT_LT(WholeStores(staging() + "\\Main"), 600);
    // The registry editors it started end on their own, later on a busy machine; one still
    // writing when the next run starts would leave its file beside that run's. Under Wine an
    // editor whose start the kill cut short can hang in its start-up for good (one thread,
    // blocked reading its pipe from the Wine server) without ever writing, and one is listed
    // only once its first thread runs, which on a busy machine can be long after the kill:
    // such ones are ended, as a person would end them, and counted in the output.
    std::set<DWORD> ended;
    if (!WaitFor([] { return !EditorRunning(); }, kRunMs)) {
      // Wine cannot always end a process whose start never completed; such a one ran none of
      // the editor's code and writes nothing, which the checks below would see if it did.
      DWORD lastNew = ::GetTickCount();
      EXPECT_TRUE(WaitFor(
          [&] {
            for (DWORD id : Editors())
              if (ended.insert(id).second) {
                End(id);
                lastNew = ::GetTickCount();
              }
            return ::GetTickCount() - lastNew >= 5000;
          },
          30000));
      std::printf("note: registry editors still starting %u s after the kill were ended: %zu\n",
                  unsigned(kRunMs / 1000), ended.size());
    }
    EXPECT_EQ(Registry(), registry);
    EXPECT_EQ(Files(store), stores);
    EXPECT_EQ(Files(backup), top);
    EXPECT_EQ(Files(backup + "\\Main"), earlier);

    EXPECT_EQ(Unattended("/a /h"), 0u);
    auto copied = Files(backup + "\\Main");
    EXPECT_EQ(copied.erase("me.wab"), 1u);
    EXPECT_EQ(copied, stores);
    auto now = Files(backup);
    for (const char* f : {"AddressBook.reg", "AllIdentities.reg", "IAM.reg", "me.wab",
                          "Larkmoor.sha256", "Larkmoor.info", "BackupReport.txt"})
      EXPECT_EQ(now.erase(f), 1u) << f;
    EXPECT_TRUE(now.empty()) << "a scratch file of the killed run was left behind: "
                             << now.begin()->first;
    EXPECT_EQ(staging(), "?:") << "the killed run's staging folder was left behind";
    EXPECT_TRUE(Files(backup + "\\Earlier Backups").empty());
  }
}

// Killed in the middle of putting the stores back: the backup is untouched, and a second
// restore puts everything back.
TEST_F(ProgramGui, KilledRestoreLeavesTheBackupAndTheNextRestoreCompletes) {
  Profile(600);
  ASSERT_EQ(Unattended("/a /h"), 0u);
  auto saved = Files(backup + "\\Main");
  saved.erase("me.wab");
  for (const auto& entry : saved) WriteOlder(store + "\\" + entry.first, "damaged");
  for (bool kill : {true, false}) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Click(Control(main, ids::kCmdRestore));
    std::optional<Dialog> open = WaitForDialog(*program, kRunMs);  // the address book's
    ASSERT_TRUE(open);
    ASSERT_TRUE(Answer(*open, "Cancel"));
    if (kill) {
      ASSERT_TRUE(WaitFor([&] { return WholeStores(store) >= 200; }, kRunMs));
      ASSERT_TRUE(program->Kill());
      EXPECT_LT(WholeStores(store), 600);
    } else {
      EXPECT_TRUE(WaitForPanel(1, "Restore Complete"));
    }
    auto now = Files(backup + "\\Main");
    now.erase("me.wab");
    EXPECT_EQ(now, saved) << "the restore changed the backup";
  }
  EXPECT_EQ(Files(store), saved);
}

// The chooser from the File menu: a new folder made with its input box, set as the backup
// folder, and shown in the main window once the chooser is closed.
TEST_F(ProgramGui, FolderChooserMakesAndSetsANewFolder) {
  SeedSettings(backup, 0);
  ASSERT_NO_FATAL_FAILURE(Start());
  ChooseMenu(main, ids::kMnuCrtbkfldr2);
  HWND chooser = program->WaitForWindow("Select or Create a Backup Folder");
  ASSERT_NE(chooser, nullptr);
  EXPECT_TRUE(WaitFor([&] { return Text(Control(chooser, ids::kTxtbkPth)) == backup; }, 5000));
  Click(Control(chooser, ids::kCmdMkFolder));
  std::optional<Dialog> box = WaitForDialog(*program);
  ASSERT_TRUE(box);
  ::SendMessageA(ChildOfClass(box->hwnd, "Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("New"));
  ASSERT_TRUE(Answer(*box, "OK"));
  const std::string made = backup + "\\New";
  EXPECT_TRUE(WaitFor([&] { return Text(Control(chooser, ids::kTxtbkPth)) == made; }, 5000));
  EXPECT_NE(::GetFileAttributesA(made.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(Setting(), backup) << "stored before it was set";
  Click(Control(chooser, ids::kCmdSetPath));
  EXPECT_TRUE(WaitFor([&] { return Setting() == made; }));
  Click(Control(chooser, ids::kCmdClse));
  EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(chooser); }, 5000));
  EXPECT_NE(program->MainWindow(5000), nullptr);
  EXPECT_EQ(Text(Control(main, ids::kLblbkuppth)), made);
}

// "Restore Selected" from the File menu, by real clicks and keys: one store ticked and put
// back; a store whose copy is damaged refuses its tick; the accounts ticked and unticked stay
// as they are now. Then Cancel changes nothing.
TEST_F(ProgramGui, RestoreSelectedPutsBackWhatIsTickedOnly) {
  Profile(2);
  ASSERT_EQ(Unattended("/a /h"), 0u);
  for (const char* f : {"Folder 0.dbx", "Folder 1.dbx"}) WriteAll(store + "\\" + f, "damaged");
  WriteAll(backup + "\\Main\\Folder 1.dbx", "damaged since the backup");
  SetText(kAccount, "Account Name", "changed since");
  ASSERT_NO_FATAL_FAILURE(Start());
  for (bool ok : {true, false}) {
    ChooseMenu(main, ids::kMnuResSel);
    HWND dlg = program->WaitForWindow("Restore Selected", kRunMs);
    ASSERT_NE(dlg, nullptr);
    HWND list = Control(dlg, LARK_IDC_SEL_LIST);
    ::Sleep(1500);  // the stores of 40 bytes are checked against the list while it is shown
    // Main's settings, its two stores, the accounts, the address book; nothing ticked.
    ASSERT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 5);
    for (int row = 0; row < 5; ++row) EXPECT_FALSE(RowTicked(list, row)) << row;
    for (int row : {1, 2, 3, 3}) {  // the second click on the accounts unticks them
      ClickRowOnScreen(list, row);
      EXPECT_EQ(SelectedRow(list), row);
      PressKey(VK_SPACE);
    }
    EXPECT_TRUE(RowTicked(list, 1));
    EXPECT_FALSE(RowTicked(list, 2)) << "a damaged copy was ticked";
    EXPECT_FALSE(RowTicked(list, 3));
    if (ok) Screenshot("restore-selected");
    ClickOnScreen(Control(dlg, ok ? IDOK : IDCANCEL));
    if (ok) {
      std::optional<Dialog> done = WaitForDialog(*program, kRunMs);
      ASSERT_TRUE(done);
      EXPECT_EQ(done->text, "The selected restore finished:\r\nMessage store " + store +
                                "\\Folder 0.dbx: put back");
      ASSERT_TRUE(Answer(*done, "OK"));
      EXPECT_TRUE(WaitForPanel(1, "Restore Complete"));
      WriteAll(store + "\\Folder 0.dbx", "damaged again");
    } else {
      EXPECT_TRUE(NoDialogFor(*program, 1000));
    }
  }
  EXPECT_EQ(ReadAll(store + "\\Folder 0.dbx"), "damaged again");
  EXPECT_EQ(ReadAll(store + "\\Folder 1.dbx"), "damaged");
  EXPECT_EQ(ReadValue(kAccount, "Account Name"), std::string("changed since\0", 14));
}

// Complete Restore when the backup folder keeps an earlier backup: the chooser comes first,
// the newest selected, its columns wide enough for their texts; Cancel changes nothing; the
// earlier one chosen by a click is restored.
TEST_F(ProgramGui, CompleteRestoreAsksWhichKeptBackup) {
  Profile(2);
  ASSERT_EQ(Unattended("/a /h"), 0u);
  const auto first = Files(store);
  // The second backup keeps the first in Earlier Backups.
  for (const auto& entry : first) WriteAll(store + "\\" + entry.first, "second");
  ASSERT_EQ(Unattended("/a /h"), 0u);
  for (const auto& entry : first) WriteOlder(store + "\\" + entry.first, "damaged");
  ASSERT_NO_FATAL_FAILURE(Start());
  for (bool ok : {false, true}) {
    ClickOnScreen(Control(main, ids::kCmdRestore));
    HWND dlg = program->WaitForWindow("Choose a Backup to Restore", kRunMs);
    ASSERT_NE(dlg, nullptr);
    HWND list = Control(dlg, LARK_IDC_BK_LIST);
    ASSERT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SelectedRow(list), 0);
    if (!ok) {
      // Each column as wide as the list itself would make it for its texts, and all of them
      // within the list at the dialog's size.
      RECT inside;
      ::GetClientRect(list, &inside);
      LRESULT total = 0;
      for (int c = 0; c < 5; ++c) {
        const LRESULT shown = ::SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0);
        ::SendMessageA(list, LVM_SETCOLUMNWIDTH, c, LVSCW_AUTOSIZE);
        EXPECT_GE(shown, ::SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0)) << "column " << c;
        total += shown;
      }
      EXPECT_LE(total, inside.right);
      ClickOnScreen(Control(dlg, IDCANCEL));
      EXPECT_TRUE(NoDialogFor(*program, 1000));
      continue;
    }
    ClickRowOnScreen(list, 1);
    EXPECT_EQ(SelectedRow(list), 1);
    Screenshot("backup-chooser");
    ClickOnScreen(Control(dlg, IDOK));
    std::optional<Dialog> open = WaitForDialog(*program, kRunMs);  // the address book's
    ASSERT_TRUE(open);
    ASSERT_TRUE(Answer(*open, "Cancel"));
    EXPECT_TRUE(WaitForPanel(1, "Restore Complete"));
  }
  EXPECT_EQ(Files(store), first);
}

// Check Backups, scheduled: three kept backups, one byte of a store in the middle one flipped;
// the report names that file of that backup and nothing else, and "/v /h" ends with 7; mended,
// with 0.
TEST_F(ProgramGui, ScheduledCheckNamesTheDamagedFileAndEndsWithItsCode) {
  Profile(2);
  for (int run = 0; run < 3; ++run) ASSERT_EQ(Unattended("/a /h"), 0u) << run;
  std::string middle;  // the newer of the two kept backups
  hosted::EachFound(backup + "\\Earlier Backups\\2*", [&](const std::string& name, DWORD) {
    middle = std::max(middle, name);
    return true;
  });
  ASSERT_FALSE(middle.empty());
  const std::string damaged = backup + "\\Earlier Backups\\" + middle + "\\Main\\Folder 1.dbx";
  const std::string bytes = ReadAll(damaged);
  WriteAll(damaged, bytes.substr(0, 20) + "X" + bytes.substr(21));
  EXPECT_EQ(Unattended("/v /h"), 7u);
  const std::string report = ReadAll(backup + "\\CheckReport.txt");
  const std::size_t fault = report.find("\n- ");
  EXPECT_EQ(report.substr(fault + 1, report.find('\r', fault) - fault - 1),
            texts::CheckFileDamaged(damaged));
  EXPECT_EQ(report.find("\n- ", fault + 1), std::string::npos) << report;
  WriteAll(damaged, bytes);
  EXPECT_EQ(Unattended("/V /H"), 0u);
  DeleteTree("Software\\TarnKeep");
  EXPECT_EQ(Unattended("/v /h"), 1u);
}

// Check Backups from the menu, on a listed store of 32 GB (sparse: no disk): its bar moves, a
// real click on Cancel stops it at once, and the window is usable again.
TEST_F(ProgramGui, CheckBackupsShowsItsProgressAndCancelStopsIt) {
  Profile(1);
  ASSERT_EQ(Unattended("/a /h"), 0u);
  const std::string big = backup + "\\Main\\Big.dbx";
  EXPECT_TRUE(hosted::Sparse(big, 32ll << 30));
  WriteAll(backup + "\\Larkmoor.sha256",
           ReadAll(backup + "\\Larkmoor.sha256") + std::string(64, '0') + "  Main/Big.dbx\n");
  ASSERT_NO_FATAL_FAILURE(Start());
  ChooseMenu(main, ids::kMnuCheckBackups);
  HWND dlg = program->WaitForWindow(texts::kCheckCaption);
  ASSERT_NE(dlg, nullptr);
  auto pos = [&] { return ::SendMessageA(Control(dlg, LARK_IDC_CHECK_BAR), PBM_GETPOS, 0, 0); };
  ASSERT_TRUE(WaitFor([&] { return pos() > 0; }, 30000));
  const LRESULT first = pos();
  EXPECT_TRUE(WaitFor([&] { return pos() > first; }, 10000)) << "the bar stood still";
  EXPECT_EQ(Text(Control(dlg, LARK_IDC_CHECK_FILE)), big);
  Screenshot("check-backups");
  ClickOnScreen(Control(dlg, IDCANCEL));
  std::optional<Dialog> done = WaitForDialog(*program, 10000, {dlg});
  ASSERT_TRUE(done) << "Cancel did not stop the check";
  EXPECT_EQ(done->text.rfind(texts::kCheckCancelledIntro, 0), 0u) << done->text;
  ASSERT_TRUE(Answer(*done, "OK"));
  EXPECT_NE(ReadAll(backup + "\\CheckReport.txt").find(texts::kCheckCancelledLine),
            std::string::npos);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(main) != FALSE; }, 5000));
}

// A backup made on another computer: Complete Restore first says where it came from and what
// goes where; Cancel changes nothing, OK restores and ends with what happened.
TEST_F(ProgramGui, ABackupFromAnotherComputerIsConfirmedFirst) {
  Profile(1);
  ASSERT_EQ(Unattended("/a /h"), 0u);
  std::ofstream(backup + "\\Larkmoor.info", std::ios::app | std::ios::binary)
      << "Computer: OLDPC\r\n";
  WriteOlder(store + "\\Folder 0.dbx", "damaged");
  ASSERT_NO_FATAL_FAILURE(Start());
  for (bool ok : {false, true}) {
    ClickOnScreen(Control(main, ids::kCmdRestore));
    std::optional<Dialog> ask = WaitForDialog(*program, kRunMs);
    ASSERT_TRUE(ask);
    EXPECT_NE(ask->text.find("Computer: OLDPC"), std::string::npos) << ask->text;
    if (!ok) {
      Screenshot("restore-from-another-computer");
      ClickOnScreen(Control(ask->hwnd, IDCANCEL));
      EXPECT_TRUE(NoDialogFor(*program, 1000));
      EXPECT_EQ(ReadAll(store + "\\Folder 0.dbx"), "damaged");
      continue;
    }
    ClickOnScreen(Control(ask->hwnd, IDOK));
    std::optional<Dialog> open = WaitForDialog(*program, kRunMs, {ask->hwnd});
    ASSERT_TRUE(open);
    ASSERT_TRUE(Answer(*open, "Cancel"));
    std::optional<Dialog> done = WaitForDialog(*program, kRunMs, {ask->hwnd, open->hwnd});
    ASSERT_TRUE(done);
    EXPECT_EQ(done->text.rfind("The complete restore finished:", 0), 0u) << done->text;
    Screenshot("restore-from-another-computer-done");
    ASSERT_TRUE(Answer(*done, "OK"));
    EXPECT_TRUE(WaitForPanel(1, "Restore Complete"));
  }
  EXPECT_EQ(ReadAll(store + "\\Folder 0.dbx"), "message store number 0000000000000000000");
}

}  // namespace
}  // namespace lark::gui
