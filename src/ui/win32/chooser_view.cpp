#include "ui/win32/chooser_view.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <utility>

#include "core/texts.h"
#include "res/resource_ids.h"
#include "ui/chooser.h"
#include "ui/chooser_layout.h"
#include "ui/handlers.h"
#include "ui/ids.h"
#include "ui/win32/subclass.h"

namespace lark {

namespace {
constexpr char kClassName[] = "LarkmoorFolderChooser";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int kIndentPixels = 10;  // per level of the folder list
constexpr int kDroppedDriveListPixels = 200;
// The texts were laid out for an 8-point sans-serif face; a wider one would cut them off.
constexpr int kFontHundredthsOfPoint = 800;
constexpr UINT_PTR kFolderListSubclass = 1;

Icon FolderIcon(bool open) {
  SHFILEINFOA info{};
  UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0);
  ::SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info), flags);
  return Icon(info.hIcon);
}

std::string WindowText(HWND h) {
  int n = ::GetWindowTextLengthA(h);
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  int got = ::GetWindowTextA(h, &s[0], n + 1);
  s.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return s;
}

LPARAM FolderItemData(const FolderItem& item) {
  return static_cast<LPARAM>(item.level) | (item.open ? 0x10000 : 0);
}
}  // namespace

ChooserView::ChooserView(WindowedApp& app, ChooserWindow& model,
                         std::function<void(std::uintptr_t)> setDialogOwner)
    : app_(app), model_(model), setDialogOwner_(std::move(setDialogOwner)) {}

ChooserView::~ChooserView() {
  // The window goes before the font and icons it still draws with.
  if (hwnd_) ::DestroyWindow(hwnd_);
}

bool ChooserView::Create(HINSTANCE instance) {
  if (!RegisterViewClass<ChooserView>(instance, kClassName)) return false;

  int dpi = ScreenDpi();
  RECT r{0, 0, TwipsToPixels(kChooserClientWidthTwips, dpi),
         TwipsToPixels(kChooserClientHeightTwips, dpi)};
  ::AdjustWindowRectEx(&r, kStyle, FALSE, WS_EX_CONTROLPARENT);
  int w = r.right - r.left, h = r.bottom - r.top;
  RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int x = work.left + ((work.right - work.left) - w) / 2;
  int y = work.top + ((work.bottom - work.top) - h) / 2;
  // Not owned by the main window: while it is hidden the chooser must stand on its own,
  // with its own taskbar button.
  hwnd_ = ::CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, texts::kChooserCaption, kStyle,
                            x > 0 ? x : 0, y > 0 ? y : 0, w, h, nullptr, nullptr, instance, this);
  if (!hwnd_) return false;
  CreateControls();
  return true;
}

void ChooserView::CreateControls() {
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
  int dpi = ScreenDpi();
  font_ = MakeFont("MS Sans Serif", kFontHundredthsOfPoint, false, dpi);
  folderClosed_ = FolderIcon(false);
  folderOpen_ = FolderIcon(true);

  tooltip_ = ::CreateWindowExA(
      WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, inst, nullptr);
  ::SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);

  for (const ChooserControlSpec& c : kChooserControls) {
    const char* cls = "STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    int height = TwipsToPixels(c.height, dpi);
    switch (c.kind) {
      case ChooserControlKind::Label: style |= SS_LEFT | SS_NOPREFIX; break;
      case ChooserControlKind::Button:
        cls = "BUTTON";
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
      case ChooserControlKind::PathBox:
        cls = "EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ChooserControlKind::DriveList:
        cls = "COMBOBOX";
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
        height = kDroppedDriveListPixels;  // the dropped list; the closed box is set below
        break;
      case ChooserControlKind::FolderList:
        cls = "LISTBOX";
        style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                 WS_VSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ChooserControlKind::FileList:
        cls = "LISTBOX";
        style |= LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    }
    HWND h =
        ::CreateWindowExA(exStyle, cls, c.text, style, TwipsToPixels(c.left, dpi),
                          TwipsToPixels(c.top, dpi), TwipsToPixels(c.width, dpi), height, hwnd_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), inst, nullptr);
    ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), 0);
    if (c.kind == ChooserControlKind::DriveList) {
      // Make the closed box exactly as tall as its place: its border stays, its field grows
      // or shrinks by the difference.
      // (Wine reads the field back two pixels taller than it was set: keep our own count.)
      int want = TwipsToPixels(c.height, dpi);
      LRESULT field = ::SendMessageA(h, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
      for (int attempt = 0; attempt < 3; ++attempt) {
        RECT box;
        ::GetWindowRect(h, &box);
        int diff = want - (box.bottom - box.top);
        if (diff == 0) break;
        field += diff;
        ::SendMessageA(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
      }
    }
    if (c.kind == ChooserControlKind::FolderList)
      subclass::Set(h, FolderListProc, kFolderListSubclass, reinterpret_cast<DWORD_PTR>(this));
    if (c.tooltip) AddTool(tooltip_, hwnd_, h, c.tooltip);
  }

  for (ChooserPart part :
       {ChooserPart::Drive1, ChooserPart::Dir1, ChooserPart::File1, ChooserPart::TxtbkPth})
    Refresh(part);
}

