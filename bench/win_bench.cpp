// The restore and the start-up, timed under Wine (or Windows).
//   lark_bench restore WABFILE      the whole complete restore (cmdRestore_Click): the three
//                                   registry imports, the address book (the file dialog is
//                                   answered with WABFILE) and every identity's store files
//   lark_bench backup [unhashed]    the whole complete backup as a scheduled run makes it
//                                   (cmdComplete_Click, unattended), into the folder the
//                                   settings name; "unhashed" reads every store copy as empty
//                                   when its checksum is taken, so that the difference between
//                                   the two is what the checksum list costs the backup
//   lark_bench noop                 nothing: the time Wine takes to start and end a program
//   lark_bench restore-copies       only its last step, resComplete: the store files copied
//                                   back from the backup folder into each identity's store
//   lark_bench startup EXE RUNS     starts EXE RUNS times; each time, the seconds from the
//                                   start until its main window is visible and the program
//                                   waits for input; then closes it
//   lark_bench hold                 keeps a hidden window until ended, and with it Wine's
//                                   desktop process, which otherwise starts anew with every
//                                   program that opens a window and ends after it
//   lark_bench copy [-shell] [-beside] -to DEST FILE... [-to DEST FILE...]
//                                   copies each file into the folder named before it with
//                                   CopyFileA, the fastest copy this Windows offers a
//                                   program, as a yardstick for the shell's copies
// Each prints one line per measurement: a name and seconds. Message boxes the restore would
// have shown go to standard error, and make the exit code 1.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backup/complete_backup.h"
#include "common/recording_user.h"
#include "core/settings.h"
#include "discovery/identities.h"
#include "platform/win32/win32_platform.h"
#include "program/startup.h"
#include "restore/complete_restore.h"
#include "ui/handlers.h"
#include "ui/windowed_app.h"

namespace {

constexpr const char* kMainCaption = "Outlook Express Larkmoor Backup";

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The program's own parts, with the tests' user: it answers every question at once. Store
// copies are read through `streams` when given (the unhashed backup's).
struct Program {
  lark::Win32Platform w;
  lark::test::RecordingUser user;
  lark::Platform p;
  lark::WindowedApp app{p};

  explicit Program(lark::IFileStreams* streams = nullptr)
      : p{w.registry, w.files, streams ? *streams : w.streams, w.processes, w.shell, user} {
    lark::GetInputPaths(app);
    // Files already in place are replaced without a question: the box ticked for the
    // stores, and for the address book the shell's question answered as a user would.
    app.Form1().SetChkOverwrite(1);
    app.state.silentCopy = true;
  }
  int Report() {
    for (const auto& m : user.messages) std::fprintf(stderr, "message: %s\n", m.c_str());
    return user.messages.empty() ? 0 : 1;
  }
};

int Restore(const char* wabFile) {
  Program program;
  program.user.chosenFile = std::string(wabFile);
  double start = Now();
  lark::cmdRestore_Click(program.app);
  std::printf("restore %.6f\n", Now() - start);
  return program.Report();
}

// Store copies read back as empty: the backup without the cost of hashing them. Only the
// copies, in the backup folder: the stores themselves are still read for their check.
class UnhashedStreams : public lark::IFileStreams {
 public:
  explicit UnhashedStreams(lark::IFileStreams& real) : real_(real) {}
  std::string backupFolder;
  std::unique_ptr<lark::IFileReader> OpenRead(const std::string& path) override {
    struct Empty : lark::IFileReader {
      bool Read(char*, std::size_t, std::size_t* got) override {
        *got = 0;
        return true;
      }
    };
    if (path.size() > 4 && _stricmp(path.c_str() + path.size() - 4, ".dbx") == 0 &&
        !backupFolder.empty() &&
        _strnicmp(path.c_str(), backupFolder.c_str(), backupFolder.size()) == 0)
      return std::make_unique<Empty>();
    return real_.OpenRead(path);
  }
  std::unique_ptr<lark::IFileWriter> Create(const std::string& path) override {
    return real_.Create(path);
  }

