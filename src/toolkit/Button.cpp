#include "toolkit/Button.h"

TButton::TButton(TControl* parent, const std::string& caption, int left, int top, int width,
                 int height)
    : TControl(parent) {
  CreateStandardWindow(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0);
  SetBounds(left, top, width, height);
  SetCaption(caption);
}

void TButton::Click() {
  if (Enabled() && OnClick) OnClick(this);
}

void TButton::SetGlyph(HBITMAP bitmap) {
  if (!hwnd_ || !bitmap) return;
  // BM_SETIMAGE without BS_BITMAP keeps the caption beside the picture under common controls 6.
  SendMessageW(hwnd_, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bitmap);
}

bool TButton::HandleCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  if (OnClick) OnClick(this);
  return true;
}

TCheckBox::TCheckBox(TControl* parent, const std::string& caption, int left, int top, int width,
                     int height)
    : TControl(parent) {
  CreateStandardWindow(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0);
  SetBounds(left, top, width, height);
  SetCaption(caption);
}

bool TCheckBox::Checked() const {
  return hwnd_ && SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
  if (!hwnd_ || checked == Checked()) return;
  SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (OnClick) OnClick(this);
}

bool TCheckBox::HandleCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  if (OnClick) OnClick(this);
  return true;
}
