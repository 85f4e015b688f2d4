#include "driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace lark::gui {

namespace {

// A block of memory inside another process, for messages that pass pointers.
class RemoteBuffer {
 public:
  RemoteBuffer(DWORD pid, std::size_t size) : size_(size) {
    process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_)
      address_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) ::CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool ok() const { return address_ != nullptr; }
  void* address() const { return address_; }
  bool Write(const void* data, std::size_t n, std::size_t offset = 0) {
    SIZE_T done = 0;
    return ::WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, n, &done) &&
           done == n;
  }
  bool Read(void* data, std::size_t n, std::size_t offset = 0) const {
    SIZE_T done = 0;
    return ::ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, n, &done) &&
           done == n;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  std::size_t size_;
};

DWORD PidOf(HWND h) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(h, &pid);
  return pid;
}

std::string ClassOf(HWND h) {
  char buffer[256] = "";
  ::GetClassNameA(h, buffer, sizeof(buffer));
  return buffer;
}

struct EnumState {
  DWORD pid;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND h, LPARAM lp) {
  auto* st = reinterpret_cast<EnumState*>(lp);
  if (PidOf(h) == st->pid && (!st->visibleOnly || ::IsWindowVisible(h))) st->found.push_back(h);
  return TRUE;
}

}  // namespace

std::string ExePath() {
  if (const char* env = std::getenv("LARK_EXE"); env && *env) return env;
  char self[MAX_PATH] = "";
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  path = path.substr(0, path.find_last_of('\\'));  // ...\tests
  path = path.substr(0, path.find_last_of('\\'));  // ...\win64
  return path + "\\larkmoor.exe";
}

std::unique_ptr<Program> Program::Start(const std::string& args, const std::string& currentDir) {
  auto p = std::unique_ptr<Program>(new Program());
  std::string line = "\"" + ExePath() + "\"";
  if (!args.empty()) line += " " + args;
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi))
    return nullptr;
  ::CloseHandle(pi.hThread);
  p->process_ = pi.hProcess;
  p->pid_ = pi.dwProcessId;
  ::WaitForInputIdle(pi.hProcess, 5000);
  return p;
}

Program::~Program() {
  if (process_) {
    if (Running()) {
      ::TerminateProcess(process_, 99);
      ::WaitForSingleObject(process_, 5000);
    }
    ::CloseHandle(process_);
  }
}

bool Program::Running() const { return ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::vector<HWND> Program::TopLevelWindows(bool visibleOnly) const {
  EnumState st{pid_, visibleOnly, {}};
  ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&st));
  return st.found;
}

HWND Program::WaitForWindow(const std::string& caption, DWORD timeoutMs,
                            const std::string& className) const {
  DWORD start = ::GetTickCount();
  do {
    for (HWND h : TopLevelWindows(true)) {
      if (!caption.empty() && Text(h) != caption) continue;
      if (!className.empty() && ClassOf(h) != className) continue;
      return h;
    }
    if (!Running()) return nullptr;
    ::Sleep(50);
  } while (::GetTickCount() - start < timeoutMs);
  return nullptr;
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
  LRESULT got = ::SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(n + 1),
                               reinterpret_cast<LPARAM>(&s[0]));
  s.resize(static_cast<std::size_t>(got));
  return s;
}

HWND Control(HWND parent, int id) { return ::GetDlgItem(parent, id); }

void Click(HWND button) { ::PostMessageA(button, BM_CLICK, 0, 0); }

void ClickOnScreen(HWND control) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, input, sizeof(INPUT));
  ::Sleep(300);
}

