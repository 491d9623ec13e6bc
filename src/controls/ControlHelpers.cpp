#include "controls/ControlHelpers.h"

#include "toolkit/Control.h"

void PaintParentBackground(const TControl& control, HDC dc) {
  HWND self = control.Handle();
  HWND parent = self ? GetParent(self) : nullptr;
  if (!parent) return;
  POINT origin{0, 0};
  MapWindowPoints(self, parent, &origin, 1);
  RECT area{};
  GetClientRect(parent, &area);
  int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  RestoreDC(dc, saved);
}

bool ProcessPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  TGdiObject<HBRUSH> brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush.get());
}

TMemoryCanvas::TMemoryCanvas(HBITMAP bitmap)
    : dc_(CreateCompatibleDC(nullptr)), picture_(dc_.get(), bitmap) {}

LRESULT DialogCodeForCharsAndEnter(LPARAM lParam) {
  LRESULT code = DLGC_WANTCHARS;
  auto* m = reinterpret_cast<const MSG*>(lParam);
  if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
  return code;
}
