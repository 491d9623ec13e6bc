// The feature pages placed on the main window's sheets, and the jobs they give the job runner.
#pragma once

#include <memory>

class TFormMain;
class TRoguePage;
class TImmunityPage;
class TStartupPage;
class TTempCleanPage;
class TBrowserPage;
class TTaskManagerPage;
class TRegBackupPage;
class TSettingsPage;
class TRegCleanPage;

class TFeaturePages {
 public:
  explicit TFeaturePages(TFormMain& form);
  ~TFeaturePages();

  // First show, before the navigation is prepared: state the pages read from the system.
  void PrepareAtFirstShow();
  // First visit of the start-up items page: fill its list.
  void FirstVisitStartup();
  // First visit of the browser page: every repair item checked.
  void FirstVisitBrowser();
  // First visit of the task manager page: the performance sampler starts.
  void FirstVisitTaskManager();

  std::unique_ptr<TRoguePage> Rogue;              // page 1, tabs 0 and 1
  std::unique_ptr<TImmunityPage> Immunity;        // page 1, tabs 2 and 3
  std::unique_ptr<TStartupPage> Startup;          // page 3
  std::unique_ptr<TTempCleanPage> TempClean;      // page 6
  std::unique_ptr<TBrowserPage> Browser;          // page 7, owns the IE extension enumerator
  std::unique_ptr<TTaskManagerPage> TaskManager;  // page 2
  std::unique_ptr<TRegBackupPage> RegBackup;      // page 8
  std::unique_ptr<TSettingsPage> Settings;        // page 9
  std::unique_ptr<TRegCleanPage> RegClean;        // page 4

  // A close request while the registry scan runs: stops it and says to wait; the page closes the
  // window once the walk has unwound.
  bool HoldCloseForScan();
};
