#include "driver.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace lark::gui {
namespace {

std::string ClassOf(HWND h) {
  char buffer[256] = "";
  ::GetClassNameA(h, buffer, sizeof(buffer));
  return buffer;
}

BOOL CALLBACK Collect(HWND h, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> out;
  ::EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&out));
  return out;
}

// A person's click at this point of the screen.
void ClickAt(int x, int y) {
  ::SetCursorPos(x, y);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, input, sizeof(INPUT));
  ::Sleep(300);
}

// Sends a message to a window of another process with `buffer` in that process's memory: the
// bytes are copied there first and back afterwards. False when the process cannot be opened.
bool SendWithBuffer(HWND window, UINT message, WPARAM w, void* buffer, std::size_t size) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  HANDLE process =
      ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  void* remote = ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  ::WriteProcessMemory(process, remote, buffer, size, nullptr);
  ::SendMessageA(window, message, w, reinterpret_cast<LPARAM>(remote));
  ::ReadProcessMemory(process, remote, buffer, size, nullptr);
  ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  ::CloseHandle(process);
  return true;
}

std::string ExePath() {
  if (const char* env = std::getenv("LARK_EXE"); env && *env) return env;
  char self[MAX_PATH] = "";
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  path = path.substr(0, path.find_last_of('\\'));  // ...\tests
  return path.substr(0, path.find_last_of('\\')) + "\\larkmoor.exe";
}

}  // namespace

std::unique_ptr<Program> Program::Start(const std::string& args) {
  auto p = std::unique_ptr<Program>(new Program());
  std::string line = "\"" + ExePath() + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  // Under heavy load Wine now and then fails a process start that succeeds a moment later,
  // as the program's own starts of the registry editor find; tried as the program tries.
  for (int attempt = 1;; ++attempt) {
    if (::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      break;
    if (attempt == 4) {
      std::printf("note: the program could not be started (error %lu)\n", ::GetLastError());
      return nullptr;
    }
    ::Sleep(500);
  }
  ::CloseHandle(pi.hThread);
  p->process_ = pi.hProcess;
  p->pid_ = pi.dwProcessId;
  return p;
}

Program::~Program() {
  Kill();
  ::CloseHandle(process_);
}

bool Program::Running() const { return ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool Program::Kill() const {
  if (Running()) ::TerminateProcess(process_, 99);
  return ::WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0;
}

std::vector<HWND> Program::TopLevelWindows() const {
  std::vector<HWND> all, mine;
  ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
  for (HWND h : all) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    if (pid == pid_ && ::IsWindowVisible(h)) mine.push_back(h);
  }
  return mine;
}

HWND Program::WaitForWindow(const std::string& caption, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND h : TopLevelWindows())
          if (Text(h) == caption) found = h;
        return found || !Running();
      },
      timeoutMs);
  return found;
}

HWND Program::MainWindow(DWORD timeoutMs) const {
  return WaitForWindow("Outlook Express Larkmoor Backup", timeoutMs);
}

bool Program::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
  if (::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) ::GetExitCodeProcess(process_, exitCode);
  return true;
}

std::string Text(HWND window) {
  // WM_GETTEXT is marshalled across processes by the system.
  LRESULT n = ::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  s.resize(static_cast<std::size_t>(
      ::SendMessageA(window, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(&s[0]))));
  return s;
}

HWND Control(HWND parent, int id) { return ::GetDlgItem(parent, id); }
void Click(HWND button) { ::PostMessageA(button, BM_CLICK, 0, 0); }

void ClickOnScreen(HWND control) {
  RECT r;
  ::GetWindowRect(control, &r);
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void ChooseMenu(HWND window, int commandId) {
  ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void ClickRowOnScreen(HWND listView, int row) {
  RECT r{LVIR_BOUNDS, 1, 0, 0};  // top: the second column
  if (!SendWithBuffer(listView, LVM_GETSUBITEMRECT, row, &r, sizeof(r))) return;
  POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ::ClientToScreen(listView, &centre);
  ClickAt(centre.x, centre.y);
}

void PressKey(WORD virtualKey) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = virtualKey;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, input, sizeof(INPUT));
  ::Sleep(300);
}

