#include "ui/win32/export_dialog.h"

#include <commctrl.h>
#include <shlobj.h>

#include <vector>

#include "core/texts.h"
#include "res/resource_ids.h"
#include "ui/restore_choices.h"
#include "ui/win32/window_support.h"

namespace lark {

namespace {

struct Row {
  std::size_t identity;
  std::string store;  // "" for the identity's own line
};

struct ExportState {
  const BackupContents* contents;
  const ExportRunner* runner;
  std::vector<Row> rows;
  bool filled = false;
  bool following = false;  // an identity's tick is being given to its stores
  bool running = false;
  bool cancel = false;
};

void AddRow(HWND list, int row, const std::string& item, const std::string& size, int indent) {
  LVITEMA it{};
  it.mask = LVIF_TEXT | LVIF_INDENT;
  it.iItem = row;
  it.iIndent = indent;
  it.pszText = const_cast<char*>(item.c_str());
  ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
  LVITEMA sub{};
  sub.iSubItem = 1;
  sub.pszText = const_cast<char*>(size.c_str());
  ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
}

void Fill(HWND dlg, HWND list, ExportState* st) {
  RECT r;
  ::GetClientRect(list, &r);
  const char* titles[] = {texts::kColumnItem, texts::kColumnSize};
  const int widths[] = {r.right * 70 / 100, r.right * 25 / 100};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = const_cast<char*>(titles[i]);
    c.cx = widths[i];
    c.iSubItem = i;
    ::SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c));
  }
  const BackupContents& c = *st->contents;
  for (std::size_t i = 0; i < c.identities.size(); ++i) {
    std::uint64_t total = 0;
    std::vector<const BackupStore*> mail;
    for (const BackupStore& s : c.identities[i].stores)
      if (IsMailStore(s.file)) {
        mail.push_back(&s);
        total += s.size;
      }
    if (mail.empty()) continue;
    AddRow(list, static_cast<int>(st->rows.size()), c.identities[i].name, SizeText(total), 0);
    st->rows.push_back(Row{i, ""});
    for (const BackupStore* s : mail) {
      AddRow(list, static_cast<int>(st->rows.size()), s->file, SizeText(s->size), 1);
      st->rows.push_back(Row{i, s->file});
    }
  }
  for (std::size_t i = 0; i < st->rows.size(); ++i) Tick(list, static_cast<int>(i), true);
  st->filled = true;
  ::CheckRadioButton(dlg, LARK_IDC_EX_EML, LARK_IDC_EX_MBOX, LARK_IDC_EX_EML);
}

