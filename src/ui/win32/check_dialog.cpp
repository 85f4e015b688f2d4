#include "ui/win32/check_dialog.h"

#include <commctrl.h>

#include "core/texts.h"
#include "res/resource_ids.h"
#include "ui/restore_choices.h"

namespace lark {

namespace {
constexpr int kBarSteps = 1000;
constexpr DWORD kDrawEveryMs = 100;  // texts that change faster only flicker
}  // namespace

CheckDialog::CheckDialog(HWND owner) {
  dlg_ = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LARK_IDD_CHECK), owner,
                              Proc, reinterpret_cast<LPARAM>(this));
  if (!dlg_) return;
  ::SetWindowTextA(dlg_, texts::kCheckCaption);
  ::SetDlgItemTextA(dlg_, LARK_IDC_CHECK_INTRO, texts::kCheckIntro);
  ::SendDlgItemMessageA(dlg_, LARK_IDC_CHECK_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, kBarSteps));
  ::ShowWindow(dlg_, SW_SHOW);
  ::UpdateWindow(dlg_);
}

CheckDialog::~CheckDialog() { Close(); }

void CheckDialog::Close() {
  if (dlg_) ::DestroyWindow(dlg_);
  dlg_ = nullptr;
}

INT_PTR CALLBACK CheckDialog::Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    ::SetWindowLongPtrA(dlg, DWLP_USER, lp);
    return TRUE;
  }
  auto* self = reinterpret_cast<CheckDialog*>(::GetWindowLongPtrA(dlg, DWLP_USER));
  // The close box and Esc come as IDCANCEL too.
  if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL && self) {
    self->cancelled_ = true;
    ::EnableWindow(::GetDlgItem(dlg, IDCANCEL), FALSE);
    return TRUE;
  }
  return FALSE;
}

bool CheckDialog::Show(const CheckProgress& progress) {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The program is asked to end: the check stops, and the message loop gets it back.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      cancelled_ = true;
      break;
    }
    if (dlg_ && ::IsDialogMessageA(dlg_, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  const DWORD now = ::GetTickCount();
  if (dlg_ && (drawn_ == 0 || now - drawn_ >= kDrawEveryMs)) {
    drawn_ = now ? now : 1;
    if (progress.backup != backup_)
      ::SetDlgItemTextA(dlg_, LARK_IDC_CHECK_BACKUP, (backup_ = progress.backup).c_str());
    if (progress.file != file_)
      ::SetDlgItemTextA(dlg_, LARK_IDC_CHECK_FILE, (file_ = progress.file).c_str());
    const int step =
        progress.total ? static_cast<int>(progress.done * kBarSteps / progress.total) : kBarSteps;
    ::SendDlgItemMessageA(dlg_, LARK_IDC_CHECK_BAR, PBM_SETPOS, step, 0);
    ::SetDlgItemTextA(dlg_, LARK_IDC_CHECK_BYTES,
                      texts::CheckBytes(SizeText(progress.done), SizeText(progress.total)).c_str());
  }
  return !cancelled_;
}

}  // namespace lark
