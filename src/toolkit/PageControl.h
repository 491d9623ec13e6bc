// A set of pages of which one is shown. Tabs that are visible appear in a real tab strip; a page
// control whose tabs are all hidden shows only the active page (page switching is left to code).
#pragma once

#include <string>
#include <vector>

#include "toolkit/Control.h"

class TPageControl;

class TTabSheet : public TControl {
 public:
  // A page made with its tab hidden never puts a tab into the strip.
  TTabSheet(TPageControl* owner, const std::string& caption, bool tabVisible = true);
  TPageControl* PageControl() const { return owner_; }
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool visible);
  int PageIndex() const;

 private:
  TPageControl* owner_;
  bool tabVisible_ = true;
};

class TPageControl : public TControl {
 public:
  explicit TPageControl(TControl* parent);
  int PageCount() const { return (int)pages_.size(); }
  TTabSheet* Page(int index) const;
  TTabSheet* ActivePage() const { return Page(active_); }
  int ActivePageIndex() const { return active_; }
  // Shows the page; does not raise OnChange (only the user's tab click does).
  void SetActivePage(TTabSheet* page);
  void SetActivePageIndex(int index);
  // The tab strip window, or nullptr while no tab is visible.
  HWND TabStrip() const;
  // Selects a visible tab as a click on it would, raising OnChange.
  void ClickTab(int pageIndex);

  std::function<void(TPageControl*)> OnChange;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Resized() override { LayoutPages(); }

 private:
  friend class TTabSheet;
  void AddPage(TTabSheet* page);
  // Adds or removes the one tab of a page; the pages move only when the strip appears or goes.
  void ShowTab(int pageIndex, bool visible);
  void LayoutPages();
  RECT PageRect() const;  // the area under the strip
  int TabOfPage(int pageIndex) const;
  int VisibleTabsBefore(int pageIndex) const;

  std::vector<TTabSheet*> pages_;
  HWND tabs_ = nullptr;
  int active_ = -1;
};
