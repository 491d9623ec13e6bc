#include "toolkit/Image.h"

#include "system/Handles.h"

TImage::TImage(TControl* parent, int left, int top, int width, int height) : TControl(parent) {
  CreateOwnWindow("TImage", WS_VISIBLE, 0);
  SetBounds(left, top, width, height);
}

void TImage::SetPicture(const TBitmap& picture) {
  picture_ = picture;
  Invalidate();
}

void TImage::SetStretch(bool stretch) {
  stretch_ = stretch;
  Invalidate();
}

void TImage::SetTransparent(bool transparent) {
  transparent_ = transparent;
  Invalidate();
}

void TImage::PaintTo(HDC dc, int x, int y) {
  RECT r{x, y, x + Width(), y + Height()};
  if (stretch_) {
    transparent_ ? picture_.StretchDrawTransparent(dc, r) : picture_.StretchDraw(dc, r);
  } else {
    transparent_ ? picture_.DrawTransparent(dc, x, y) : picture_.Draw(dc, x, y);
  }
}

LRESULT TImage::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND: {
      if (!transparent_) return TControl::WndProc(msg, wParam, lParam);
      // The container's colour shows through the transparent parts; left unpainted they would
      // keep the previous picture.
      RECT r = ClientRect();
      TGdiObject<HBRUSH> b(CreateSolidBrush(InheritedColor()));
      FillRect(reinterpret_cast<HDC>(wParam), &r, b.get());
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      PaintTo(dc, 0, 0);
      EndPaint(hwnd_, &ps);
      return 0;
    }
  }
  return TControl::WndProc(msg, wParam, lParam);
}
