// A stand-in for the main window that feature pages are built with in tests: a real status bar
// with the window's three panels, a real (hidden) progress bar, and a record of started jobs.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "toolkit/Control.h"
#include "toolkit/Host.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/StatusBar.h"

class TTestHost : public IHost {
 public:
  explicit TTestHost(TControl& form) : form_(form), bar_(&form), progress_(&form, 5, 5, 149, 17) {
    bar_.SetPanelWidths({400, 150, 150});
    progress_.SetVisible(false);
  }
  HWND MainWindow() override { return form_.Handle(); }
  TStatusBar& StatusBar() override { return bar_; }
  TProgressBar& ProgressBar() override { return progress_; }
  bool Closing() override { return false; }
  // Records the code; a test that wants the job to run sets OnStartJob.
  void StartJob(WORD code) override {
    Jobs.push_back(code);
    if (OnStartJob) OnStartJob(code);
  }

  std::vector<WORD> Jobs;
  std::function<void(WORD)> OnStartJob;

 private:
  TControl& form_;
  TStatusBar bar_;
  TProgressBar progress_;
};
