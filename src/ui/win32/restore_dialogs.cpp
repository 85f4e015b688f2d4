#include "ui/win32/restore_dialogs.h"

#include <commctrl.h>

#include <algorithm>

#include "core/texts.h"
#include "res/resource_ids.h"
#include "ui/win32/window_support.h"

namespace lark {

namespace {

struct Column {
  const char* title;
  int percent;  // of the list's width
};

void AddColumns(HWND list, const Column* columns, int count) {
  RECT r;
  ::GetClientRect(list, &r);
  for (int i = 0; i < count; ++i) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = const_cast<char*>(columns[i].title);
    c.cx = r.right * columns[i].percent / 100;
    c.iSubItem = i;
    ::SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c));
  }
}

void AddRow(HWND list, int row, const std::vector<std::string>& cells, int indent) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_INDENT;
  item.iItem = row;
  item.iIndent = indent;
  item.pszText = const_cast<char*>(cells[0].c_str());
  ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  for (std::size_t i = 1; i < cells.size(); ++i) {
    LVITEMA sub{};
    sub.iSubItem = static_cast<int>(i);
    sub.pszText = const_cast<char*>(cells[i].c_str());
    ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
  }
}

void SelectRow(HWND list, int row) {
  LVITEMA state{};
  state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

// ---- the backup chooser ----

struct BackupsState {
  const std::vector<BackupRow>* rows;
  int chosen = -1;
  SIZE smallest{};     // the dialog's size as it opened: it is never made smaller
  int lastColumn = 0;  // what the last column's texts need
};

constexpr int kBackupColumns = 5;

// The chooser's controls laid out over its client area, in dialog units as the resource
// script places them at its own size: the list takes whatever the dialog grows by, and its
// last column whatever room the others leave.
void LayOutBackups(HWND dlg) {
  RECT client;
  ::GetClientRect(dlg, &client);
  RECT u{7, 28, 50, 14};  // margin, list top, button width and height
  ::MapDialogRect(dlg, &u);
  RECT gap{4, 7, 0, 18};  // between the buttons, above them; the introduction's height
  ::MapDialogRect(dlg, &gap);
  const int margin = u.left, width = client.right - 2 * margin;
  const int buttonTop = client.bottom - margin - u.bottom;
  ::SetWindowPos(::GetDlgItem(dlg, LARK_IDC_BK_INTRO), nullptr, margin, margin, width, gap.bottom,
                 SWP_NOZORDER);
  HWND list = ::GetDlgItem(dlg, LARK_IDC_BK_LIST);
  ::SetWindowPos(list, nullptr, margin, u.top, width, buttonTop - gap.top - u.top, SWP_NOZORDER);
  ::SetWindowPos(::GetDlgItem(dlg, IDCANCEL), nullptr, client.right - margin - u.right, buttonTop,
                 u.right, u.bottom, SWP_NOZORDER);
  ::SetWindowPos(::GetDlgItem(dlg, IDOK), nullptr, client.right - margin - 2 * u.right - gap.left,
                 buttonTop, u.right, u.bottom, SWP_NOZORDER);
  RECT inside;
  ::GetClientRect(list, &inside);
  int others = 0;
  for (int i = 0; i + 1 < kBackupColumns; ++i)
    others += static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
  const auto* st = reinterpret_cast<BackupsState*>(::GetWindowLongPtrA(dlg, DWLP_USER));
  const int last = st ? st->lastColumn : 0;
  ::SendMessageA(list, LVM_SETCOLUMNWIDTH, kBackupColumns - 1,
                 std::max(last, static_cast<int>(inside.right) - others));
}

// Each column as wide as its widest text, its title included, and the dialog as wide as the
// columns need (within the screen's work area), so that no line is cut short; centred again.
void FitBackupColumns(HWND dlg, HWND list, const Column* columns, BackupsState* st) {
  const auto fitted = [list](int column) {
    ::SendMessageA(list, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE);
    return static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
  };
  // The title is measured here: the list's own fit of it leaves the header too little room
  // for its margins under Wine, and fills the last column to the edge.
  const auto title = [list](const char* text) {
    return static_cast<int>(
               ::SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text))) +
           ::GetSystemMetrics(SM_CXEDGE) * 8;
  };
  int total = ::GetSystemMetrics(SM_CXVSCROLL), widest = 0;
  int widths[kBackupColumns];
  for (int i = 0; i < kBackupColumns; ++i) {
    widths[i] = std::max(fitted(i), title(columns[i].title));
    total += widths[i];
    if (widths[i] > widths[widest]) widest = i;
  }
  RECT inside, outer, area;
  ::GetClientRect(list, &inside);
  ::GetWindowRect(dlg, &outer);
  if (total > inside.right && ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
    const int width =
        std::min<int>(outer.right - outer.left + total - inside.right, area.right - area.left);
    const int height = outer.bottom - outer.top;
    ::SetWindowPos(dlg, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + std::max<int>(0, (area.bottom - area.top - height) / 2), width,
                   height, SWP_NOZORDER);
    // Wider than the screen: the widest column (many identities) gives up the rest, so that
    // every column stays in sight.
    RECT frame;
    ::GetWindowRect(dlg, &frame);
    const int excess = total - (inside.right + frame.right - frame.left - outer.right + outer.left);
    if (excess > 0)
      widths[widest] = std::max(title(columns[widest].title), widths[widest] - excess);
  }
  for (int i = 0; i < kBackupColumns; ++i) ::SendMessageA(list, LVM_SETCOLUMNWIDTH, i, widths[i]);
  st->lastColumn = widths[kBackupColumns - 1];
  LayOutBackups(dlg);
}

