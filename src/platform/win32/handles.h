// Owners for kernel handles, fonts, icons, the shell's item lists and device contexts: each
// releases what it holds exactly once.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shtypes.h>

namespace lark {

template <typename Traits>
class UniqueHandle {
 public:
  using T = typename Traits::Type;
  UniqueHandle() = default;
  explicit UniqueHandle(T h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  T get() const { return h_; }
  bool valid() const { return h_ != Traits::Invalid(); }
  T release() {
    T h = h_;
    h_ = Traits::Invalid();
    return h;
  }
  void reset(T h = Traits::Invalid()) {
    if (valid()) Traits::Close(h_);
    h_ = h;
  }

 private:
  T h_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Type = HANDLE;
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandleTraits {
  using Type = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
  using Type = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};
struct FontTraits {
  using Type = HFONT;
  static HFONT Invalid() { return nullptr; }
  static void Close(HFONT h) { ::DeleteObject(h); }
};
// Icons the program made or was handed to keep (not shared resource icons).
struct IconTraits {
  using Type = HICON;
  static HICON Invalid() { return nullptr; }
  static void Close(HICON h) { ::DestroyIcon(h); }
};
// An item list the shell allocated for its caller (the folder browser's answer).
struct PidlTraits {
  using Type = LPITEMIDLIST;
  static LPITEMIDLIST Invalid() { return nullptr; }
  static void Close(LPITEMIDLIST h) { ::CoTaskMemFree(h); }
};

// A reference on a COM object (the Task Scheduler's), released once.
template <class I>
struct ComTraits {
  using Type = I*;
  static I* Invalid() { return nullptr; }
  static void Close(I* p) { p->Release(); }
};

using Handle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using Font = UniqueHandle<FontTraits>;
using Icon = UniqueHandle<IconTraits>;
using Pidl = UniqueHandle<PidlTraits>;
template <class I>
using ComPtr = UniqueHandle<ComTraits<I>>;

// A window's device context (the screen's for a null window), released on leaving scope.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context for one scope; the one it replaced comes back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (old_) ::SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace lark
