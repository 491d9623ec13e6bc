#include "toolkit/Bitmap.h"

#include <utility>

#include "system/DllFunction.h"

TBitmap::TBitmap(int width, int height) {
  SetSize(width, height);
}

TBitmap::TBitmap(const TBitmap& other) {
  *this = other;
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
  if (this == &other) return *this;
  Clear();
  if (other.Empty()) return *this;
  SetSize(other.width_, other.height_);
  TWindowDC screen;
  TMemoryDC dc(CreateCompatibleDC(screen.get()));
  TSelectGuard picture(dc.get(), handle_.get());
  other.Draw(dc.get(), 0, 0);
  return *this;
}

TBitmap::~TBitmap() {
  Clear();
}

void TBitmap::Clear() {
  handle_.reset();
  width_ = height_ = 0;
}

void TBitmap::Attach(HBITMAP bitmap) {
  Clear();
  if (!bitmap) return;
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  handle_.reset(bitmap);
  width_ = bm.bmWidth;
  height_ = bm.bmHeight;
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_ && handle_) return;
  TWindowDC screen;
  TGdiObject<HBITMAP> fresh(
      CreateCompatibleBitmap(screen.get(), width > 0 ? width : 1, height > 0 ? height : 1));
  if (handle_) {
    TMemoryDC src(CreateCompatibleDC(screen.get())), dst(CreateCompatibleDC(screen.get()));
    TSelectGuard from(src.get(), handle_.get()), to(dst.get(), fresh.get());
    BitBlt(dst.get(), 0, 0, width, height, src.get(), 0, 0, SRCCOPY);
  }
  handle_ = std::move(fresh);
  width_ = width;
  height_ = height;
}

bool TBitmap::LoadResource(const char* name) {
  HBITMAP b =
      (HBITMAP)LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  if (!b) return false;
  Attach(b);
  return true;
}

bool TBitmap::LoadJpegResource(const char* name) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC res = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!res) return false;
  HGLOBAL mem = ::LoadResource(module, res);
  auto* data = static_cast<const unsigned char*>(LockResource(mem));
  DWORD size = SizeofResource(module, res);
  HBITMAP b = data ? DecodeJpeg(data, size) : nullptr;
  if (!b) return false;
  Attach(b);
  return true;
}

COLORREF TBitmap::Pixel(int x, int y) const {
  if (Empty()) return 0;
  TMemoryDC dc(CreateCompatibleDC(nullptr));
  TSelectGuard picture(dc.get(), handle_.get());
  return GetPixel(dc.get(), x, y);
}

COLORREF TBitmap::CornerColor() const {
  return Pixel(0, height_ - 1);
}

void TBitmap::Draw(HDC dc, int x, int y) const {
  if (Empty()) return;
  TMemoryDC src(CreateCompatibleDC(dc));
  TSelectGuard picture(src.get(), handle_.get());
  BitBlt(dc, x, y, width_, height_, src.get(), 0, 0, SRCCOPY);
}

void TBitmap::StretchDraw(HDC dc, const RECT& t) const {
  if (Empty()) return;
  TMemoryDC src(CreateCompatibleDC(dc));
  TSelectGuard picture(src.get(), handle_.get());
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, t.left, t.top, t.right - t.left, t.bottom - t.top, src.get(), 0, 0, width_,
             height_, SRCCOPY);
}

void TBitmap::DrawTransparent(HDC dc, int x, int y) const {
  RECT r{x, y, x + width_, y + height_};
  StretchDrawTransparent(dc, r);
}

void TBitmap::StretchDrawTransparent(HDC dc, const RECT& t) const {
  if (Empty()) return;
  TMemoryDC src(CreateCompatibleDC(dc));
  TSelectGuard picture(src.get(), handle_.get());
  COLORREF key = GetPixel(src.get(), 0, height_ - 1);
  // msimg32 is loaded at the first transparent drawing, after the window is on screen.
  if (auto blt = DllFunction<decltype(::TransparentBlt)>("msimg32.dll", "TransparentBlt"))
    blt(dc, t.left, t.top, t.right - t.left, t.bottom - t.top, src.get(), 0, 0, width_, height_,
        key);
}