bool RowTicked(HWND listView, int row) {
  const UINT state =
      static_cast<UINT>(::SendMessageA(listView, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

int SelectedRow(HWND listView) {
  return static_cast<int>(::SendMessageA(listView, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
}

void Screenshot(const std::string& name) {
  const char* folder = std::getenv("LARK_SHOTS");
  if (!folder || !*folder) return;
  std::string path = std::string(folder) + "/" + name + ".bmp";
  if (path[0] == '/') path = "Z:" + path;
  HDC screen = ::GetDC(nullptr);
  const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  HDC mem = ::CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(mem, bmp);
  ::BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  ::GdiFlush();
  const DWORD size = static_cast<DWORD>(((w * 3 + 3) & ~3) * h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
  fh.bfSize = fh.bfOffBits + size;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
  out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(bi.bmiHeader));
  out.write(static_cast<const char*>(bits), size);
  ::SelectObject(mem, old);
  ::DeleteObject(bmp);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
}

std::string StatusText(HWND statusBar, int panel) {
  // The text is written into the program's own memory, then read from there.
  std::string s(LOWORD(::SendMessageA(statusBar, SB_GETTEXTLENGTHA, panel - 1, 0)) + 1, '\0');
  if (!SendWithBuffer(statusBar, SB_GETTEXTA, panel - 1, &s[0], s.size())) return "<no access>";
  return s.c_str();
}

std::optional<Dialog> WaitForDialog(const Program& program, DWORD timeoutMs,
                                    const std::vector<HWND>& except) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND h : program.TopLevelWindows())
          if (ClassOf(h) == "#32770" && std::find(except.begin(), except.end(), h) == except.end())
            found = h;
        return found || !program.Running();
      },
      timeoutMs);
  if (!found) return std::nullopt;
  ::Sleep(100);  // let it finish laying out its controls
  Dialog d{found, Text(found), ""};
  // The message of a message box is its static control with id 0xFFFF.
  for (HWND c : Children(found))
    if (_stricmp(ClassOf(c).c_str(), "Static") == 0 && (::GetDlgCtrlID(c) & 0xFFFF) == 0xFFFF &&
        d.text.empty())
      d.text = Text(c);
  return d;
}

bool NoDialogFor(const Program& program, DWORD ms) { return !WaitForDialog(program, ms); }

bool Answer(const Dialog& dialog, const std::string& caption) {
  for (HWND c : Children(dialog.hwnd)) {
    std::string bare;
    for (char ch : Text(c))
      if (ch != '&') bare += ch;
    if (_stricmp(ClassOf(c).c_str(), "Button") != 0 || bare != caption) continue;
    ::PostMessageA(dialog.hwnd, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(c), BN_CLICKED),
                   reinterpret_cast<LPARAM>(c));
    return WaitFor([&] { return !::IsWindow(dialog.hwnd) || !::IsWindowVisible(dialog.hwnd); });
  }
  return false;
}

HWND ChildOfClass(HWND parent, const std::string& className) {
  for (HWND h : Children(parent))
    if (_stricmp(ClassOf(h).c_str(), className.c_str()) == 0) return h;
  return nullptr;
}

bool WaitFor(const std::function<bool()>& ready, DWORD timeoutMs) {
  for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < timeoutMs; ::Sleep(50))
    if (ready()) return true;
  return ready();
}

void SeedProfile(const std::string& root, const std::string& store, DWORD overwrite) {
  SetText("Identities", "Default User ID", "{A}");
  SetText("Identities\\{A}", "Username", "Main");
  SetText("Identities\\{A}\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root", store,
          REG_EXPAND_SZ);
  SetText("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", root + "\\book\\me.wab");
  WriteAll(root + "\\book\\me.wab", "address book");
  SeedSettings(root + "\\bk", overwrite);
}

std::string ScratchFolder(const std::string& name) {
  std::string path = "C:\\larkmoor-gui\\" + name;
  std::string from = path + std::string(2, '\0');
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  ::SHFileOperationA(&op);
  ::CreateDirectoryA("C:\\larkmoor-gui", nullptr);
  ::CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

std::map<std::string, std::string> Files(const std::string& folder) {
  std::map<std::string, std::string> out;
  hosted::EachFound(folder + "\\*", [&](const std::string& name, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) out[name] = ReadAll(folder + "\\" + name);
    return true;
  });
  return out;
}

}  // namespace lark::gui
