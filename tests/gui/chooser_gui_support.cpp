#include "chooser_gui_support.h"

#include <commctrl.h>
#include <shlobj.h>

#include "gui_support.h"

namespace lark::gui {

namespace {

// Memory inside the program under test, for messages that carry pointers.
class Remote {
 public:
  Remote(DWORD pid, std::size_t size) {
    process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_)
      address_ =
          ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~Remote() {
    if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) ::CloseHandle(process_);
  }
  Remote(const Remote&) = delete;
  Remote& operator=(const Remote&) = delete;
  bool ok() const { return address_ != nullptr; }
  char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(const void* data, std::size_t n, std::size_t offset = 0) {
    SIZE_T done = 0;
    return ::WriteProcessMemory(process_, at(offset), data, n, &done) && done == n;
  }
  bool Read(void* data, std::size_t n, std::size_t offset = 0) const {
    SIZE_T done = 0;
    return ::ReadProcessMemory(process_, at(offset), data, n, &done) && done == n;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

BOOL CALLBACK Collect(HWND h, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> all;
  ::EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&all));
  return all;
}

std::string TreeCaretText(DWORD pid, HWND tree) {
  auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return "";
  constexpr std::size_t kText = 520;
  Remote remote(pid, sizeof(TVITEMA) + kText);
  if (!remote.ok()) return "";
  TVITEMA tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = remote.at(sizeof(TVITEMA));
  tv.cchTextMax = kText;
  remote.Write(&tv, sizeof(tv));
  if (!::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.at(0)))) return "";
  char text[kText] = {};
  remote.Read(text, kText - 1, sizeof(TVITEMA));
  return text;
}

}  // namespace

std::vector<std::string> ListItems(HWND list) {
  // Asked across processes, Wine answers LB_GETTEXT in UTF-16 whichever form was sent: ask
  // for that form, into a buffer with room to spare.
  std::vector<std::string> items;
  LRESULT n = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    LRESULT len = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring w(static_cast<std::size_t>(len > 0 ? len : 0) * 2 + 16, L'\0');
    ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&w[0]));
    w.resize(w.find(L'\0'));
    char text[1024] = "";
    ::WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, text, sizeof(text), nullptr, nullptr);
    items.push_back(text);
  }
  return items;
}

int ListSelection(HWND list) { return static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)); }

void DoubleClickListItem(HWND list, int index) {
  int top = static_cast<int>(::SendMessageA(list, LB_GETTOPINDEX, 0, 0));
  int height = static_cast<int>(::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  LPARAM at = MAKELPARAM(8, (index - top) * height + height / 2);
  ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageA(list, WM_LBUTTONUP, 0, at);
  ::PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  ::PostMessageA(list, WM_LBUTTONUP, 0, at);
}

std::string LongTooltipText(const Program& program, HWND owner, HWND control) {
  for (HWND tip : program.TopLevelWindows(false)) {
    char cls[64] = "";
    ::GetClassNameA(tip, cls, sizeof(cls));
    if (_stricmp(cls, TOOLTIPS_CLASSA) != 0) continue;
    constexpr std::size_t kChars = 1024;
    Remote remote(program.pid(), sizeof(TTTOOLINFOW) + kChars * sizeof(wchar_t));
    if (!remote.ok()) continue;
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V1_SIZE;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = reinterpret_cast<wchar_t*>(remote.at(sizeof(TTTOOLINFOW)));
    std::vector<wchar_t> text(kChars, L'\0');
    remote.Write(&ti, sizeof(ti));
    remote.Write(text.data(), kChars * sizeof(wchar_t), sizeof(TTTOOLINFOW));
    if (!::SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(remote.at(0)))) continue;
    remote.Write(&ti, sizeof(ti));
    ::SendMessageW(tip, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(remote.at(0)));
    remote.Read(text.data(), (kChars - 1) * sizeof(wchar_t), sizeof(TTTOOLINFOW));
    char out[kChars * 2] = "";
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), -1, out, sizeof(out), nullptr, nullptr);
    return out;
  }
  return "<no tool>";
}

void TypeInto(HWND edit, const std::string& text) {
  // WM_SETTEXT reaches the control like typing does: it reports EN_CHANGE to its parent.
  ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND FindChildWithText(HWND dialog, const std::string& text) {
  for (HWND h : Children(dialog))
    if (Text(h) == text) return h;
  return nullptr;
}

HWND FindChildOfClass(HWND dialog, const std::string& className) {
  for (HWND h : Children(dialog)) {
    char cls[256] = "";
    ::GetClassNameA(h, cls, sizeof(cls));
    if (_stricmp(cls, className.c_str()) == 0) return h;
  }
  return nullptr;
}

bool SelectInFolderBrowser(const Program& program, HWND browser, const std::string& path,
                           DWORD timeoutMs) {
  std::string leaf = path.substr(path.find_last_of('\\') + 1);
  Remote remote(program.pid(), path.size() + 1);
  if (!remote.ok() || !remote.Write(path.c_str(), path.size() + 1)) return false;
  DWORD start = ::GetTickCount();
  do {
    HWND tree = FindChildOfClass(browser, WC_TREEVIEWA);
    if (tree) {
      ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote.at(0)));
      ::Sleep(150);
      if (_stricmp(TreeCaretText(program.pid(), tree).c_str(), leaf.c_str()) == 0) return true;
    }
    ::Sleep(100);
  } while (::GetTickCount() - start < timeoutMs);
  return false;
}

void WriteSetting(const std::string& text, DWORD type) {
  HKEY k;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TarnKeep", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &k, nullptr) != ERROR_SUCCESS)
    return;
  ::RegSetValueExA(k, "TarnKeep", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  ::RegCloseKey(k);
}

void DeleteSetting() {
  HKEY k;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TarnKeep", 0, KEY_ALL_ACCESS, &k) !=
      ERROR_SUCCESS)
    return;
  ::RegDeleteValueA(k, "TarnKeep");
  ::RegCloseKey(k);
}

DWORD SettingType() {
  HKEY k;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TarnKeep", 0, KEY_READ, &k) != ERROR_SUCCESS)
    return REG_NONE;
  DWORD type = REG_NONE;
  if (::RegQueryValueExA(k, "TarnKeep", nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
    type = REG_NONE;
  ::RegCloseKey(k);
  return type;
}

bool WaitForSetting(const std::string& text, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (ReadText("Software\\TarnKeep", "TarnKeep") != text) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(50);
  }
  return true;
}

bool WaitForText(HWND window, const std::string& text, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (Text(window) != text) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(50);
  }
  return true;
}

}  // namespace lark::gui
