// Page 1: the rogue-software scan ("恶意软件检测") and the result list with removal
// ("恶意软件清理"). The scan runs on the window thread; the removal runs as job 6 on a worker
// that the main window starts, and reaches the list only through Synchronize.
#pragma once

#include <windows.h>

#include <atomic>

#include "toolkit/Button.h"
#include "toolkit/Host.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/ListView.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"

// Shown in the "基本信息：" group.
extern const char kRogueProgramVersion[];     // "1.2"
extern const char kRogueEngineVersion[];      // "1.01"
extern const char kRogueDefinitionsDate[];    // date of the built-in definitions
extern const char kRogueReportProgramPath[];  // what BitBtn10 starts

class TRoguePage {
 public:
  // `scanSheet` is the tab "恶意软件检测", `cleanSheet` the tab "恶意软件清理".
  TRoguePage(TTabSheet& scanSheet, TTabSheet& cleanSheet, IHost& host);
  TRoguePage(const TRoguePage&) = delete;
  TRoguePage& operator=(const TRoguePage&) = delete;

  void BitBtnStartScanClick();
  void BitBtn9Click();
  void ListView_Change();
  void BitBtnClearClick();
  void BitBtn10Click();
  // Job 6, called on the job runner's worker: removes the programs of the rows checked when it
  // starts and then drops exactly those rows. A second call while one runs returns at once.
  void RunRemoval();
  bool RemovalRunning() const { return removing_; }

  // Pause after a row whose uninstaller was started, before the next row's is; bounded.
  DWORD RemovalPauseMs = 1000;

  // "恶意软件检测"
  TTabSheet& ScanSheet;
  TLabel LabelScanStatus;
  TLabel LabelScanFoundCout;
  TButton BitBtn9;
  TButton BitBtn10;
  TGroupBox GroupBoxBaseInfo;
  TLabel Label17;
  TLabel Label18;
  TLabel Label19;
  TLabel Label20;
  TLabel LabelProgramVersion;
  TLabel LabelEngineVersion;
  TLabel LabelEngineDate;
  TLabel LabelDefinitionCount;
  // "恶意软件清理"
  TTabSheet& CleanSheet;
  TListView ListView_;
  TGroupBox GroupBoxClean;
  TImage Image2;
  TLabel Label13;
  TButton BitBtnStartScan;
  TButton BitBtnClear;

 private:
  void SetUpScanSheet();
  void SetUpCleanSheet();
  int RowOfId(LPARAM id) const;

  IHost& host_;
  // Every row gets its own id, so the removal drops the rows it handled even when a scan has
  // refilled the list meanwhile.
  LPARAM nextRowId_ = 1;
  // From the press (or the removal's start) to its last hand-over; read by the window thread.
  std::atomic<bool> removing_{false};
  // Held by the one worker that is removing.
  std::atomic<bool> workerActive_{false};
};
