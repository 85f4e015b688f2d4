// Window subclassing through the common controls, found when the program runs.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace lark::subclass {

// The common controls of Internet Explorer 5 (on Windows 98, ME, NT 4.0 and 2000) export
// these helpers by number only; those of Windows XP and later by name as well. Set returns
// false when the installed common controls have no subclassing at all.
bool Set(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
bool Remove(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT Default(HWND window, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace lark::subclass
