#include "ui/win32/main_window_view.h"

#include <commctrl.h>

#include "core/texts.h"
#include "res/resource_ids.h"
#include "ui/handlers.h"
#include "ui/ids.h"
#include "ui/main_window_layout.h"

namespace lark {

namespace {
constexpr char kClassName[] = "LarkmoorMainWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

COLORREF ToColorref(Rgb c) { return RGB(c.r, c.g, c.b); }
}  // namespace

MainWindowView::MainWindowView(WindowedApp& app) : app_(app) {}

MainWindowView::~MainWindowView() {
  // The window goes before the fonts its controls still use.
  if (hwnd_) ::DestroyWindow(hwnd_);
}

bool MainWindowView::Create(HINSTANCE instance) {
  if (!RegisterViewClass<MainWindowView>(instance, kClassName)) return false;

  int dpi = ScreenDpi();
  RECT r{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
  HMENU menu = BuildMenu();
  ::AdjustWindowRectEx(&r, kStyle, TRUE, 0);
  hwnd_ = ::CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, texts::kMainCaption, kStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top,
                            nullptr, menu, instance, this);
  if (!hwnd_) {
    // A window destroys its menu; one that was never made leaves the menu to us.
    ::DestroyMenu(menu);
    return false;
  }
  // A menu bar that wraps to two lines would shrink the client area: size it again.
  RECT client;
  ::GetClientRect(hwnd_, &client);
  int wantH = TwipsToPixels(kClientHeightTwips, dpi);
  if (client.bottom != wantH) {
    RECT w;
    ::GetWindowRect(hwnd_, &w);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, w.right - w.left,
                   (w.bottom - w.top) + (wantH - client.bottom), SWP_NOMOVE | SWP_NOZORDER);
  }
  CreateControls();
  return true;
}

HMENU MainWindowView::BuildMenu() {
  HMENU file = ::CreatePopupMenu();
  ::AppendMenuA(file, MF_STRING, ids::kMnuAddBookFile, texts::kMenuAddBookFile);
  ::AppendMenuA(file, MF_STRING, ids::kMnuCrtbkfldr2, texts::kMenuCrtbkfldr2);
  ::AppendMenuA(file, MF_STRING, ids::kMnuOpnbkfldr, texts::kMenuOpnbkfldr);
  ::AppendMenuA(file, MF_STRING, ids::kMnuBrbkfldr, texts::kMenuBrbkfldr);
  ::AppendMenuA(file, MF_STRING, ids::kMnuResWAB, texts::kMenuResWAB);
  ::AppendMenuA(file, MF_STRING, ids::kMnuResSel, texts::kMenuResSel);
  ::AppendMenuA(file, MF_STRING, ids::kMnuExportMail, texts::kMenuExportMail);
  ::AppendMenuA(file, MF_STRING, ids::kMnuCheckBackups, texts::kMenuCheckBackups);
  ::AppendMenuA(file, MF_STRING, ids::kMnuSchedule, texts::kMenuSchedule);
  ::AppendMenuA(file, MF_STRING, ids::kMnuExit, texts::kMenuExit);
  HMENU help = ::CreatePopupMenu();
  ::AppendMenuA(help, MF_STRING, ids::kMnuNotyet, texts::kMenuNotyet);
  ::AppendMenuA(help, MF_STRING, ids::kMnuURL, texts::MenuUrlCaption().c_str());
  HMENU bar = ::CreateMenu();
  ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), texts::kMenuFile);
  ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), texts::kMenuHelp);
  return bar;
}

void MainWindowView::CreateControls() {
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
  int dpi = ScreenDpi();
  font_ = MakeFont("Arial", kFontTenthsOfPoint * 10, false, dpi);
  bigFont_ = MakeFont("Arial", kBigFontHundredthsOfPoint, true, dpi);

  tooltip_ = ::CreateWindowExA(
      WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, inst, nullptr);
  ::SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);

  for (const ControlSpec& c : kMainControls) {
    const char* cls = "STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    switch (c.kind) {
      case ControlKind::Label:
        style |= SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
        // A long backup folder shows its start and its last folder with "..." between, not
        // a start that looks whole; the tooltip holds it all.
        if (c.id == ids::kLblbkuppth) style |= SS_PATHELLIPSIS;
        break;
      case ControlKind::Button:
        cls = "BUTTON";
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
      case ControlKind::CheckBox:
        cls = "BUTTON";
        style |= BS_AUTOCHECKBOX | WS_TABSTOP;
        break;
    }
    HWND h = ::CreateWindowExA(0, cls, c.text, style, TwipsToPixels(c.left, dpi),
                               TwipsToPixels(c.top, dpi), TwipsToPixels(c.width, dpi),
                               TwipsToPixels(c.height, dpi), hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), inst, nullptr);
    ::SendMessageA(h, WM_SETFONT,
                   reinterpret_cast<WPARAM>(c.bigBoldFont ? bigFont_.get() : font_.get()), 0);
    if (c.tooltip) AddTool(tooltip_, hwnd_, h, c.tooltip);
  }
  // The backup-folder line always has a tool; its text follows the stored folder.
  AddTool(tooltip_, hwnd_, ::GetDlgItem(hwnd_, ids::kLblbkuppth), "");

  statusBar_ =
      ::CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kSb1)), inst, nullptr);
  ::SendMessageA(statusBar_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), 0);
  RECT client;
  ::GetClientRect(hwnd_, &client);
  // Panel 1 carries the longer progress texts; panel 2 the identity count.
  int parts[2] = {client.right * 3 / 5, -1};
  ::SendMessageA(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  ::SendMessageA(statusBar_, WM_SIZE, 0, 0);
  ::SetWindowPos(statusBar_, nullptr, 0, TwipsToPixels(kStatusBarTopTwips, dpi), client.right,
                 TwipsToPixels(kStatusBarHeightTwips, dpi), SWP_NOZORDER);

  for (MainPart part : {MainPart::Label2, MainPart::Lblbkuppth, MainPart::ChkOverwrite,
                        MainPart::Panel1, MainPart::Panel2})
    Refresh(part);
}

