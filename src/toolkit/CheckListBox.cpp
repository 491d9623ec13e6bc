#include "toolkit/CheckListBox.h"

#include "system/Text.h"

namespace {
const int kBoxSize = 13;
const int kBoxArea = 18;  // the box and its margin, left of the text
}  // namespace

// The LISTBOX itself: it turns clicks on a box and the space bar into a toggle.
class TCheckListBox::TInnerList : public TControl {
 public:
  explicit TInnerList(TCheckListBox* owner) : TControl(owner), owner_(owner) {
    CreateStandardWindow(L"LISTBOX",
                         WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED |
                             LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                         WS_EX_CLIENTEDGE);
  }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
      const LRESULT r = DefaultProc(msg, wParam, lParam);
      const LRESULT hit = SendMessageW(hwnd_, LB_ITEMFROMPOINT, 0, lParam);
      if (HIWORD(hit) == 0 && (short)LOWORD(lParam) < kBoxArea) owner_->Toggle(LOWORD(hit));
      return r;
    }
    if (msg == WM_KEYDOWN && wParam == VK_SPACE) {
      const int index = (int)SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
      if (index >= 0) owner_->Toggle(index);
      return 0;
    }
    return TControl::WndProc(msg, wParam, lParam);
  }

 private:
  TCheckListBox* owner_;
};

TCheckListBox::TCheckListBox(TControl* parent, int left, int top, int width, int height)
    : TControl(parent) {
  CreateOwnWindow("TCheckListBox", WS_VISIBLE, 0);
  list_ = std::make_unique<TInnerList>(this);
  SetBounds(left, top, width, height);
  SetItemHeight(itemHeight_);
  FontChanged();
}

TCheckListBox::~TCheckListBox() = default;

HWND TCheckListBox::ListHandle() const {
  return list_ ? list_->Handle() : nullptr;
}

void TCheckListBox::AddItem(const std::string& text) {
  AddItemW(WideFrom(text));
}

void TCheckListBox::AddItemW(const std::wstring& text) {
  const LRESULT index = SendMessageW(ListHandle(), LB_ADDSTRING, 0, (LPARAM)text.c_str());
  if (index >= 0) SendMessageW(ListHandle(), LB_SETITEMDATA, index, 0);
}

int TCheckListBox::Count() const {
  return (int)SendMessageW(ListHandle(), LB_GETCOUNT, 0, 0);
}

std::string TCheckListBox::Item(int index) const {
  return NarrowFrom(ItemW(index));
}

std::wstring TCheckListBox::ItemW(int index) const {
  const LRESULT len = SendMessageW(ListHandle(), LB_GETTEXTLEN, index, 0);
  if (len == LB_ERR) return L"";
  std::wstring text(len + 1, L'\0');
  const LRESULT got = SendMessageW(ListHandle(), LB_GETTEXT, index, (LPARAM)text.data());
  text.resize(got == LB_ERR ? 0 : got);
  return text;
}

bool TCheckListBox::Checked(int index) const {
  const LRESULT data = SendMessageW(ListHandle(), LB_GETITEMDATA, index, 0);
  return data != LB_ERR && data != 0;
}

void TCheckListBox::SetChecked(int index, bool checked) {
  if (index < 0 || index >= Count()) return;
  SendMessageW(ListHandle(), LB_SETITEMDATA, index, checked ? 1 : 0);
  RECT r;
  if (SendMessageW(ListHandle(), LB_GETITEMRECT, index, (LPARAM)&r) != LB_ERR)
    InvalidateRect(ListHandle(), &r, FALSE);
}

void TCheckListBox::SetItemHeight(int height) {
  itemHeight_ = height;
  SendMessageW(ListHandle(), LB_SETITEMHEIGHT, 0, height);
}

void TCheckListBox::Toggle(int index) {
  if (index < 0 || index >= Count()) return;
  SetChecked(index, !Checked(index));
  if (OnClickCheck) OnClickCheck(this, index);
}

void TCheckListBox::Resized() {
  if (list_) MoveWindow(list_->Handle(), 0, 0, ClientWidth(), ClientHeight(), TRUE);
}

void TCheckListBox::FontChanged() {
  if (list_) list_->SetFont(Font());
}

void TCheckListBox::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == (UINT)-1) return;
  const int index = (int)item.itemID;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  HDC dc = item.hDC;
  RECT text = item.rcItem;
  text.left += kBoxArea;
  FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
  FillRect(dc, &text, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - kBoxSize) / 2;
  RECT box = {item.rcItem.left + 2, top, item.rcItem.left + 2 + kBoxSize, top + kBoxSize};
  DrawFrameControl(dc, &box, DFC_BUTTON,
                   DFCS_BUTTONCHECK | DFCS_FLAT | (Checked(index) ? DFCS_CHECKED : 0));
  const std::wstring caption = ItemW(index);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  text.left += 2;
  DrawTextW(dc, caption.c_str(), (int)caption.size(), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &text);
}

LRESULT TCheckListBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MEASUREITEM) {
    reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = itemHeight_;
    return TRUE;
  }
  if (msg == WM_DRAWITEM) {
    try {
      DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    } catch (...) {
      // A failed paint leaves the item blank; the next paint tries again.
    }
    return TRUE;
  }
  return TControl::WndProc(msg, wParam, lParam);
}
