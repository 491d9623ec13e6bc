#include "toolkit/ComboBox.h"

#include "system/Text.h"

TComboBox::TComboBox(TControl* parent, int left, int top, int width, int height)
    : TControl(parent) {
  CreateStandardWindow(L"COMBOBOX", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0);
  SetBounds(left, top, width, height);
}

void TComboBox::AddItem(const std::string& text) {
  AddItemW(WideFrom(text));
}

void TComboBox::AddItemW(const std::wstring& text) {
  SendMessageW(hwnd_, CB_ADDSTRING, 0, (LPARAM)text.c_str());
}

int TComboBox::Count() const {
  return (int)SendMessageW(hwnd_, CB_GETCOUNT, 0, 0);
}

std::string TComboBox::Item(int index) const {
  return NarrowFrom(ItemW(index));
}

std::wstring TComboBox::ItemW(int index) const {
  const int n = (int)SendMessageW(hwnd_, CB_GETLBTEXTLEN, index, 0);
  if (n < 0) return {};
  std::wstring s(n + 1, L'\0');
  const int got = (int)SendMessageW(hwnd_, CB_GETLBTEXT, index, (LPARAM)s.data());
  s.resize(got < 0 ? 0 : got);
  return s;
}

void TComboBox::Clear() {
  SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
}

int TComboBox::ItemIndex() const {
  return (int)SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
}

void TComboBox::SetItemIndex(int index) {
  SendMessageW(hwnd_, CB_SETCURSEL, index, 0);
}

bool TComboBox::HandleCommand(WORD code) {
  if (code != CBN_SELCHANGE) return false;
  if (OnChange) OnChange(this);
  return true;
}