void MainWindowView::UpdateTool(HWND control, const std::string& text) {
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.hwnd = hwnd_;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<char*>(text.c_str());
  ::SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

void MainWindowView::Refresh(MainPart part) {
  if (!hwnd_) return;
  MainWindow& m = app_.Form1();
  switch (part) {
    case MainPart::Label2: ::SetDlgItemTextA(hwnd_, ids::kLabel2, m.Label2().text.c_str()); break;
    case MainPart::Lblbkuppth: {
      HWND h = ::GetDlgItem(hwnd_, ids::kLblbkuppth);
      ::SetWindowTextA(h, m.lblbkuppth().text.c_str());
      UpdateTool(h, m.lblbkuppth().tooltip);
      ::InvalidateRect(h, nullptr, TRUE);
      break;
    }
    case MainPart::ChkOverwrite:
      ::SendDlgItemMessageA(hwnd_, ids::kChkOverwrite, BM_SETCHECK,
                            static_cast<WPARAM>(m.chkOverwrite()), 0);
      break;
    case MainPart::Panel1:
    case MainPart::Panel2: {
      int index = part == MainPart::Panel1 ? 0 : 1;
      ::SendMessageA(statusBar_, SB_SETTEXTA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(m.Panel(index + 1).c_str()));
      break;
    }
    case MainPart::Visible:
      if (m.Visible()) {
        ::ShowWindow(hwnd_, SW_SHOW);
        ::UpdateWindow(hwnd_);
        ::SetFocus(::GetDlgItem(hwnd_, ids::kCmdExit));
      } else {
        ::ShowWindow(hwnd_, SW_HIDE);
      }
      break;
  }
}

void MainWindowView::Unload() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

void MainWindowView::RunCommand(const std::function<void()>& command) {
  if (busy_) return;
  // Leaving by any path (a command may end the program itself) opens the window again.
  class Scope {
   public:
    explicit Scope(MainWindowView& view) : view_(view), focus_(::GetFocus()) {
      view_.busy_ = true;
      // Message boxes and dialogs the command shows, owned by this window, leave it as
      // they found it: disabled until the command ends.
      if (view_.hwnd_) ::EnableWindow(view_.hwnd_, FALSE);
    }
    ~Scope() {
      view_.busy_ = false;
      HWND w = view_.hwnd_;
      if (!w) return;
      ::EnableWindow(w, TRUE);
      if (!::IsWindowVisible(w)) return;
      // The window could not take the activation or the focus while it was disabled.
      if (!::GetActiveWindow()) ::SetActiveWindow(w);
      if (::GetActiveWindow() != w) return;
      ::SetFocus(focus_ && ::IsChild(w, focus_) ? focus_ : ::GetDlgItem(w, ids::kCmdExit));
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    MainWindowView& view_;
    HWND focus_;
  } scope(*this);
  RunCommandInOrder(app_, command);
}

LRESULT MainWindowView::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      int id = LOWORD(wp);
      if (busy_) {
        // Nothing starts inside a running command; a box that toggled itself anyway
        // shows the stored option again.
        if (id == ids::kChkOverwrite) Refresh(MainPart::ChkOverwrite);
        return 0;
      }
      if (id == ids::kChkOverwrite) {
        if (HIWORD(wp) == BN_CLICKED) {
          // The box has already toggled itself; the model runs the click handler.
          int state =
              static_cast<int>(::SendMessageA(reinterpret_cast<HWND>(lp), BM_GETCHECK, 0, 0));
          app_.Form1().SetChkOverwrite(state);
        }
        return 0;
      }
      if (lp == 0 || HIWORD(wp) == BN_CLICKED)
        RunCommand([this, id] { DispatchMainCommand(app_, id); });
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lp));
      ::SetBkMode(dc, TRANSPARENT);
      if (id == ids::kLabel2)
        ::SetTextColor(dc, ToColorref(app_.Form1().Label2().colour));
      else if (id == ids::kLblbkuppth)
        ::SetTextColor(dc, ToColorref(app_.Form1().lblbkuppth().colour));
      else
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_CLOSE) {
        if (busy_) return 0;
        closeFromControl_ = true;
      }
      break;
    case WM_CLOSE: {
      // The program never ends in the middle of a command: the close is refused.
      if (busy_) {
        closeFromControl_ = false;
        return 0;
      }
      short cancel = 0;
      short mode = closeFromControl_ ? kUnloadFormControlMenu : kUnloadAppTaskManager;
      closeFromControl_ = false;
      Form_QueryUnload(app_, cancel, mode);
      if (cancel) return 0;
      app_.Form1().Unload();
      return 0;
    }
    case WM_QUERYENDSESSION: return busy_ ? FALSE : TRUE;
    case WM_ENDSESSION:
      if (wp) {
        short cancel = 0;
        Form_QueryUnload(app_, cancel, kUnloadAppWindows);
        app_.Form1().Unload();
      }
      return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      app_.Form1().Unload();
      // However the window went, the program goes with it: nothing may run on unseen.
      ::PostQuitMessage(app_.state.exitCode);
      return 0;
  }
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace lark