INT_PTR CALLBACK BackupsProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  HWND list = ::GetDlgItem(dlg, LARK_IDC_BK_LIST);
  switch (msg) {
    case WM_INITDIALOG: {
      ::SetWindowLongPtrA(dlg, DWLP_USER, lp);
      auto* st = reinterpret_cast<BackupsState*>(lp);
      ::SetWindowTextA(dlg, texts::kChooserBackupCaption);
      ::SetDlgItemTextA(dlg, LARK_IDC_BK_INTRO, texts::kChooserBackupIntro);
      ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
      const Column columns[kBackupColumns] = {{texts::kColumnMade, 24},
                                              {texts::kColumnIdentities, 22},
                                              {texts::kColumnSize, 12},
                                              {texts::kColumnList, 24},
                                              {texts::kColumnCheck, 17}};
      AddColumns(list, columns, kBackupColumns);
      int i = 0;
      for (const BackupRow& r : *st->rows)
        AddRow(list, i++, {r.made, r.identities, r.size, r.list, r.check}, 0);
      RECT outer;
      ::GetWindowRect(dlg, &outer);
      st->smallest = {outer.right - outer.left, outer.bottom - outer.top};
      FitBackupColumns(dlg, list, columns, st);
      SelectRow(list, 0);
      ::SetFocus(list);
      return FALSE;
    }
    case WM_GETMINMAXINFO: {
      const auto* st = reinterpret_cast<BackupsState*>(::GetWindowLongPtrA(dlg, DWLP_USER));
      if (st && st->smallest.cx > 0)
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {st->smallest.cx, st->smallest.cy};
      return TRUE;
    }
    case WM_SIZE:
      if (::GetWindowLongPtrA(dlg, DWLP_USER)) LayOutBackups(dlg);
      return TRUE;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->idFrom == LARK_IDC_BK_LIST && hdr->code == NM_DBLCLK)
        ::SendMessageA(dlg, WM_COMMAND, IDOK, 0);
      break;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        auto* st = reinterpret_cast<BackupsState*>(::GetWindowLongPtrA(dlg, DWLP_USER));
        st->chosen = static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
        if (st->chosen < 0) return TRUE;  // nothing chosen yet: OK waits for a choice
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

// ---- Restore Selected ----

constexpr UINT_PTR kCheckTimer = 1;

struct SelectedState {
  BackupContents contents;
  std::string made;
  StoreChecks* checks;
  std::vector<SelectionRow> rows;
  bool filled = false;
  std::optional<RestoreChoice> choice;
};

