#include "ui/win32/restore_dialogs.h"

#include <commctrl.h>

#include "core/texts.h"
#include "res/resource_ids.h"

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
};

INT_PTR CALLBACK BackupsProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  HWND list = ::GetDlgItem(dlg, LARK_IDC_BK_LIST);
  switch (msg) {
    case WM_INITDIALOG: {
      ::SetWindowLongPtrA(dlg, DWLP_USER, lp);
      const auto* st = reinterpret_cast<BackupsState*>(lp);
      ::SetWindowTextA(dlg, texts::kChooserBackupCaption);
      ::SetDlgItemTextA(dlg, LARK_IDC_BK_INTRO, texts::kChooserBackupIntro);
      ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
      const Column columns[] = {{texts::kColumnMade, 24},
                                {texts::kColumnIdentities, 22},
                                {texts::kColumnSize, 12},
                                {texts::kColumnList, 24},
                                {texts::kColumnCheck, 17}};
      AddColumns(list, columns, 5);
      int i = 0;
      for (const BackupRow& r : *st->rows)
        AddRow(list, i++, {r.made, r.identities, r.size, r.list, r.check}, 0);
      SelectRow(list, 0);
      ::SetFocus(list);
      return FALSE;
    }
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

bool Ticked(HWND list, int row) {
  const UINT state =
      static_cast<UINT>(::SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

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