void ChooserView::Refresh(ChooserPart part) {
  if (!hwnd_) return;
  switch (part) {
    case ChooserPart::TxtbkPth: {
      HWND box = ::GetDlgItem(hwnd_, ids::kTxtbkPth);
      if (WindowText(box) == model_.txtbkPth()) break;
      settingText_ = true;
      ::SetWindowTextA(box, model_.txtbkPth().c_str());
      settingText_ = false;
      break;
    }
    case ChooserPart::Drive1: {
      HWND list = ::GetDlgItem(hwnd_, ids::kDrive1);
      ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
      int selected = -1;
      for (const std::string& d : model_.Drives()) {
        LRESULT i = ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d.c_str()));
        if (d == model_.Drive1()) selected = static_cast<int>(i);
      }
      ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
      break;
    }
    case ChooserPart::Dir1: {
      HWND list = ::GetDlgItem(hwnd_, ids::kDir1);
      ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
      ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
      for (const FolderItem& item : model_.Dir1Items()) {
        LRESULT i =
            ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.name.c_str()));
        ::SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(i), FolderItemData(item));
      }
      ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(model_.Dir1ListIndex()), 0);
      ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
      ::InvalidateRect(list, nullptr, TRUE);
      break;
    }
    case ChooserPart::File1: {
      HWND list = ::GetDlgItem(hwnd_, ids::kFile1);
      ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
      ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
      int widest = 0;
      {
        WindowDc dc(list);
        SelectedObject font(dc.get(), font_.get());
        for (const std::string& name : model_.File1Items()) {
          ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
          SIZE size{};
          ::GetTextExtentPoint32A(dc.get(), name.c_str(), static_cast<int>(name.size()), &size);
          if (size.cx > widest) widest = size.cx;
        }
      }
      // Long names can be scrolled into view.
      ::SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 6), 0);
      ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
      ::InvalidateRect(list, nullptr, TRUE);
      break;
    }
    case ChooserPart::Visible:
      if (model_.Visible()) {
        ::ShowWindow(hwnd_, SW_SHOW);
        ::SetForegroundWindow(hwnd_);
        ::UpdateWindow(hwnd_);
        ::SetFocus(::GetDlgItem(hwnd_, ids::kTxtbkPth));
        if (setDialogOwner_) setDialogOwner_(Handle());
      } else {
        if (setDialogOwner_) setDialogOwner_(app_.Form1().Handle());
        ::ShowWindow(hwnd_, SW_HIDE);
      }
      break;
  }
}

void ChooserView::Unload() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

