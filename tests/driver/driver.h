// Drives the real program from another process, as a user would: starts it, finds its
// windows, clicks buttons and menu items, reads labels, tooltips and status-bar panels,
// and reads and answers the dialogs it shows. Every wait is bounded.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lark::gui {

constexpr DWORD kDefaultTimeoutMs = 15000;

// The program under test, started as a child process.
class Program {
 public:
  // Starts the exe (LARK_EXE, or larkmoor.exe beside the test's parent folder) with args.
  static std::unique_ptr<Program> Start(const std::string& args = "",
                                        const std::string& currentDir = "");
  ~Program();  // kills the program if it is still running
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD pid() const { return pid_; }
  HANDLE process() const { return process_; }
  // A visible top-level window of this program with this caption (or class when the
  // caption is empty), or null when none appears in time.
  HWND WaitForWindow(const std::string& caption, DWORD timeoutMs = kDefaultTimeoutMs,
                     const std::string& className = "") const;
  HWND MainWindow(DWORD timeoutMs = kDefaultTimeoutMs) const;
  // True when the process ended in time; its exit code is stored.
  bool WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs, DWORD* exitCode = nullptr) const;
  bool Running() const;
  std::vector<HWND> TopLevelWindows(bool visibleOnly) const;

 private:
  Program() = default;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

std::string ExePath();
std::string Text(HWND window);
HWND Control(HWND parent, int id);
// Posts the click so that a modal loop the handler opens cannot block the driver.
void Click(HWND button);
// A person's click at the control's centre on the screen: it lands wherever the window
// system sends it, and a disabled window takes none.
void ClickOnScreen(HWND control);
void ChooseMenu(HWND window, int commandId);
void CloseFromControl(HWND window);  // the close box / window menu
void CloseByTaskManager(HWND window);  // a plain WM_CLOSE, as the task manager sends

// Cross-process reads that need a buffer in the target's address space.
int StatusPanelCount(HWND statusBar);
std::string StatusText(HWND statusBar, int panel);  // panel numbered from 1
std::string TooltipText(const Program& program, HWND owner, HWND control);

struct Dialog {
  HWND hwnd = nullptr;
  std::string title;
  std::string text;                  // the message of a message box
  std::vector<std::string> buttons;  // button captions, in child order
};
// The next visible dialog (class #32770) of the program, other than those in `except`.
std::optional<Dialog> WaitForDialog(const Program& program, DWORD timeoutMs = kDefaultTimeoutMs,
                                    const std::vector<HWND>& except = {});
// No dialog appears within the given time.
bool NoDialogFor(const Program& program, DWORD ms);
// Clicks the dialog's button with this caption ("OK", "&Yes", ...); false if none.
bool PressButton(HWND dialog, const std::string& caption);
bool WaitForGone(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);

// Client-area rectangle of a child, in the parent's client coordinates.
RECT ChildRect(HWND parent, HWND child);
int ScreenDpi();
// Writes a 24-bit BMP of the window (or the whole screen when null) into LARK_SHOTS.
bool SaveScreenshot(HWND window, const std::string& name);

}  // namespace lark::gui
