// The feature pages placed on the main window's sheets, and the jobs they give the job runner.
#pragma once

#include <memory>

class TFormMain;

class TFeaturePages {
 public:
  explicit TFeaturePages(TFormMain& form);
  ~TFeaturePages();

  // First show, before the navigation is prepared: state the pages read from the system.
  void PrepareAtFirstShow();
  // First visit of the start-up items page: fill its list.
  void FirstVisitStartup();

 private:
  TFormMain& form_;
};
