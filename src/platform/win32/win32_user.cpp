// Message boxes, the input box, the file-open dialog, the pointer and the end of the process.
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace lark {

namespace {

HWND OwnerOrNull(std::uintptr_t owner) {
  HWND h = reinterpret_cast<HWND>(owner);
  return (h && ::IsWindow(h) && ::IsWindowVisible(h)) ? h : nullptr;
}

// The input box is built from an in-memory dialog template, so it needs no resource.
struct InputBoxState {
  const std::string* prompt;
  std::string text;
};

constexpr int kIdPrompt = 100;
constexpr int kIdEdit = 101;

INT_PTR CALLBACK InputBoxProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* st = reinterpret_cast<InputBoxState*>(lp);
      ::SetWindowLongPtrA(dlg, DWLP_USER, lp);
      ::SetDlgItemTextA(dlg, kIdPrompt, st->prompt->c_str());
      ::SetFocus(::GetDlgItem(dlg, kIdEdit));
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        auto* st = reinterpret_cast<InputBoxState*>(::GetWindowLongPtrA(dlg, DWLP_USER));
        int n = ::GetWindowTextLengthA(::GetDlgItem(dlg, kIdEdit));
        std::string s(static_cast<std::size_t>(n) + 1, '\0');
        ::GetDlgItemTextA(dlg, kIdEdit, &s[0], n + 1);
        s.resize(static_cast<std::size_t>(n));
        st->text = s;
        ::EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        ::EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

class TemplateWriter {
 public:
  void Align4() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  void Word(WORD w) {
    bytes_.push_back(static_cast<BYTE>(w & 0xFF));
    bytes_.push_back(static_cast<BYTE>(w >> 8));
  }
  void Dword(DWORD d) {
    Word(static_cast<WORD>(d & 0xFFFF));
    Word(static_cast<WORD>(d >> 16));
  }
  void Text(const char* s) {
    while (*s) Word(static_cast<BYTE>(*s++));
    Word(0);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls,
            const char* text) {
    Align4();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF);
    Word(cls);
    Text(text);
    Word(0);
  }
  std::vector<BYTE>& bytes() { return bytes_; }

 private:
  std::vector<BYTE> bytes_;
};

}  // namespace

void Win32User::MessageBoxA(const std::string& text, const std::string& title) {
  ::MessageBoxA(OwnerOrNull(owner_), text.c_str(), title.c_str(), MB_OK);
}

std::optional<std::string> Win32User::InputBox(const std::string& prompt,
                                               const std::string& title) {
  TemplateWriter t;
  // DLGTEMPLATE
  t.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  t.Dword(0);
  t.Word(4);  // controls
  t.Word(0);
  t.Word(0);
  t.Word(240);
  t.Word(84);
  t.Word(0);  // no menu
  t.Word(0);  // default class
  t.Text(title.c_str());
  t.Word(8);
  t.Text("MS Shell Dlg");
  t.Item(SS_LEFT, 7, 7, 170, 40, kIdPrompt, 0x0082, "");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 184, 7, 50, 14, IDOK, 0x0080, "OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 184, 25, 50, 14, IDCANCEL, 0x0080, "Cancel");
  t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 62, 226, 14, kIdEdit, 0x0081, "");
  t.Align4();
  InputBoxState st{&prompt, {}};
  INT_PTR rc = ::DialogBoxIndirectParamA(
      ::GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.bytes().data()),
      OwnerOrNull(owner_), InputBoxProc, reinterpret_cast<LPARAM>(&st));
  if (rc != IDOK) return std::nullopt;
  return st.text;
}

std::optional<std::string> Win32User::OpenFileDialog(const OpenFileRequest& request) {
  // The filter arrives as "Description|pattern" pairs; the dialog wants NUL separators.
  std::string filter = request.filter;
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.append(2, '\0');
  char file[MAX_PATH] = "";
  lstrcpynA(file, request.fileName.c_str(), MAX_PATH);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = OwnerOrNull(owner_);
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = request.initialDir.empty() ? nullptr : request.initialDir.c_str();
  ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  ofn.Flags = request.flags;
  if (!::GetOpenFileNameA(&ofn)) return std::nullopt;
  return std::string(file);
}

void Win32User::SetPointer(Pointer pointer) {
  ::SetCursor(::LoadCursorA(nullptr, pointer == Pointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

void Win32User::EndProcess(int exitCode) { ::ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace lark
