#include "toolkit/ClickLabel.h"

TClickLabel::TClickLabel(TControl* parent, const std::string& caption, int left, int top)
    : TLabel(parent, caption, left, top) {
  // Without SS_NOTIFY a static control lets clicks fall through to its parent.
  if (hwnd_) SetWindowLongW(hwnd_, GWL_STYLE, GetWindowLongW(hwnd_, GWL_STYLE) | SS_NOTIFY);
}

void TClickLabel::Click() {
  if (Enabled() && OnClick) OnClick(this);
}

bool TClickLabel::HandleCommand(WORD code) {
  if (code != STN_CLICKED) return false;
  if (OnClick) OnClick(this);
  return true;
}

LRESULT TClickLabel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT) {
    HCURSOR hand = LoadCursor(nullptr, IDC_HAND);
    SetCursor(hand ? hand : LoadCursor(nullptr, IDC_ARROW));
    return TRUE;
  }
  return TLabel::WndProc(msg, wParam, lParam);
}
