#include "taskmgr/Useage.h"

#include <cstring>

TUseage::TUseage(int height, int width)
    : width_(width > 0 ? width : 1),
      height_(height > 0 ? height : 1),
      stride_((width_ * 3 + 3) & ~3) {
  info_.bmiHeader.biSize = sizeof info_.bmiHeader;
  info_.bmiHeader.biWidth = width_;
  info_.bmiHeader.biHeight = -height_;  // top-down: row 0 is the first scan line
  info_.bmiHeader.biPlanes = 1;
  info_.bmiHeader.biBitCount = 24;
  info_.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(nullptr, &info_, DIB_RGB_COLORS, &bits, nullptr, 0));
  bits_ = bitmap_ ? static_cast<unsigned char*>(bits) : nullptr;
  dc_.reset(CreateCompatibleDC(nullptr));
  if (dc_ && bitmap_) bitmapSelected_.emplace(dc_.get(), bitmap_.get());
  SelectPen(kGridColor);
  ClearToBlack();
}

void TUseage::SelectPen(COLORREF color) {
  TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, color));
  if (!pen || !dc_) return;
  // The first selection remembers the DC's own pen; later ones only swap the pens.
  if (penSelected_)
    SelectObject(dc_.get(), pen.get());
  else
    penSelected_.emplace(dc_.get(), pen.get());
  pen_ = std::move(pen);  // the previous pen is out of the DC now
}

void TUseage::ClearToBlack() {
  GdiFlush();
  if (bits_) std::memset(bits_, 0, static_cast<size_t>(stride_) * height_);
}

void TUseage::DrawGrid() {
  SelectPen(kGridColor);
  for (int y = 0; y < height_; y += kGridStep) Line(0, y, width_, y);
  const int shift = gridCounter_ % kGridStep;
  for (int x = 0; x < width_; x += kGridStep) Line(x - shift, 0, x - shift, height_);
  if (++gridCounter_ >= 1200000) gridCounter_ = 0;
  GdiFlush();  // another thread may read the pixels next
}

void TUseage::SetPenColor(COLORREF color) {
  SelectPen(color);
}

void TUseage::Line(int x0, int y0, int x1, int y1) {
  if (!dc_) return;
  MoveToEx(dc_.get(), x0, y0, nullptr);
  LineTo(dc_.get(), x1, y1);
}

COLORREF TUseage::Pixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return RGB(0, 0, 0);
  GdiFlush();
  const unsigned char* p = bits_ + static_cast<size_t>(y) * stride_ + x * 3;
  return RGB(p[2], p[1], p[0]);
}

bool TUseage::CopyFrom(const TUseage& other) {
  if (other.width_ != width_ || other.height_ != height_ || !bits_ || !other.bits_) return false;
  GdiFlush();
  std::memcpy(bits_, other.bits_, static_cast<size_t>(stride_) * height_);
  gridCounter_ = other.gridCounter_;
  return true;
}

void TUseage::DrawTo(HDC dc, int x, int y) const {
  if (!bits_) return;
  GdiFlush();
  SetDIBitsToDevice(dc, x, y, width_, height_, 0, 0, 0, height_, bits_, &info_, DIB_RGB_COLORS);
}
