// Shared non-visual resources: the image list of the IE extension lists.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "system/Handles.h"

class TDataModuleMain {
 public:
  TDataModuleMain();
  ~TDataModuleMain();
  TDataModuleMain(const TDataModuleMain&) = delete;
  TDataModuleMain& operator=(const TDataModuleMain&) = delete;

  TImageListHandle ImageListMain;  // 16 x 16 icons
};

extern TDataModuleMain* DataModuleMain;
