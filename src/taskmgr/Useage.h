// An off-screen 24-bit picture for one scrolling graph, with a grid whose vertical lines move one
// pixel to the left each time it is drawn.
#pragma once

#include <windows.h>

#include <optional>

#include "system/Handles.h"

class TUseage {
 public:
  static constexpr COLORREF kGridColor = RGB(0, 128, 0);
  static constexpr int kGridStep = 12;

  TUseage(int height, int width);
  TUseage(const TUseage&) = delete;
  TUseage& operator=(const TUseage&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int GridCounter() const { return gridCounter_; }

  void ClearToBlack();
  // Horizontal lines every 12 rows, vertical lines every 12 columns shifted left by the grid
  // counter, which then moves on by one.
  void DrawGrid();
  void SetPenColor(COLORREF color);
  // One-pixel line in the pen colour; the end point is not drawn.
  void Line(int x0, int y0, int x1, int y1);

  COLORREF Pixel(int x, int y) const;  // black outside the picture
  // Takes the other picture's pixels and grid counter (same size only; false otherwise).
  bool CopyFrom(const TUseage& other);
  // Paints the picture into a device context at (x, y).
  void DrawTo(HDC dc, int x, int y) const;

 private:
  void SelectPen(COLORREF color);

  int width_, height_, stride_;
  int gridCounter_ = 0;
  TGdiObject<HBITMAP> bitmap_;
  unsigned char* bits_ = nullptr;  // the bitmap's pixels
  TGdiObject<HPEN> pen_;
  TMemoryDC dc_;
  // Declared after what they select, so they put the DC's own objects back before the DC, the
  // pen and the bitmap go.
  std::optional<TSelectGuard> bitmapSelected_;
  std::optional<TSelectGuard> penSelected_;
  BITMAPINFO info_{};
};
