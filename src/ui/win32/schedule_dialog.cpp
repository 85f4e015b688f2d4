#include "ui/win32/schedule_dialog.h"

#include <commctrl.h>

#include <string>

#include "core/texts.h"
#include "res/resource_ids.h"
#include "ui/win32/window_support.h"

namespace lark {

namespace {

struct ScheduleState {
  const ScheduleForm* form;
  ScheduleChoice choice;
};

// The list's rows run Monday to Sunday; the scheduler's bits run Sunday to Saturday.
unsigned DayBit(int row) { return row == 6 ? kTaskSunday : kTaskMonday << row; }

ScheduleChoice::Kind KindShown(HWND dlg) {
  if (::IsDlgButtonChecked(dlg, LARK_IDC_SCH_DAILY) == BST_CHECKED)
    return ScheduleChoice::Kind::Daily;
  if (::IsDlgButtonChecked(dlg, LARK_IDC_SCH_WEEKLY) == BST_CHECKED)
    return ScheduleChoice::Kind::Weekly;
  if (::IsDlgButtonChecked(dlg, LARK_IDC_SCH_LOGON) == BST_CHECKED)
    return ScheduleChoice::Kind::AtLogon;
  return ScheduleChoice::Kind::Off;
}

// Only what the chosen kind uses can be changed: a time for daily and weekly runs, the days
// for weekly ones, the check and the password for any schedule.
void EnableForKind(HWND dlg, const ScheduleForm& form) {
  const ScheduleChoice::Kind kind = KindShown(dlg);
  const bool on = form.available && kind != ScheduleChoice::Kind::Off;
  const bool timed = kind == ScheduleChoice::Kind::Daily || kind == ScheduleChoice::Kind::Weekly;
  ::EnableWindow(::GetDlgItem(dlg, LARK_IDC_SCH_TIME), on && timed);
  ::EnableWindow(::GetDlgItem(dlg, LARK_IDC_SCH_DAYS), on && kind == ScheduleChoice::Kind::Weekly);
  ::EnableWindow(::GetDlgItem(dlg, LARK_IDC_SCH_CHECK), on);
  ::EnableWindow(::GetDlgItem(dlg, LARK_IDC_SCH_PASSWORD), on);
}

void Fill(HWND dlg, const ScheduleForm& form) {
  const ScheduleChoice& c = form.choice;
  const int radio = c.kind == ScheduleChoice::Kind::Daily     ? LARK_IDC_SCH_DAILY
                    : c.kind == ScheduleChoice::Kind::Weekly  ? LARK_IDC_SCH_WEEKLY
                    : c.kind == ScheduleChoice::Kind::AtLogon ? LARK_IDC_SCH_LOGON
                                                              : LARK_IDC_SCH_OFF;
  ::CheckRadioButton(dlg, LARK_IDC_SCH_OFF, LARK_IDC_SCH_LOGON, radio);
  ::SetDlgItemTextA(dlg, LARK_IDC_SCH_TIME, c.time.c_str());
  ::SendDlgItemMessageA(dlg, LARK_IDC_SCH_TIME, EM_LIMITTEXT, 5, 0);
  ::CheckDlgButton(dlg, LARK_IDC_SCH_CHECK, c.check ? BST_CHECKED : BST_UNCHECKED);
  ::SetDlgItemTextA(dlg, LARK_IDC_SCH_STATE, form.state.c_str());

  HWND list = ::GetDlgItem(dlg, LARK_IDC_SCH_DAYS);
  ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
  RECT r;
  ::GetClientRect(list, &r);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  // Room for a scroll bar, should a large font need one, without a sideways one too.
  column.cx = r.right - ::GetSystemMetrics(SM_CXVSCROLL);
  ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  for (int row = 0; row < 7; ++row) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(texts::kDayNames[row]);
    ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    Tick(list, row, (c.days & DayBit(row)) != 0);
  }

  // The password box and its label are there only where Windows asks for a password.
  HWND password = ::GetDlgItem(dlg, LARK_IDC_SCH_PASSWORD);
  const int show = form.askPassword ? SW_SHOW : SW_HIDE;
  ::ShowWindow(password, show);
  ::ShowWindow(::GetWindow(password, GW_HWNDPREV), show);
  if (!form.available)
    for (int id :
         {LARK_IDC_SCH_OFF, LARK_IDC_SCH_DAILY, LARK_IDC_SCH_WEEKLY, LARK_IDC_SCH_LOGON, IDOK})
      ::EnableWindow(::GetDlgItem(dlg, id), FALSE);
  EnableForKind(dlg, form);
}

ScheduleChoice Read(HWND dlg) {
  ScheduleChoice c;
  c.kind = KindShown(dlg);
  char text[16] = "";
  ::GetDlgItemTextA(dlg, LARK_IDC_SCH_TIME, text, sizeof text);
  c.time = text;
  HWND list = ::GetDlgItem(dlg, LARK_IDC_SCH_DAYS);
  c.days = 0;
  for (int row = 0; row < 7; ++row)
    if (Ticked(list, row)) c.days |= DayBit(row);
  c.check = ::IsDlgButtonChecked(dlg, LARK_IDC_SCH_CHECK) == BST_CHECKED;
  HWND password = ::GetDlgItem(dlg, LARK_IDC_SCH_PASSWORD);
  if (::IsWindowVisible(password)) {
    char secret[256] = "";
    ::GetWindowTextA(password, secret, sizeof secret);
    c.password = secret;
    ::SecureZeroMemory(secret, sizeof secret);
  }
  return c;
}

INT_PTR CALLBACK ScheduleProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* st = reinterpret_cast<ScheduleState*>(::GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      ::SetWindowLongPtrA(dlg, DWLP_USER, lp);
      Fill(dlg, *reinterpret_cast<ScheduleState*>(lp)->form);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case LARK_IDC_SCH_OFF:
        case LARK_IDC_SCH_DAILY:
        case LARK_IDC_SCH_WEEKLY:
        case LARK_IDC_SCH_LOGON:
          if (st) EnableForKind(dlg, *st->form);
          return TRUE;
        case IDOK:
          if (!st || !st->form->available) return TRUE;
          st->choice = Read(dlg);
          ::EndDialog(dlg, IDOK);
          return TRUE;
        case IDCANCEL: ::EndDialog(dlg, IDCANCEL); return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

std::optional<ScheduleChoice> AskSchedule(HWND owner, const ScheduleForm& form) {
  ScheduleState st{&form, ScheduleChoice()};
  const INT_PTR rc =
      ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LARK_IDD_SCHEDULE), owner,
                        ScheduleProc, reinterpret_cast<LPARAM>(&st));
  if (rc != IDOK) return std::nullopt;
  return st.choice;
}

}  // namespace lark
