// A picture on a window: drawn as is, stretched or centred.
#pragma once

#include "toolkit/Bitmap.h"
#include "toolkit/Control.h"

class TImage : public TControl {
 public:
  TImage(TControl* parent, int left, int top, int width, int height);
  TBitmap& Picture() { return picture_; }
  void SetPicture(const TBitmap& picture);
  void SetStretch(bool stretch);
  void SetTransparent(bool transparent);
  // Paints the picture into another device context (used by owners that draw the image
  // themselves over their own background).
  void PaintTo(HDC dc, int x, int y);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  TBitmap picture_;
  bool stretch_ = false;
  bool transparent_ = false;
};
