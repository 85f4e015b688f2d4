#include "ui/win32/subclass.h"

namespace lark::subclass {

namespace {

using SetFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
using RemoveFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
using DefaultFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

template <typename Fn>
Fn Find(const char* name, WORD ordinal) {
  HMODULE comctl = ::GetModuleHandleA("comctl32.dll");
  if (!comctl) comctl = ::LoadLibraryA("comctl32.dll");
  if (!comctl) return nullptr;
  FARPROC f = ::GetProcAddress(comctl, name);
  if (!f) f = ::GetProcAddress(comctl, MAKEINTRESOURCEA(ordinal));
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(f));
}

}  // namespace

bool Set(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  static const SetFn set = Find<SetFn>("SetWindowSubclass", 410);
  return set && set(window, proc, id, data);
}

bool Remove(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
  static const RemoveFn remove = Find<RemoveFn>("RemoveWindowSubclass", 412);
  return remove && remove(window, proc, id);
}

LRESULT Default(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  // Only a subclassed window gets here, so the function was there to subclass it.
  static const DefaultFn def = Find<DefaultFn>("DefSubclassProc", 413);
  return def ? def(window, msg, wp, lp) : ::DefWindowProcA(window, msg, wp, lp);
}

}  // namespace lark::subclass
