// What both windows take from the window system alike: the screen's resolution, tooltips,
// and the window procedure that hands each message to the view object owning the window.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace lark {

inline int ScreenDpi() {
  HDC dc = ::GetDC(nullptr);
  int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
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

}  // namespace lark
