#include "toolkit/PageControl.h"

#include <commctrl.h>

TTabSheet::TTabSheet(TPageControl* owner, const std::string& caption, bool tabVisible)
    : TControl(owner), owner_(owner), tabVisible_(tabVisible) {
  CreateOwnWindow("TTabSheet", 0, WS_EX_CONTROLPARENT);
  SetCaption(caption);
  owner_->AddPage(this);
}

void TTabSheet::SetTabVisible(bool visible) {
  if (visible == tabVisible_) return;
  tabVisible_ = visible;
  owner_->ShowTab(PageIndex(), visible);
}

int TTabSheet::PageIndex() const {
  for (int i = 0; i < owner_->PageCount(); ++i)
    if (owner_->Page(i) == this) return i;
  return -1;
}

TPageControl::TPageControl(TControl* parent) : TControl(parent) {
  CreateOwnWindow("TPageControl", WS_VISIBLE, WS_EX_CONTROLPARENT);
  tabs_ = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0,
                          0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tabs_, WM_SETFONT, (WPARAM)font_.Handle(), TRUE);
}

TTabSheet* TPageControl::Page(int index) const {
  return index >= 0 && index < (int)pages_.size() ? pages_[index] : nullptr;
}

void TPageControl::AddPage(TTabSheet* page) {
  pages_.push_back(page);
  const RECT r = PageRect();
  SetWindowPos(page->Handle(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOACTIVATE);
  if (page->TabVisible()) ShowTab(PageCount() - 1, true);
  if (active_ < 0) SetActivePageIndex(0);
}

int TPageControl::TabOfPage(int pageIndex) const {
  int tab = 0;
  for (int i = 0; i < (int)pages_.size(); ++i) {
    if (!pages_[i]->TabVisible()) continue;
    if (i == pageIndex) return tab;
    ++tab;
  }
  return -1;
}

HWND TPageControl::TabStrip() const {
  return IsWindowVisible(tabs_) || (GetWindowLongW(tabs_, GWL_STYLE) & WS_VISIBLE) ? tabs_
                                                                                   : nullptr;
}

int TPageControl::VisibleTabsBefore(int pageIndex) const {
  int n = 0;
  for (int i = 0; i < pageIndex && i < (int)pages_.size(); ++i) n += pages_[i]->TabVisible();
  return n;
}

void TPageControl::ShowTab(int pageIndex, bool visible) {
  // One tab at a time: rebuilding the whole strip for every page made building and hiding a
  // dozen pages a noticeable part of the program's start.
  const bool stripWasShown = GetWindowLongW(tabs_, GWL_STYLE) & WS_VISIBLE;
  const int at = VisibleTabsBefore(pageIndex);
  if (visible) {
    std::wstring caption = pages_[pageIndex]->CaptionW();
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tabs_, TCM_INSERTITEMW, at, (LPARAM)&item);
  } else {
    TabCtrl_DeleteItem(tabs_, at);
  }
  const bool stripShown = TabCtrl_GetItemCount(tabs_) > 0;
  if (stripShown != stripWasShown) {
    ShowWindow(tabs_, stripShown ? SW_SHOWNA : SW_HIDE);
    LayoutPages();
  }
  if (active_ >= 0) TabCtrl_SetCurSel(tabs_, TabOfPage(active_));
}

RECT TPageControl::PageRect() const {
  RECT r = ClientRect();
  if (GetWindowLongW(tabs_, GWL_STYLE) & WS_VISIBLE) TabCtrl_AdjustRect(tabs_, FALSE, &r);
  return r;
}

void TPageControl::LayoutPages() {
  if (GetWindowLongW(tabs_, GWL_STYLE) & WS_VISIBLE) {
    const RECT all = ClientRect();
    MoveWindow(tabs_, 0, 0, all.right, all.bottom, TRUE);
    SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  const RECT r = PageRect();
  for (TTabSheet* p : pages_)
    SetWindowPos(p->Handle(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE);
}

void TPageControl::SetActivePage(TTabSheet* page) {
  for (int i = 0; i < (int)pages_.size(); ++i)
    if (pages_[i] == page) SetActivePageIndex(i);
}

void TPageControl::SetActivePageIndex(int index) {
  if (index < 0 || index >= (int)pages_.size()) return;
  active_ = index;
  for (int i = 0; i < (int)pages_.size(); ++i)
    ShowWindow(pages_[i]->Handle(), i == index ? SW_SHOWNA : SW_HIDE);
  int tab = TabOfPage(index);
  if (tab >= 0) TabCtrl_SetCurSel(tabs_, tab);
}

void TPageControl::ClickTab(int pageIndex) {
  if (TabOfPage(pageIndex) < 0) return;
  SetActivePageIndex(pageIndex);
  if (OnChange) OnChange(this);
}

LRESULT TPageControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
      int tab = TabCtrl_GetCurSel(tabs_);
      for (int i = 0; i < (int)pages_.size(); ++i)
        if (TabOfPage(i) == tab) ClickTab(i);
      return 0;
    }
  }
  return TControl::WndProc(msg, wParam, lParam);
}
