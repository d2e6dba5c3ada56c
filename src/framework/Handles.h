// Owned Win32 handles: one move-only scoped-handle template with a traits class per kind.
//   ScopedHandle<Traits>   the template (never copyable; Get() borrows, Release() gives up)
//   GdiObject<T>           HPEN, HBRUSH, HFONT, HBITMAP, HRGN (DeleteObject)
//   WindowDC, PaintDC-free helpers, MemoryDC (GetDC/ReleaseDC, CreateCompatibleDC/DeleteDC)
//   KernelHandle           process, thread, event, file (CloseHandle)
//   MenuHandle, IconHandle, ImageListHandle, RegKeyHandle
//   SelectObjectScope      selects into a DC and restores the previous object
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <utility>

namespace kovra {

template <class Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle h) : handle_(h) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return Traits::IsValid(handle_); }
  Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
  void Reset(Handle h = Traits::Invalid()) {
    if (Traits::IsValid(handle_)) Traits::Close(handle_);
    handle_ = h;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

template <class H>
struct GdiObjectTraits {
  using Handle = H;
  static H Invalid() { return nullptr; }
  static bool IsValid(H h) { return h != nullptr; }
  static void Close(H h) { DeleteObject(h); }
};
template <class H>
using GdiObject = ScopedHandle<GdiObjectTraits<H>>;
using PenHandle = GdiObject<HPEN>;
using BrushHandle = GdiObject<HBRUSH>;
using FontHandle = GdiObject<HFONT>;
using BitmapHandle = GdiObject<HBITMAP>;
using RegionHandle = GdiObject<HRGN>;

struct MemoryDCTraits {
  using Handle = HDC;
  static HDC Invalid() { return nullptr; }
  static bool IsValid(HDC h) { return h != nullptr; }
  static void Close(HDC h) { DeleteDC(h); }
};
using MemoryDC = ScopedHandle<MemoryDCTraits>;

struct KernelHandleTraits {
  using Handle = HANDLE;
  static HANDLE Invalid() { return nullptr; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
using KernelHandle = ScopedHandle<KernelHandleTraits>;

struct MenuTraits {
  using Handle = HMENU;
  static HMENU Invalid() { return nullptr; }
  static bool IsValid(HMENU h) { return h != nullptr; }
  static void Close(HMENU h) { DestroyMenu(h); }
};
using MenuHandle = ScopedHandle<MenuTraits>;

struct IconTraits {
  using Handle = HICON;
  static HICON Invalid() { return nullptr; }
  static bool IsValid(HICON h) { return h != nullptr; }
  static void Close(HICON h) { DestroyIcon(h); }
};
using IconHandle = ScopedHandle<IconTraits>;

struct ImageListTraits {
  using Handle = HIMAGELIST;
  static HIMAGELIST Invalid() { return nullptr; }
  static bool IsValid(HIMAGELIST h) { return h != nullptr; }
  static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using ImageListHandle = ScopedHandle<ImageListTraits>;

struct RegKeyTraits {
  using Handle = HKEY;
  static HKEY Invalid() { return nullptr; }
  static bool IsValid(HKEY h) { return h != nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};
using RegKeyHandle = ScopedHandle<RegKeyTraits>;

struct ThemeTraits {
  using Handle = HTHEME;
  static HTHEME Invalid() { return nullptr; }
  static bool IsValid(HTHEME h) { return h != nullptr; }
  static void Close(HTHEME h) { CloseThemeData(h); }
};
using ThemeHandle = ScopedHandle<ThemeTraits>;

// A window's DC, released with ReleaseDC: of its client area (GetDC), or of its whole area with
// the frame (GetWindowDC).
class WindowDC {
 public:
  enum Area { kClientArea, kWholeWindow };
  explicit WindowDC(HWND wnd, Area area = kClientArea)
      : wnd_(wnd), dc_(area == kWholeWindow ? GetWindowDC(wnd) : GetDC(wnd)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(wnd_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND wnd_;
  HDC dc_;
};

// Selects a GDI object into a DC for the scope, restoring the one it replaced.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~SelectObjectScope() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The DC's whole state (clip, origin, selections) saved for the scope and restored at its end.
class SavedDC {
 public:
  explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedDC() {
    if (saved_) RestoreDC(dc_, saved_);
  }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

 private:
  HDC dc_;
  int saved_;
};

}  // namespace kovra
