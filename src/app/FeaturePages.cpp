#include "app/FeaturePages.h"

#include "app/JobRunner.h"
#include "app/UnitMain.h"

TFeaturePages::TFeaturePages(TFormMain& form) : form_(form) {
  RegisterRegistryExportJobs();
}

TFeaturePages::~TFeaturePages() = default;

void TFeaturePages::PrepareAtFirstShow() {}

void TFeaturePages::FirstVisitStartup() {}
