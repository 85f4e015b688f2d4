// Drives the real program from another process, as a user or a scheduler would: starts it,
// finds its windows, clicks buttons and menu items, reads labels and status-bar panels, and
// reads and answers the dialogs it shows; and sets up the registry and files it starts
// from. Every wait is bounded.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/hosted_state.h"

namespace lark::gui {

constexpr DWORD kDefaultTimeoutMs = 15000;
constexpr DWORD kRunMs = 120000;  // a whole backup, restore or export of hundreds of files

// The program under test, started as a child process and killed if still running at the end.
class Program {
 public:
  // Starts the exe (LARK_EXE, or larkmoor.exe beside the test's parent folder) with args.
  static std::unique_ptr<Program> Start(const std::string& args = "");
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // A visible top-level window of this program with this caption, or null when none comes.
  HWND WaitForWindow(const std::string& caption, DWORD timeoutMs = kDefaultTimeoutMs) const;
  HWND MainWindow(DWORD timeoutMs = kDefaultTimeoutMs) const;
  // True when the process ended in time; its exit code is stored.
  bool WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs, DWORD* exitCode = nullptr) const;
  bool Running() const;
  // Ends it the hard way, as a crash, a power cut or the task manager would.
  bool Kill() const;
  std::vector<HWND> TopLevelWindows() const;

 private:
  Program() = default;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

std::string Text(HWND window);
HWND Control(HWND parent, int id);
// Posted, so that a modal loop the handler opens cannot block the driver.
void Click(HWND button);
// A person's click at the control's centre on the screen: it lands wherever the window
// system sends it, and a disabled window takes none.
void ClickOnScreen(HWND control);
void ChooseMenu(HWND window, int commandId);
// A person's click on a list view's row (in its second column, away from its check box), and
// a key pressed and released, sent to whatever has the focus.
void ClickRowOnScreen(HWND listView, int row);
void PressKey(WORD virtualKey);
bool RowTicked(HWND listView, int row);
int SelectedRow(HWND listView);
// The screen as a BMP file in the folder LARK_SHOTS names (a Linux path), when it is set.
void Screenshot(const std::string& name);
std::string StatusText(HWND statusBar, int panel);  // panel numbered from 1

struct Dialog {
  HWND hwnd = nullptr;
  std::string title;
  std::string text;  // the message of a message box
};
// The next visible dialog (class #32770) of the program, other than those in `except`.
std::optional<Dialog> WaitForDialog(const Program& program, DWORD timeoutMs = kDefaultTimeoutMs,
                                    const std::vector<HWND>& except = {});
bool NoDialogFor(const Program& program, DWORD ms);
// Clicks the dialog's button with this caption ("OK", "Yes", ...), and waits until it is
// gone; false if there is no such button or it stays.
bool Answer(const Dialog& dialog, const std::string& caption);
HWND ChildOfClass(HWND parent, const std::string& className);
bool WaitFor(const std::function<bool()>& ready, DWORD timeoutMs = kDefaultTimeoutMs);

// The registry and files the program starts from.
using hosted::DeleteTree;
using hosted::FirstFound;
using hosted::kAccount;
using hosted::kUserBranches;
using hosted::SeedSettings;
using hosted::SetText;
using hosted::SetValue;
// The bytes of a value under HKEY_CURRENT_USER; "<missing>".
inline std::string ReadValue(const std::string& key, const char* name) {
  return hosted::ReadValue(HKEY_CURRENT_USER, key, name);
}
// One identity "Main" with its stores in `store`, an address book in `root`\book, and the
// backup folder `root`\bk set (and made) with the overwrite option.
void SeedProfile(const std::string& root, const std::string& store, DWORD overwrite = 1);
// C:\larkmoor-gui\<name>, created empty.
std::string ScratchFolder(const std::string& name);
using hosted::ReadAll;
using hosted::WriteAll;
using hosted::WriteOlder;
// Every file directly in a folder, with its bytes.
std::map<std::string, std::string> Files(const std::string& folder);

}  // namespace lark::gui
