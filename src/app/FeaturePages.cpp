#include "app/FeaturePages.h"

#include "app/JobRunner.h"
#include "app/UnitMain.h"
#include "immunity/ImmunityPage.h"
#include "rogue/RoguePage.h"
#include "regclean/RegCleanPage.h"
#include "startup/StartupPage.h"
#include "tempclean/TempCleanPage.h"

TFeaturePages::TFeaturePages(TFormMain& form)
    : Rogue(std::make_unique<TRoguePage>(*form.TabRogueScan, *form.TabRogueClean, form)),
      Immunity(std::make_unique<TImmunityPage>(*form.TabComponents, *form.TabPlugins, form)),
      Startup(std::make_unique<TStartupPage>(*form.TS[2], form)),
      TempClean(std::make_unique<TTempCleanPage>(*form.TS[5], form)),
      RegClean(std::make_unique<TRegCleanPage>(*form.TS[3], form)) {
  RegisterJob(6, [this] { Rogue->RunRemoval(); });
  RegisterJob(16, [this] { TempClean->RunCleanJob(); });
  RegisterRegistryExportJobs();
}

TFeaturePages::~TFeaturePages() = default;

void TFeaturePages::PrepareAtFirstShow() {
  RegClean->PrepareGrid();
  Immunity->ReadImmunisationState();
}

void TFeaturePages::FirstVisitStartup() {
  Startup->BitBtnBitBtnDelRefValueClick();
}

bool TFeaturePages::HoldCloseForScan() {
  if (!RegClean->Scanning()) return false;
  RegClean->btnStopClick();
  return true;
}
