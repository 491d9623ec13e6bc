// Owning types for the system's handles: each releases what it holds when it goes, on every way
// out, and can only be moved, so no handle is released twice or left behind. A release written by
// hand elsewhere says why it cannot use one of these.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

// `Traits` gives the handle type, its empty value, which values hold something and how to release.
template <class Traits>
class TOwned {
 public:
  using T = typename Traits::T;
  TOwned() = default;
  explicit TOwned(T h) : h_(h) {}
  ~TOwned() { reset(); }
  TOwned(TOwned&& other) noexcept : h_(other.release()) {}
  TOwned& operator=(TOwned&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  TOwned(const TOwned&) = delete;
  TOwned& operator=(const TOwned&) = delete;

  T get() const { return h_; }
  explicit operator bool() const { return Traits::Holds(h_); }
  // Gives the handle up without releasing it.
  T release() { return std::exchange(h_, Traits::Empty()); }
  void reset(T h = Traits::Empty()) {
    const T old = std::exchange(h_, h);
    if (Traits::Holds(old) && old != h) Traits::Release(old);
  }
  // For a call that hands a new handle back through a pointer: what was held is released first.
  T* out() {
    reset();
    return &h_;
  }

 private:
  T h_ = Traits::Empty();
};

namespace handle_traits {
template <class H, auto Fn>
struct TNullEmpty {
  using T = H;
  static T Empty() { return nullptr; }
  static bool Holds(T h) { return h != nullptr; }
  static void Release(T h) { Fn(h); }
};
// Kernel calls answer failure with null or with INVALID_HANDLE_VALUE, depending on the call.
struct TKernel {
  using T = HANDLE;
  static T Empty() { return nullptr; }
  static bool Holds(T h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Release(T h) { CloseHandle(h); }
};
struct TFind {
  using T = HANDLE;
  static T Empty() { return INVALID_HANDLE_VALUE; }
  static bool Holds(T h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Release(T h) { FindClose(h); }
};
// The system functions are wrapped: the address of an imported function is no constant that a
// template can take.
inline void DeleteGdiObject(HGDIOBJ h) {
  DeleteObject(h);
}
inline void DeleteMemoryDC(HDC dc) {
  DeleteDC(dc);
}
inline void FreeGlobal(HGLOBAL h) {
  GlobalFree(h);
}
inline void CloseKey(HKEY key) {
  RegCloseKey(key);
}
inline void DestroyImageList(HIMAGELIST list) {
  ImageList_Destroy(list);
}
inline void DestroyIconHandle(HICON icon) {
  DestroyIcon(icon);
}
inline void DestroyCursorHandle(HCURSOR cursor) {
  DestroyCursor(cursor);
}
}  // namespace handle_traits

using TKernelHandle = TOwned<handle_traits::TKernel>;
using TFindHandle = TOwned<handle_traits::TFind>;
using TKeyHandle = TOwned<handle_traits::TNullEmpty<HKEY, handle_traits::CloseKey>>;
using TGlobalHandle = TOwned<handle_traits::TNullEmpty<HGLOBAL, handle_traits::FreeGlobal>>;
using TImageListHandle =
    TOwned<handle_traits::TNullEmpty<HIMAGELIST, handle_traits::DestroyImageList>>;
using TIconHandle = TOwned<handle_traits::TNullEmpty<HICON, handle_traits::DestroyIconHandle>>;
using TCursorHandle =
    TOwned<handle_traits::TNullEmpty<HCURSOR, handle_traits::DestroyCursorHandle>>;
using TMemoryDC = TOwned<handle_traits::TNullEmpty<HDC, handle_traits::DeleteMemoryDC>>;
// Bitmaps, brushes, pens, fonts and regions: `TGdiObject<HBITMAP>`.
template <class H>
using TGdiObject = TOwned<handle_traits::TNullEmpty<H, handle_traits::DeleteGdiObject>>;

// A device context borrowed from a window (the whole screen for null), handed back when it goes.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
  ~TWindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back when it goes: a device
// context must not be deleted, nor its object, while a created object is still selected.
class TSelectGuard {
 public:
  TSelectGuard(HDC dc, HGDIOBJ object)
      : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~TSelectGuard() {
    if (old_) SelectObject(dc_, old_);
  }
  TSelectGuard(const TSelectGuard&) = delete;
  TSelectGuard& operator=(const TSelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};
