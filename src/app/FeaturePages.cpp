#include "app/FeaturePages.h"

#include "app/DataModuleMain.h"
#include "app/JobRunner.h"
#include "app/SettingsPage.h"
#include "app/UnitMain.h"
#include "browser/BrowserPage.h"
#include "immunity/ImmunityPage.h"
#include "regbackup/RegBackupPage.h"
#include "rogue/RoguePage.h"
#include "regclean/RegCleanPage.h"
#include "startup/StartupPage.h"
#include "taskmgr/TaskManagerPage.h"
#include "tempclean/TempCleanPage.h"

TFeaturePages::TFeaturePages(TFormMain& form)
    : Rogue(std::make_unique<TRoguePage>(*form.TabRogueScan, *form.TabRogueClean, form)),
      Immunity(std::make_unique<TImmunityPage>(*form.TabComponents, *form.TabPlugins, form)),
      Startup(std::make_unique<TStartupPage>(*form.TS[2], form)),
      TempClean(std::make_unique<TTempCleanPage>(*form.TS[5], form)),
      Browser(std::make_unique<TBrowserPage>(
          *form.TS[6], form,
          [] { return DataModuleMain ? DataModuleMain->ImageListMain.get() : nullptr; })),
      TaskManager(
          std::make_unique<TTaskManagerPage>(*form.TS[1], *form.PageControl2, form.Timer2, form)),
      RegBackup(std::make_unique<TRegBackupPage>(*form.TS[7], form)),
      Settings(std::make_unique<TSettingsPage>(*form.TS[8], form)),

      RegClean(std::make_unique<TRegCleanPage>(*form.TS[3], form)) {
  RegisterJob(kJobRogueRemoval, [this] { Rogue->RunRemoval(); });
  RegisterJob(kJobTempClean, [this] { TempClean->RunCleanJob(); });
  RegisterRegistryExportJobs();
  // The sampler ends with the program, whichever way it exits (waited for at most 2 s).
  form.AddStopHook([this] { TaskManager->Shutdown(); });
}

TFeaturePages::~TFeaturePages() = default;

void TFeaturePages::PrepareAtFirstShow() {
  RegClean->PrepareGrid();
  Immunity->ReadImmunisationState();
}

void TFeaturePages::FirstVisitStartup() {
  Startup->BitBtnBitBtnDelRefValueClick();
}

void TFeaturePages::FirstVisitBrowser() {
  Browser->FirstVisit();
}

void TFeaturePages::FirstVisitTaskManager() {
  TaskManager->FirstVisit();
}

bool TFeaturePages::HoldCloseForScan() {
  if (!RegClean->Scanning()) return false;
  RegClean->btnStopClick();
  return true;
}