INT_PTR CALLBACK SelectedProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  HWND list = ::GetDlgItem(dlg, LARK_IDC_SEL_LIST);
  auto* st = reinterpret_cast<SelectedState*>(::GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      ::SetWindowLongPtrA(dlg, DWLP_USER, lp);
      st = reinterpret_cast<SelectedState*>(lp);
      ::SetWindowTextA(dlg, texts::kSelectedCaption);
      ::SetDlgItemTextA(dlg, LARK_IDC_SEL_INTRO,
                        texts::SelectedIntro(st->made, st->contents.folder).c_str());
      const DWORD ex = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
      ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
      const Column columns[] = {{texts::kColumnItem, 33},
                                {texts::kColumnSize, 9},
                                {texts::kColumnDate, 15},
                                {texts::kColumnNote, 70}};
      AddColumns(list, columns, 4);
      int i = 0;
      for (const SelectionRow& r : st->rows)
        AddRow(list, i++, {r.item, r.size, r.date, r.note}, r.indent);
      st->filled = true;
      if (!st->rows.empty()) SelectRow(list, 0);
      if (st->checks && !st->checks->Done()) ::SetTimer(dlg, kCheckTimer, 200, nullptr);
      ::SetFocus(list);
      return FALSE;
    }
    case WM_TIMER:
      if (wp == kCheckTimer && st && st->checks) {
        if (st->checks->Update(&st->contents)) {
          // The same lines in the same order: only their notes and whether they take a tick.
          st->rows = SelectionRows(st->contents);
          const int selected =
              static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
          for (std::size_t i = 0; i < st->rows.size(); ++i) {
            LVITEMA sub{};
            sub.iSubItem = 3;
            sub.pszText = const_cast<char*>(st->rows[i].note.c_str());
            ::SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&sub));
          }
          if (selected >= 0 && static_cast<std::size_t>(selected) < st->rows.size())
            ::SetDlgItemTextA(dlg, LARK_IDC_SEL_NOTE, st->rows[selected].note.c_str());
        }
        if (st->checks->Done()) ::KillTimer(dlg, kCheckTimer);
        return TRUE;
      }
      break;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      // The selected line's note in full below the list: a warning must not be cut short.
      if (st && st->filled && hdr->idFrom == LARK_IDC_SEL_LIST && hdr->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
        const int row = change->iItem;
        if ((change->uNewState & LVIS_SELECTED) && row >= 0 &&
            static_cast<std::size_t>(row) < st->rows.size())
          ::SetDlgItemTextA(dlg, LARK_IDC_SEL_NOTE, st->rows[row].note.c_str());
      }
      if (st && st->filled && hdr->idFrom == LARK_IDC_SEL_LIST && hdr->code == LVN_ITEMCHANGING) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
        const bool ticking = (change->uChanged & LVIF_STATE) &&
                             (change->uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
        const int row = change->iItem;
        if (ticking && row >= 0 && static_cast<std::size_t>(row) < st->rows.size() &&
            !st->rows[row].tickable) {
          ::SetWindowLongPtrA(dlg, DWLP_MSGRESULT, TRUE);  // a copy that does not verify
          return TRUE;
        }
      }
      break;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK && st) {
        std::vector<bool> ticked;
        for (std::size_t i = 0; i < st->rows.size(); ++i)
          ticked.push_back(Ticked(list, static_cast<int>(i)));
        st->choice = ChoiceFromTicks(st->contents, st->rows, ticked);
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

int AskBackup(HWND owner, const std::vector<BackupRow>& rows) {
  BackupsState st{&rows};
  const INT_PTR rc =
      ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LARK_IDD_BACKUPS), owner,
                        BackupsProc, reinterpret_cast<LPARAM>(&st));
  return rc == IDOK ? st.chosen : -1;
}

std::optional<RestoreChoice> AskRestoreChoice(HWND owner, const BackupContents& contents,
                                              const std::string& made, StoreChecks* checks) {
  SelectedState st{contents, made, checks, SelectionRows(contents), false, std::nullopt};
  const INT_PTR rc =
      ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LARK_IDD_SELECTED), owner,
                        SelectedProc, reinterpret_cast<LPARAM>(&st));
  if (rc != IDOK) return std::nullopt;
  return st.choice;
}

}  // namespace lark
