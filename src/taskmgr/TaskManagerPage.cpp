#include "taskmgr/TaskManagerPage.h"

#include <cstdio>

#include "toolkit/Guarded.h"
#include "toolkit/StatusBar.h"

TTaskManagerPage::TTaskManagerPage(TTabSheet& ts2, TPageControl& pageControl2, TTimer& timer2,
                                   IHost& host)
    : TS2(ts2),
      PageControl2(pageControl2),
      Applications(*pageControl2.Page(0), timer2),
      Processes(*pageControl2.Page(1), host),
      Performance(*pageControl2.Page(2)),
      timer2_(timer2),
      host_(host) {}

void TTaskManagerPage::FirstVisit() {
  Performance.StartSampling();
}

bool TTaskManagerPage::Shutdown() {
  return Performance.StopSampling(2000);
}

bool TTaskManagerPage::PageShown() const {
  // The help page can be opened without the navigation, leaving the timer on: a hidden page
  // must not write into the status bar.
  const TPageControl* outer = TS2.PageControl();
  return outer == nullptr || outer->ActivePage() == &TS2;
}

void TTaskManagerPage::Timer2Timer() {
  Guarded([&] {
    if (!IsWindowVisible(host_.MainWindow()) || host_.Closing() || !PageShown()) return;
    if (PageControl2.ActivePageIndex() == 0) Guarded([&] { Applications.RefreshWindowList(); });
    PerformanceStep();
  });
}

void TTaskManagerPage::PerformanceStep() {
  Performance.CopyGraphs();
  char text[64];
  std::snprintf(text, sizeof text, "CPU 使用：%d%%", CpuUsagePercent.load());
  host_.StatusBar().SetPanelText(1, text);
  std::snprintf(text, sizeof text, "总内存使用比率：%d%%",
                static_cast<int>(ReadMemoryStatus().Load));
  host_.StatusBar().SetPanelText(2, text);
}

void TTaskManagerPage::PageControl2Change(const std::string& linkCaption) {
  Guarded([&] {
    const TTabSheet* tab = PageControl2.ActivePage();
    host_.StatusBar().SetPanelText(0, linkCaption + "/" + (tab ? tab->Caption() : ""));
    if (PageControl2.ActivePageIndex() == 1 && processTabPending_) {
      processTabPending_ = false;
      Processes.ButtonRefProcessClick();
    }
  });
}
