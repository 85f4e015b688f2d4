// What both windows take from the window system alike: the screen's resolution, tooltips,
// and the window procedure that hands each message to the view object owning the window.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include "platform/win32/handles.h"
#include "res/resource_ids.h"

namespace lark {

inline int ScreenDpi() {
  WindowDc screen(nullptr);
  int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
  return dpi > 0 ? dpi : 96;
}

// A font of this face and size (in hundredths of a point) for this screen.
inline Font MakeFont(const char* face, int hundredthsOfPoint, bool bold, int dpi) {
  LOGFONTA lf{};
  lf.lfHeight = -static_cast<LONG>((static_cast<long long>(hundredthsOfPoint) * dpi + 3600) / 7200);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  return Font(::CreateFontIndirectA(&lf));
}

// The program's icon in the small size, drawn from its own 16 x 16 image (a shared load
// would shrink the large one). Loaded once; the window classes use it until the program ends.
inline HICON SmallProgramIcon(HINSTANCE instance) {
  static const Icon icon(static_cast<HICON>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(LARK_IDI_MAIN), IMAGE_ICON, 16, 16, 0)));
  return icon.get();
}

// A tooltip for a control, shown whenever the mouse rests on it.
inline void AddTool(HWND tooltip, HWND owner, HWND control, const char* text) {
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = owner;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<char*>(text);
  ::SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

// A row's check box in a list view with check boxes (state image 2 is ticked, 1 clear).
inline bool Ticked(HWND list, int row) {
  const UINT state =
      static_cast<UINT>(::SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}
inline void Tick(HWND list, int row, bool ticked) {
  LVITEMA item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
  ::SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// The class's window procedure: the view passed as the creation parameter receives every
// message through its OnMessage, and learns its window handle before anything else.
template <class View>
LRESULT CALLBACK ViewWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  View* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<View*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<View*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return ::DefWindowProcA(hwnd, msg, wp, lp);
  return self->OnMessage(hwnd, msg, wp, lp);
}

// Registers a view's window class once (a second view of the class finds it there): the
// program's icons, the arrow and the dialog colour behind the controls.
template <class View>
bool RegisterViewClass(HINSTANCE instance, const char* className) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = ViewWindowProc<View>;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(LARK_IDI_MAIN));  // shared: never freed
  wc.hIconSm = SmallProgramIcon(instance);
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className;
  return ::RegisterClassExA(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace lark
