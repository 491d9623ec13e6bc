#include "toolkit/Panel.h"

#include "system/Handles.h"

TPanel::TPanel(TControl* parent, const char* className) : TControl(parent) {
  CreateOwnWindow(className, WS_VISIBLE, WS_EX_CONTROLPARENT);
}

TGroupBox::TGroupBox(TControl* parent, const std::string& caption, int left, int top, int width,
                     int height)
    : TControl(parent) {
  CreateStandardWindow(L"BUTTON", WS_VISIBLE | BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
  SetBounds(left, top, width, height);
  SetCaption(caption);
}

LRESULT TGroupBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND) {
    RECT r = ClientRect();
    COLORREF back = GetSysColor(COLOR_BTNFACE);
    for (const TControl* c = this; c; c = c->Parent())
      if (c->ColorSet()) {
        back = c->Color();
        break;
      }
    TGdiObject<HBRUSH> b(CreateSolidBrush(back));
    FillRect(reinterpret_cast<HDC>(wParam), &r, b.get());
    return 1;
  }
  return TControl::WndProc(msg, wParam, lParam);
}
