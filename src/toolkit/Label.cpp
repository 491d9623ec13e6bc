#include "toolkit/Label.h"

#include <vector>

#include "system/Handles.h"

TLabel::TLabel(TControl* parent, const std::string& caption, int left, int top, int width,
               int height)
    : TControl(parent) {
  CreateStandardWindow(L"STATIC", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0);
  autoSize_ = width == 0 && height == 0;
  SetBounds(left, top, width, height);
  SetCaption(caption);
}

void TLabel::SetAutoSize(bool on) {
  autoSize_ = on;
  if (on) AdjustSize();
}

void TLabel::SetCaptionW(const std::wstring& text) {
  TControl::SetCaptionW(text);
  AdjustSize();
}

void TLabel::FontChanged() {
  TControl::FontChanged();
  AdjustSize();
}

void TLabel::AdjustSize() {
  if (!autoSize_ || !hwnd_) return;
  const std::wstring text = CaptionW();
  RECT r{0, 0, 0, 0};
  {
    TWindowDC dc(hwnd_);
    TSelectGuard face(dc.get(), font_.Handle());
    DrawTextW(dc.get(), text.empty() ? L" " : text.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX);
  }
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
