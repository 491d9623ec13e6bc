// The "进程" tab: the running processes with CPU time, memory and folder, refreshed on demand,
// and ending a process after a warning.
#pragma once

#include <vector>

#include "taskmgr/ProcessList.h"
#include "toolkit/Button.h"
#include "toolkit/Host.h"
#include "toolkit/ListView.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"

class TProcessTab {
 public:
  TProcessTab(TTabSheet& sheet, IHost& host);
  TProcessTab(const TProcessTab&) = delete;
  TProcessTab& operator=(const TProcessTab&) = delete;

  void ButtonRefProcessClick();
  void BtnEndProcClick();
  void procListViewDblClick();

  // Takes a snapshot and brings the rows up to date; false, with the rows as they were, when
  // the system's list cannot be read.
  bool RefreshProcessList();
  // Brings the rows up to date with `snapshot`: a row stays, in its place, while a process of
  // the same id and image name is still listed; new processes are appended in snapshot order.
  void ApplySnapshot(const std::vector<TProcInfo>& snapshot);

  TTabSheet& Sheet;
  TListView procListView;
  TPanel PanelProcButtons;      // under the list
  TPanel PanelProcButtonStrip;  // its right end, so the buttons stay right on resizing
  TButton ButtonRefProcess;
  TButton BtnEndProc;

 private:
  IHost& host_;
};

// The warning shown before a process is ended (its lines end in LF CR).
extern const char kEndProcessWarning[];
extern const char kEndProcessCaption[];
