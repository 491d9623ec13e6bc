#include "app/DataModuleMain.h"

TDataModuleMain* DataModuleMain = nullptr;

TDataModuleMain::TDataModuleMain()
    : ImageListMain(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 16)) {
  DataModuleMain = this;
}

TDataModuleMain::~TDataModuleMain() {
  if (DataModuleMain == this) DataModuleMain = nullptr;
}