void ChooseMenu(HWND window, int commandId) {
  ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void CloseFromControl(HWND window) { ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void CloseByTaskManager(HWND window) { ::PostMessageA(window, WM_CLOSE, 0, 0); }

int StatusPanelCount(HWND statusBar) {
  return static_cast<int>(::SendMessageA(statusBar, SB_GETPARTS, 0, 0));
}

std::string StatusText(HWND statusBar, int panel) {
  LRESULT len = ::SendMessageA(statusBar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(panel - 1), 0);
  std::size_t n = LOWORD(len) + 1;
  RemoteBuffer remote(PidOf(statusBar), n);
  if (!remote.ok()) return "<no remote buffer>";
  ::SendMessageA(statusBar, SB_GETTEXTA, static_cast<WPARAM>(panel - 1),
                 reinterpret_cast<LPARAM>(remote.address()));
  std::string s(n, '\0');
  remote.Read(&s[0], n);
  s.resize(s.find('\0') == std::string::npos ? n : s.find('\0'));
  return s;
}

std::string TooltipText(const Program& program, HWND owner, HWND control) {
  for (HWND tip : program.TopLevelWindows(false)) {
    if (ClassOf(tip) != TOOLTIPS_CLASSA) continue;
    constexpr std::size_t kText = 1024;
    RemoteBuffer remote(program.pid(), sizeof(TOOLINFOA) + kText);
    if (!remote.ok()) continue;
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = reinterpret_cast<char*>(static_cast<char*>(remote.address()) + sizeof(TOOLINFOA));
    char zero[kText] = {};
    remote.Write(&ti, sizeof(ti));
    remote.Write(zero, kText, sizeof(TOOLINFOA));
    // Is there such a tool at all?
    if (!::SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(remote.address())))
      continue;
    remote.Write(&ti, sizeof(ti));
    ::SendMessageA(tip, TTM_GETTEXTA, kText, reinterpret_cast<LPARAM>(remote.address()));
    char text[kText] = {};
    remote.Read(text, kText - 1, sizeof(TOOLINFOA));
    return text;
  }
  return "<no tool>";
}

namespace {
BOOL CALLBACK CollectChildren(HWND h, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

Dialog Describe(HWND dlg) {
  Dialog d;
  d.hwnd = dlg;
  d.title = Text(dlg);
  std::vector<HWND> children;
  ::EnumChildWindows(dlg, CollectChildren, reinterpret_cast<LPARAM>(&children));
  for (HWND c : children) {
    std::string cls = ClassOf(c);
    if (_stricmp(cls.c_str(), "Button") == 0) {
      d.buttons.push_back(Text(c));
    } else if (_stricmp(cls.c_str(), "Static") == 0) {
      // The message of a message box is its static control with id 0xFFFF.
      if ((::GetDlgCtrlID(c) & 0xFFFF) == 0xFFFF && d.text.empty()) d.text = Text(c);
    }
  }
  return d;
}
}  // namespace

std::optional<Dialog> WaitForDialog(const Program& program, DWORD timeoutMs,
                                    const std::vector<HWND>& except) {
  DWORD start = ::GetTickCount();
  do {
    for (HWND h : program.TopLevelWindows(true)) {
      if (ClassOf(h) != "#32770") continue;
      bool skip = false;
      for (HWND e : except) skip = skip || e == h;
      if (!skip) {
        ::Sleep(100);  // let it finish laying out its controls
        return Describe(h);
      }
    }
    if (!program.Running()) return std::nullopt;
    ::Sleep(50);
  } while (::GetTickCount() - start < timeoutMs);
  return std::nullopt;
}

bool NoDialogFor(const Program& program, DWORD ms) {
  return !WaitForDialog(program, ms).has_value();
}

bool PressButton(HWND dialog, const std::string& caption) {
  std::vector<HWND> children;
  ::EnumChildWindows(dialog, CollectChildren, reinterpret_cast<LPARAM>(&children));
  for (HWND c : children) {
    if (_stricmp(ClassOf(c).c_str(), "Button") != 0) continue;
    std::string t = Text(c);
    std::string bare;
    for (char ch : t)
      if (ch != '&') bare += ch;
    if (t == caption || bare == caption) {
      ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(c), BN_CLICKED),
                     reinterpret_cast<LPARAM>(c));
      return true;
    }
  }
  return false;
}

bool WaitForGone(HWND window, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (::IsWindow(window) && ::IsWindowVisible(window)) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(50);
  }
  return true;
}

RECT ChildRect(HWND parent, HWND child) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int ScreenDpi() {
  HDC dc = ::GetDC(nullptr);
  int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(nullptr, dc);
  return dpi;
}

bool SaveScreenshot(HWND window, const std::string& name) {
  const char* dir = std::getenv("LARK_SHOTS");
  if (!dir || !*dir) return false;
  std::string folder = dir;
  if (!folder.empty() && folder[0] == '/') {  // a Unix path: reach it through drive Z:
    folder = "Z:" + folder;
    for (char& c : folder)
      if (c == '/') c = '\\';
  }
  RECT r{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (window) ::GetWindowRect(window, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = ::GetDC(nullptr);
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
  ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  ::SelectObject(mem, old);
  DWORD stride = ((w * 3 + 3) / 4) * 4;
  DWORD imageSize = stride * h;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
  fh.bfSize = fh.bfOffBits + imageSize;
  bool ok = false;
  std::string path = folder + "\\" + name + ".bmp";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    ok = std::fwrite(&fh, sizeof(fh), 1, f) == 1 &&
         std::fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f) == 1 &&
         std::fwrite(bits, imageSize, 1, f) == 1;
    std::fclose(f);
  }
  ::DeleteObject(bmp);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace lark::gui
