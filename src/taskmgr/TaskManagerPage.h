// Page 2, the task manager: the three tabs, the one-second tick that keeps the application list
// and the graphs current, and the tab change.
#pragma once

#include <string>

#include "taskmgr/AppListPage.h"
#include "taskmgr/PerformancePage.h"
#include "taskmgr/ProcessPage.h"
#include "toolkit/Host.h"
#include "toolkit/PageControl.h"
#include "toolkit/Timer.h"

class TTaskManagerPage {
 public:
  // `TS2` is the page itself, holding `PageControl2` with its three sheets.
  TTaskManagerPage(TTabSheet& TS2, TPageControl& PageControl2, TTimer& Timer2, IHost& host);
  TTaskManagerPage(const TTaskManagerPage&) = delete;
  TTaskManagerPage& operator=(const TTaskManagerPage&) = delete;

  // First visit of the page: the graphs and their sampler come into being, once.
  void FirstVisit();
  // Program end: the sampler stops; waits for it at most 2 seconds.
  bool Shutdown();

  void Timer2Timer();
  // `linkCaption` is the caption of the page's navigation link.
  void PageControl2Change(const std::string& linkCaption);
  // The tick's performance step: graphs into the images, CPU and memory figures into the
  // status bar.
  void PerformanceStep();

  TTabSheet& TS2;
  TPageControl& PageControl2;
  TAppListTab Applications;
  TProcessTab Processes;
  TPerformanceTab Performance;

 private:
  bool PageShown() const;

  TTimer& timer2_;
  IHost& host_;
  bool processTabPending_ = true;  // the process list fills on the tab's first display
};
