// Message boxes, the input box, the file-open dialog, the pointer and the end of the process.
#include <windows.h>
// After windows.h, which it builds on.
#include <commdlg.h>

#include <string>

#include "platform/win32/win32_platform.h"
#include "res/resource_ids.h"

namespace lark {

namespace {

HWND OwnerOrNull(std::uintptr_t owner) {
  HWND h = reinterpret_cast<HWND>(owner);
  return (h && ::IsWindow(h) && ::IsWindowVisible(h)) ? h : nullptr;
}

// The input box (LARK_IDD_INPUT_BOX in the program's resources) hands its answer back here.
struct InputBoxState {
  const std::string* prompt;
  const std::string* title;
  std::string text;
};

INT_PTR CALLBACK InputBoxProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* st = reinterpret_cast<InputBoxState*>(lp);
      ::SetWindowLongPtrA(dlg, DWLP_USER, lp);
      ::SetWindowTextA(dlg, st->title->c_str());
      ::SetDlgItemTextA(dlg, LARK_IDC_INPUT_PROMPT, st->prompt->c_str());
      ::SetFocus(::GetDlgItem(dlg, LARK_IDC_INPUT_TEXT));
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        auto* st = reinterpret_cast<InputBoxState*>(::GetWindowLongPtrA(dlg, DWLP_USER));
        int n = ::GetWindowTextLengthA(::GetDlgItem(dlg, LARK_IDC_INPUT_TEXT));
        std::string s(static_cast<std::size_t>(n) + 1, '\0');
        ::GetDlgItemTextA(dlg, LARK_IDC_INPUT_TEXT, &s[0], n + 1);
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

}  // namespace

void Win32User::MessageBoxA(const std::string& text, const std::string& title) {
  ::MessageBoxA(OwnerOrNull(owner_), text.c_str(), title.c_str(), MB_OK);
}

std::optional<std::string> Win32User::InputBox(const std::string& prompt,
                                               const std::string& title) {
  InputBoxState st{&prompt, &title, {}};
  INT_PTR rc = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LARK_IDD_INPUT_BOX),
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
  // The dialog enables its owner when it closes; a window its command keeps disabled stays so.
  const bool ownerDisabled = ofn.hwndOwner && !::IsWindowEnabled(ofn.hwndOwner);
  const BOOL chosen = ::GetOpenFileNameA(&ofn);
  if (ownerDisabled) ::EnableWindow(ofn.hwndOwner, FALSE);
  if (!chosen) return std::nullopt;
  return std::string(file);
}

void Win32User::SetPointer(Pointer pointer) {
  ::SetCursor(::LoadCursorA(nullptr, pointer == Pointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

bool Win32User::AskRetryCancel(const std::string& text, const std::string& title) {
  return ::MessageBoxA(OwnerOrNull(owner_), text.c_str(), title.c_str(),
                       MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

bool Win32User::AskOkCancel(const std::string& text, const std::string& title) {
  return ::MessageBoxA(OwnerOrNull(owner_), text.c_str(), title.c_str(),
                       MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

bool Win32User::WindowClassExists(const std::string& className) {
  return ::FindWindowA(className.c_str(), nullptr) != nullptr;
}

void Win32User::EndProcess(int exitCode) { ::ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace lark
