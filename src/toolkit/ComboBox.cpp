#include "toolkit/ComboBox.h"

TComboBox::TComboBox(TControl* parent, int left, int top, int width, int height)
    : TControl(parent) {
  CreateStandardWindow("COMBOBOX", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0);
  SetBounds(left, top, width, height);
}

void TComboBox::AddItem(const std::string& text) {
  SendMessageA(hwnd_, CB_ADDSTRING, 0, (LPARAM)text.c_str());
}

int TComboBox::Count() const {
  return (int)SendMessageA(hwnd_, CB_GETCOUNT, 0, 0);
}

std::string TComboBox::Item(int index) const {
  const int n = (int)SendMessageA(hwnd_, CB_GETLBTEXTLEN, index, 0);
  if (n < 0) return {};
  std::string s(n + 1, '\0');
  const int got = (int)SendMessageA(hwnd_, CB_GETLBTEXT, index, (LPARAM)s.data());
  s.resize(got < 0 ? 0 : got);
  return s;
}

void TComboBox::Clear() {
  SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0);
}

int TComboBox::ItemIndex() const {
  return (int)SendMessageA(hwnd_, CB_GETCURSEL, 0, 0);
}

void TComboBox::SetItemIndex(int index) {
  SendMessageA(hwnd_, CB_SETCURSEL, index, 0);
}

bool TComboBox::HandleCommand(WORD code) {
  if (code != CBN_SELCHANGE) return false;
  if (OnChange) OnChange(this);
  return true;
}
