#include "controls/PaintPanel.h"

#include "system/Handles.h"

TPaintPanel::TPaintPanel(TControl* parent) : TControl(parent) {
  CreateOwnWindow("TPaintPanel", WS_VISIBLE, WS_EX_CONTROLPARENT);
}

void TPaintPanel::PaintStep(HDC dc) {
  int saved = SaveDC(dc);
  // Deleted on the way out, after RestoreDC has taken it out of the DC.
  TGdiObject<HBRUSH> brush(CreateSolidBrush(colorSet_ ? color_ : GetSysColor(COLOR_BTNFACE)));
  SelectObject(dc, font_.Handle());
  SelectObject(dc, brush.get());
  SetTextColor(dc, font_.Color());
  try {
    if (OnPaint) OnPaint(this, dc);
  } catch (...) {
    // The owner's drawing failed; the window goes on painting its other controls.
  }
  RestoreDC(dc, saved);
}

LRESULT TPaintPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      // The system never fills the background: the owner's drawing is the background.
      PaintStep(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      PaintStep(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintStep(reinterpret_cast<HDC>(wParam));
      return 0;
  }
  return TControl::WndProc(msg, wParam, lParam);
}
