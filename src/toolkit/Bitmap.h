// An owned device-dependent picture with the few drawing operations the controls need.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "system/Handles.h"

class TBitmap {
 public:
  TBitmap() = default;
  TBitmap(int width, int height);
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  ~TBitmap();

  bool Empty() const { return !handle_ || width_ == 0 || height_ == 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Handle() const { return handle_.get(); }

  // Takes ownership of `bitmap` (any DDB or DIB section).
  void Attach(HBITMAP bitmap);
  void Clear();
  void SetSize(int width, int height);      // contents are kept where they fit, the rest is black
  bool LoadResource(const char* name);      // a BITMAP resource of the program
  bool LoadJpegResource(const char* name);  // an RCDATA resource holding a JPEG file

  // Colour of the bottom-left pixel: what a designer's "transparent" picture leaves out.
  COLORREF CornerColor() const;
  COLORREF Pixel(int x, int y) const;

  void Draw(HDC dc, int x, int y) const;
  void StretchDraw(HDC dc, const RECT& target) const;
  // Draws leaving out the corner colour.
  void DrawTransparent(HDC dc, int x, int y) const;
  void StretchDrawTransparent(HDC dc, const RECT& target) const;

 private:
  TGdiObject<HBITMAP> handle_;
  int width_ = 0;
  int height_ = 0;
};

// Decodes a baseline or progressive JPEG into a 24-bit DIB section; nullptr when it is not one.
HBITMAP DecodeJpeg(const unsigned char* data, size_t size);
