#include "toolkit/Bitmap.h"

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
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, handle_);
  other.Draw(dc, 0, 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return *this;
}

TBitmap::~TBitmap() {
  Clear();
}

void TBitmap::Clear() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
  width_ = height_ = 0;
}

void TBitmap::Attach(HBITMAP bitmap) {
  Clear();
  if (!bitmap) return;
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  handle_ = bitmap;
  width_ = bm.bmWidth;
  height_ = bm.bmHeight;
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_ && handle_) return;
  HDC screen = GetDC(nullptr);
  HBITMAP fresh = CreateCompatibleBitmap(screen, width > 0 ? width : 1, height > 0 ? height : 1);
  if (handle_) {
    HDC src = CreateCompatibleDC(screen), dst = CreateCompatibleDC(screen);
    HGDIOBJ o1 = SelectObject(src, handle_), o2 = SelectObject(dst, fresh);
    BitBlt(dst, 0, 0, width, height, src, 0, 0, SRCCOPY);
    SelectObject(src, o1);
    SelectObject(dst, o2);
    DeleteDC(src);
    DeleteDC(dst);
    DeleteObject(handle_);
  }
  ReleaseDC(nullptr, screen);
  handle_ = fresh;
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
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, handle_);
  COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

COLORREF TBitmap::CornerColor() const {
  return Pixel(0, height_ - 1);
}

void TBitmap::Draw(HDC dc, int x, int y) const {
  if (Empty()) return;
  HDC src = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(src, handle_);
  BitBlt(dc, x, y, width_, height_, src, 0, 0, SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
}

void TBitmap::StretchDraw(HDC dc, const RECT& t) const {
  if (Empty()) return;
  HDC src = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(src, handle_);
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, t.left, t.top, t.right - t.left, t.bottom - t.top, src, 0, 0, width_, height_,
             SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
}

void TBitmap::DrawTransparent(HDC dc, int x, int y) const {
  RECT r{x, y, x + width_, y + height_};
  StretchDrawTransparent(dc, r);
}

void TBitmap::StretchDrawTransparent(HDC dc, const RECT& t) const {
  if (Empty()) return;
  HDC src = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(src, handle_);
  COLORREF key = GetPixel(src, 0, height_ - 1);
  // msimg32 is loaded at the first transparent drawing, after the window is on screen.
  if (auto blt = DllFunction<decltype(::TransparentBlt)>("msimg32.dll", "TransparentBlt"))
    blt(dc, t.left, t.top, t.right - t.left, t.bottom - t.top, src, 0, 0, width_, height_, key);
  SelectObject(src, old);
  DeleteDC(src);
}
