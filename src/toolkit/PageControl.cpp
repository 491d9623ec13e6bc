#include "toolkit/PageControl.h"

#include <commctrl.h>

TTabSheet::TTabSheet(TPageControl* owner, const std::string& caption)
    : TControl(owner), owner_(owner) {
  CreateOwnWindow("TTabSheet", 0, WS_EX_CONTROLPARENT);
  SetCaption(caption);
  owner_->AddPage(this);
}

void TTabSheet::SetTabVisible(bool visible) {
  if (visible == tabVisible_) return;
  tabVisible_ = visible;
  owner_->RebuildTabs();
}

int TTabSheet::PageIndex() const {
  for (int i = 0; i < owner_->PageCount(); ++i)
    if (owner_->Page(i) == this) return i;
  return -1;
}

TPageControl::TPageControl(TControl* parent) : TControl(parent) {
  CreateOwnWindow("TPageControl", WS_VISIBLE, WS_EX_CONTROLPARENT);
  tabs_ = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0,
                          0, hwnd_, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(tabs_, WM_SETFONT, (WPARAM)font_.Handle(), TRUE);
}

TTabSheet* TPageControl::Page(int index) const {
  return index >= 0 && index < (int)pages_.size() ? pages_[index] : nullptr;
}

void TPageControl::AddPage(TTabSheet* page) {
  pages_.push_back(page);
  RebuildTabs();
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
  return IsWindowVisible(tabs_) || (GetWindowLongA(tabs_, GWL_STYLE) & WS_VISIBLE) ? tabs_
                                                                                   : nullptr;
}

void TPageControl::RebuildTabs() {
  TabCtrl_DeleteAllItems(tabs_);
  int n = 0;
  for (TTabSheet* p : pages_) {
    if (!p->TabVisible()) continue;
    std::string caption = p->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageA(tabs_, TCM_INSERTITEMA, n++, (LPARAM)&item);
  }
  ShowWindow(tabs_, n > 0 ? SW_SHOWNA : SW_HIDE);
  if (active_ >= 0) TabCtrl_SetCurSel(tabs_, TabOfPage(active_));
  LayoutPages();
}

void TPageControl::LayoutPages() {
  RECT r = ClientRect();
  if (GetWindowLongA(tabs_, GWL_STYLE) & WS_VISIBLE) {
    MoveWindow(tabs_, 0, 0, r.right, r.bottom, TRUE);
    TabCtrl_AdjustRect(tabs_, FALSE, &r);
    SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
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