// The progress bar and its line, kept up to date while the export runs on this thread: the
// dialog's messages are handled between messages of the store, so Cancel is heard.
class DialogProgress : public ExportProgress {
 public:
  DialogProgress(HWND dlg, ExportState* st) : dlg_(dlg), st_(st) {}
  bool Update(const std::string& store, std::uint64_t messages, std::uint64_t done,
              std::uint64_t total) override {
    const DWORD now = ::GetTickCount();
    if (store != store_ || now - shown_ >= 100 || done >= total) {
      store_ = store;
      shown_ = now;
      const int permille = total ? static_cast<int>(done * 1000 / total) : 0;
      ::SendDlgItemMessageA(dlg_, LARK_IDC_EX_PROGRESS, PBM_SETPOS, permille, 0);
      ::SetDlgItemTextA(
          dlg_, LARK_IDC_EX_STATUS,
          texts::ExportProgressText(store, messages, done >> 20, (total + (1 << 20) - 1) >> 20)
              .c_str());
    }
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        st_->cancel = true;
        break;
      }
      if (!::IsDialogMessageA(dlg_, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
    return !st_->cancel;
  }

 private:
  HWND dlg_;
  ExportState* st_;
  std::string store_;
  DWORD shown_ = 0;
};

void Browse(HWND dlg) {
  BROWSEINFOA bi{};
  bi.hwndOwner = dlg;
  bi.lpszTitle = texts::kExportBrowseTitle;
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST pidl = ::SHBrowseForFolderA(&bi);
  if (!pidl) return;
  char path[MAX_PATH] = "";
  if (::SHGetPathFromIDListA(pidl, path)) ::SetDlgItemTextA(dlg, LARK_IDC_EX_FOLDER, path);
  ::CoTaskMemFree(pidl);
}

void Start(HWND dlg, HWND list, ExportState* st) {
  auto say = [&](const std::string& text) {
    ::MessageBoxA(dlg, text.c_str(), texts::kAppTitle, MB_OK);
  };
  ExportChoice choice;
  for (std::size_t i = 0; i < st->rows.size(); ++i) {
    const Row& r = st->rows[i];
    if (r.store.empty() || !Ticked(list, static_cast<int>(i))) continue;
    const std::string& key = st->contents->identities[r.identity].key;
    if (choice.identities.empty() || choice.identities.back().key != key)
      choice.identities.push_back(ExportChoice::Identity{key, {}});
    choice.identities.back().stores.push_back(r.store);
  }
  if (choice.Empty()) return say(texts::kExportNothingTicked);
  char text[1024] = "";
  ::GetDlgItemTextA(dlg, LARK_IDC_EX_FOLDER, text, sizeof text);
  std::string target = text;
  while (!target.empty() && (target.back() == ' ' || target.back() == '\\')) target.pop_back();
  if (target.empty()) return say(texts::kExportChooseFolder);
  const std::string problem = st->runner->check(target);
  if (!problem.empty()) return say(problem);
  const ExportFormat format = ::IsDlgButtonChecked(dlg, LARK_IDC_EX_MBOX) == BST_CHECKED
                                  ? ExportFormat::Mbox
                                  : ExportFormat::Eml;
  for (int id : {LARK_IDC_EX_LIST, LARK_IDC_EX_FOLDER, LARK_IDC_EX_BROWSE, LARK_IDC_EX_EML,
                 LARK_IDC_EX_MBOX, IDOK})
    ::EnableWindow(::GetDlgItem(dlg, id), FALSE);
  ::SetFocus(::GetDlgItem(dlg, IDCANCEL));
  ::SendDlgItemMessageA(dlg, LARK_IDC_EX_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
  st->running = true;
  DialogProgress progress(dlg, st);
  st->runner->run(choice, target, format, &progress);
  st->running = false;
  ::EndDialog(dlg, IDOK);
}

INT_PTR CALLBACK ExportProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  HWND list = ::GetDlgItem(dlg, LARK_IDC_EX_LIST);
  auto* st = reinterpret_cast<ExportState*>(::GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      ::SetWindowLongPtrA(dlg, DWLP_USER, lp);
      st = reinterpret_cast<ExportState*>(lp);
      ::SetWindowTextA(dlg, texts::kExportCaption);
      ::SetDlgItemTextA(dlg, LARK_IDC_EX_INTRO, texts::kExportIntro);
      ::SetDlgItemTextA(dlg, LARK_IDC_EX_LABELS, texts::kExportFolderLabel);
      ::SetDlgItemTextA(dlg, LARK_IDC_EX_BROWSE, texts::kExportBrowse);
      ::SetDlgItemTextA(dlg, LARK_IDC_EX_EML, texts::kExportEml);
      ::SetDlgItemTextA(dlg, LARK_IDC_EX_MBOX, texts::kExportMbox);
      ::SetDlgItemTextA(dlg, IDOK, texts::kExportButton);
      const DWORD ex = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
      ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
      Fill(dlg, list, st);
      ::SetFocus(list);
      return FALSE;
    }
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (st && st->filled && !st->following && hdr->idFrom == LARK_IDC_EX_LIST &&
          hdr->code == LVN_ITEMCHANGED) {
        // An identity's tick goes to each of its stores.
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
        const int row = change->iItem;
        if ((change->uChanged & LVIF_STATE) &&
            ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) && row >= 0 &&
            static_cast<std::size_t>(row) < st->rows.size() && st->rows[row].store.empty()) {
          st->following = true;
          const bool on = Ticked(list, row);
          for (std::size_t i = row + 1; i < st->rows.size() && !st->rows[i].store.empty(); ++i)
            Tick(list, static_cast<int>(i), on);
          st->following = false;
        }
      }
      break;
    }
    case WM_COMMAND:
      if (!st) break;
      if (LOWORD(wp) == LARK_IDC_EX_BROWSE && !st->running) {
        Browse(dlg);
        return TRUE;
      }
      if (LOWORD(wp) == IDOK && !st->running) {
        Start(dlg, list, st);
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        // While it runs, Cancel stops the export after the message being written.
        if (st->running)
          st->cancel = true;
        else
          ::EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

void AskExport(HWND owner, const BackupContents& contents, const std::string& made,
               const ExportRunner& runner) {
  (void)made;
  ExportState st{&contents, &runner, {}};
  ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LARK_IDD_EXPORT), owner,
                    ExportProc, reinterpret_cast<LPARAM>(&st));
}

}  // namespace lark