void ChooserView::DrawFolderItem(const DRAWITEMSTRUCT& dis) {
  if (dis.itemID == static_cast<UINT>(-1)) return;
  HDC dc = dis.hDC;
  RECT r = dis.rcItem;
  bool selected = (dis.itemState & ODS_SELECTED) != 0;
  ::FillRect(dc, &r, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  int level = static_cast<int>(dis.itemData & 0xFFFF);
  bool open = (dis.itemData & 0x10000) != 0;
  int x = r.left + 2 + level * kIndentPixels;
  int iconTop = r.top + ((r.bottom - r.top) - 16) / 2;
  if (HICON icon = open ? folderOpen_.get() : folderClosed_.get())
    ::DrawIconEx(dc, x, iconTop, icon, 16, 16, 0, nullptr, DI_NORMAL);
  char text[MAX_PATH + 1] = "";
  LRESULT n = ::SendMessageA(dis.hwndItem, LB_GETTEXTLEN, dis.itemID, 0);
  if (n >= 0 && n <= MAX_PATH)
    ::SendMessageA(dis.hwndItem, LB_GETTEXT, dis.itemID, reinterpret_cast<LPARAM>(text));
  RECT t = r;
  t.left = x + 16 + 3;
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  {
    SelectedObject font(dc, font_.get());
    ::DrawTextA(dc, text, -1, &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (dis.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &r);
}

void ChooserView::DriveChosen() {
  HWND list = ::GetDlgItem(hwnd_, ids::kDrive1);
  LRESULT i = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (i < 0 || static_cast<std::size_t>(i) >= model_.Drives().size()) return;
  std::string drive = model_.Drives()[static_cast<std::size_t>(i)];
  if (drive != model_.Drive1()) ChooseDrive(app_, drive);
}

void ChooserView::RequestClose() {
  // The chooser cancels every close request and hides instead: it stays loaded until the
  // program ends, and this window must outlive the call.
  short cancel = 0;
  Form3_QueryUnload(app_, cancel, kUnloadFormControlMenu);
}

void ChooserView::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case ids::kTxtbkPth:
      if (code == EN_CHANGE && !settingText_) model_.TypedTxtbkPth(WindowText(control));
      return;
    case ids::kDrive1:
      if (code == CBN_DROPDOWN) {
        // Drives come and go (memory sticks, network drives): list them afresh.
        model_.RefreshDrives();
      } else if (code == CBN_SELCHANGE) {
        // While the list is open, arrowing through it is not yet a choice.
        if (!::SendMessageA(control, CB_GETDROPPEDSTATE, 0, 0)) DriveChosen();
      } else if (code == CBN_CLOSEUP) {
        DriveChosen();
      } else if (code == CBN_SELENDCANCEL) {
        Refresh(ChooserPart::Drive1);
      }
      return;
    case ids::kDir1:
      if (code == LBN_DBLCLK) {
        LRESULT i = ::SendMessageA(control, LB_GETCURSEL, 0, 0);
        if (i >= 0) OpenFolderListItem(app_, static_cast<std::size_t>(i));
      }
      return;
    case IDCANCEL:  // Esc
      RequestClose();
      return;
    default:
      if (code == BN_CLICKED) DispatchChooserCommand(app_, id);
      return;
  }
}

LRESULT CALLBACK ChooserView::FolderListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                             DWORD_PTR data) {
  auto* self = reinterpret_cast<ChooserView*>(data);
  if (msg == WM_GETDLGCODE && lp) {
    const MSG* m = reinterpret_cast<const MSG*>(lp);
    if (m->message == WM_KEYDOWN && m->wParam == VK_RETURN)
      return subclass::Default(h, msg, wp, lp) | DLGC_WANTMESSAGE;
  }
  if (msg == WM_KEYDOWN && wp == VK_RETURN) {
    // Enter opens the selected folder, as a double-click does.
    self->OnCommand(ids::kDir1, LBN_DBLCLK, h);
    return 0;
  }
  if (msg == WM_NCDESTROY) subclass::Remove(h, FolderListProc, kFolderListSubclass);
  return subclass::Default(h, msg, wp, lp);
}

LRESULT ChooserView::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return 0;
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (mis->CtlID == static_cast<UINT>(ids::kDir1)) {
        TEXTMETRICA tm{};
        {
          WindowDc dc(hwnd);
          SelectedObject font(dc.get(), font_.get());
          ::GetTextMetricsA(dc.get(), &tm);
        }
        mis->itemHeight = static_cast<UINT>(tm.tmHeight > 16 ? tm.tmHeight + 2 : 18);
        return TRUE;
      }
      break;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (dis->CtlID == static_cast<UINT>(ids::kDir1)) {
        DrawFolderItem(*dis);
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_ACTIVATE:
      // Keyboard focus comes back to where it was after a message box or another program.
      if (LOWORD(wp) == WA_INACTIVE) {
        focusBeforeDeactivation_ = ::GetFocus();
      } else if (focusBeforeDeactivation_ && ::IsChild(hwnd, focusBeforeDeactivation_)) {
        ::SetFocus(focusBeforeDeactivation_);
        return 0;
      }
      break;
    case WM_CLOSE: RequestClose(); return 0;
    case WM_DESTROY: hwnd_ = nullptr; return 0;
  }
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace lark
