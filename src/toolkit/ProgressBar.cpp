#include "toolkit/ProgressBar.h"

#include <commctrl.h>

TProgressBar::TProgressBar(TControl* parent, int left, int top, int width, int height, bool smooth)
    : TControl(parent) {
  CreateStandardWindow(PROGRESS_CLASSW, WS_VISIBLE | (smooth ? PBS_SMOOTH : 0), 0);
  SetBounds(left, top, width, height);
}

void TProgressBar::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  SendMessageW(hwnd_, PBM_SETRANGE32, min, max);
}

int TProgressBar::Position() const {
  return (int)SendMessageW(hwnd_, PBM_GETPOS, 0, 0);
}

void TProgressBar::SetPosition(int position) {
  SendMessageW(hwnd_, PBM_SETPOS, position, 0);
}