 private:
  lark::IFileStreams& real_;
};

int Backup(bool unhashed) {
  lark::Win32FileStreams real;
  UnhashedStreams empty(real);
  Program program(unhashed ? &empty : nullptr);
  empty.backupFolder = lark::StoredBackupFolder(program.app);
  program.app.state.unattended = true;
  program.app.state.hiddenRun = true;
  double start = Now();
  lark::cmdComplete_Click(program.app);
  std::printf("backup %.6f\n", Now() - start);
  program.Report();
  return program.app.state.exitCode;
}

int RestoreCopies() {
  Program program;
  double start = Now();
  lark::resComplete(program.app, lark::StoredBackupFolder(program.app),
                    lark::WindowRunOptions(program.app));
  std::printf("restore-copies %.6f\n", Now() - start);
  return program.Report();
}

struct Find {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMain(HWND hwnd, LPARAM param) {
  auto* f = reinterpret_cast<Find*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  char caption[128] = "";
  ::GetWindowTextA(hwnd, caption, sizeof(caption));
  if (pid == f->pid && ::IsWindowVisible(hwnd) && std::strcmp(caption, kMainCaption) == 0) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND MainWindowOf(DWORD pid) {
  Find f{pid, nullptr};
  ::EnumWindows(FindMain, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

// One start: launch, wait until the main window is shown and the program sits in its
// message loop, close it. Returns the seconds to the first of those, or -1.
double StartOnce(const std::string& exe) {
  std::string line = "\"" + exe + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  double start = Now();
  if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  double seconds = -1;
  HWND main = nullptr;
  while (Now() - start < 60) {
    // Idle: the program has asked for its next message and found none waiting. The window
    // is shown half way through start-up, so a message sent to it comes back only once its
    // thread is in the message loop, the start-up over.
    DWORD_PTR answer = 0;
    if (::WaitForInputIdle(pi.hProcess, 1000) == 0 && (main = MainWindowOf(pi.dwProcessId)) &&
        ::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer)) {
      seconds = Now() - start;
      break;
    }
    main = nullptr;
    if (::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;  // it ended instead
    ::Sleep(1);
  }
  if (main) ::PostMessageA(main, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) {
    ::TerminateProcess(pi.hProcess, 1);
    ::WaitForSingleObject(pi.hProcess, 5000);
  }
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return seconds;
}

int Startup(const char* exe, int runs) {
  int failed = 0;
  for (int i = 0; i < runs; ++i) {
    double s = StartOnce(exe);
    if (s < 0) {
      std::fprintf(stderr, "start %d: no idle main window\n", i + 1);
      ++failed;
      continue;
    }
    std::printf("startup %.6f\n", s);
    std::fflush(stdout);
  }
  return failed ? 1 : 0;
}

// "-to FOLDER" names the folder the files after it are copied into. With "-shell", each file
// is one SHFileOperationA copy with the flags a windowed restore gives it (replace without
// asking; the shell's progress window allowed): the shell's own cost, without the program's.
// With "-beside", each copy is made under a scratch name beside the file it replaces and then
// renamed over it, as a restore must do to keep the live file until its copy is whole: the
// copy then writes into new pages while the old file still holds its own.
int CopyFiles(char** args, int count) {
  double start = Now();
  std::string dest = ".";
  bool shell = false, beside = false;
  int i = 0;
  for (; i < count && args[i][0] == '-' && std::strcmp(args[i], "-to") != 0; ++i) {
    shell = shell || std::strcmp(args[i], "-shell") == 0;
    beside = beside || std::strcmp(args[i], "-beside") == 0;
  }
  for (; i < count; ++i) {
    if (std::strcmp(args[i], "-to") == 0 && i + 1 < count) {
      dest = args[++i];
      continue;
    }
    std::string from = args[i];
    const std::string target = dest + "\\" + from.substr(from.find_last_of('\\') + 1);
    const std::string to = beside ? target.substr(0, target.size() - 1) + "#" : target;
    std::string pFrom = from + std::string(2, '\0'), pTo = to + std::string(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_COPY;
    op.pFrom = pFrom.c_str();
    op.pTo = pTo.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
    if (shell ? ::SHFileOperationA(&op) != 0 : !::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
      std::fprintf(stderr, "cannot copy %s\n", args[i]);
      return 1;
    }
    if (beside && !::MoveFileExA(to.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      std::fprintf(stderr, "cannot rename %s\n", to.c_str());
      return 1;
    }
  }
  std::printf("copy %.6f\n", Now() - start);
  return 0;
}

int Hold() {
  HWND window = ::CreateWindowExA(0, "STATIC", "lark_bench hold", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, nullptr, nullptr);
  if (!window) return 1;
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "restore") == 0) return Restore(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "restore-copies") == 0) return RestoreCopies();
  if (argc >= 2 && std::strcmp(argv[1], "backup") == 0)
    return Backup(argc == 3 && std::strcmp(argv[2], "unhashed") == 0);
  if (argc == 2 && std::strcmp(argv[1], "noop") == 0) return 0;
  if (argc == 4 && std::strcmp(argv[1], "startup") == 0)
    return Startup(argv[2], std::atoi(argv[3]));
  if (argc >= 3 && std::strcmp(argv[1], "copy") == 0) return CopyFiles(argv + 2, argc - 2);
  if (argc == 2 && std::strcmp(argv[1], "hold") == 0) return Hold();
  std::fprintf(stderr,
               "usage: lark_bench restore WABFILE | restore-copies | startup EXE RUNS |\n"
               "                  hold | copy [-shell] [-beside] -to DEST FILE...\n");
  return 2;
}
