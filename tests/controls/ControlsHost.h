// A visible top-level window for the custom-control tests, and the small message helpers they use
// to act as the user: real button, move and key messages sent to real windows.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "toolkit/Bitmap.h"
#include "toolkit/Form.h"

class TControl;

class TControlsHost : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  TForm& Form() { return *form_; }

  std::unique_ptr<TForm> form_;
};

void PumpMessages();
LPARAM At(int x, int y);
void LeftDown(const TControl& c, int x, int y);
void LeftUp(const TControl& c, int x, int y);
void MoveTo(const TControl& c, int x, int y, WPARAM keys = 0);
void Char(const TControl& c, char ch);

// A 32-bit picture of a control painted through WM_PRINTCLIENT; Pixel reads it back.
class TSnapshot {
 public:
  explicit TSnapshot(const TControl& c, COLORREF prefill = RGB(1, 2, 3));
  ~TSnapshot();
  TSnapshot(const TSnapshot&) = delete;
  TSnapshot& operator=(const TSnapshot&) = delete;
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

// A solid picture whose bottom-left pixel is the transparent key colour.
TBitmap SolidPicture(int width, int height, COLORREF color, COLORREF key = RGB(252, 2, 252));

// Records the heights a window is given (WM_WINDOWPOSCHANGED) while it lives.
class THeightRecorder {
 public:
  explicit THeightRecorder(HWND target);
  ~THeightRecorder();
  THeightRecorder(const THeightRecorder&) = delete;
  THeightRecorder& operator=(const THeightRecorder&) = delete;
  const std::vector<int>& Heights() const;
  void Clear();
};
