// The "应用程序" tab: one row per application (its front-most visible titled window), kept
// current by the task manager's tick; ending a task, switching to a window, opening Run.
#pragma once

#include <vector>

#include "taskmgr/WindowList.h"
#include "toolkit/Button.h"
#include "toolkit/ImageList.h"
#include "toolkit/ListView.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"
#include "toolkit/Timer.h"

extern const char kTaskRunningText[];  // "正在运行"

class TAppListTab {
 public:
  TAppListTab(TTabSheet& sheet, TTimer& timer2);
  ~TAppListTab();
  TAppListTab(const TAppListTab&) = delete;
  TAppListTab& operator=(const TAppListTab&) = delete;

  // Brings the rows up to date with the windows open now: rows keep their places, windows that
  // are gone lose theirs, new ones are appended. Only new windows are asked for their icons (and
  // a known one when its title or class icon changed, and one more in turn each time); a row is
  // written to only when what it shows changed.
  void RefreshWindowList();
  void BtnCloseWindowClick();
  void BtnGoClick();
  void BtnNewRunClick();

  // The record behind a row (nullptr for no such row).
  const TWinInfo* RowRecord(int row) const;

  TTabSheet& Sheet;
  TImageList ImageList;
  TListView TaskListView;
  TPanel PanelTaskButtons;      // under the list
  TPanel PanelTaskButtonStrip;  // its right end, so the buttons stay right on resizing
  TButton BtnCloseWindow;
  TButton BtnGo;
  TButton BtnNewRun;

 private:
  TWinInfo* Record(int row) const;  // the record the row holds (in its item data)
  void UpdateRow(int row, TWindowEntry& seen, bool askIcon);
  void AppendRow(TWindowEntry& seen);
  // Asks the window for its icon and shows it in the record's slot (taking a slot first if the
  // record has none); false when the picture stayed as it was.
  bool ShowIconOf(TWinInfo& record);

  TTimer& timer2_;
  std::vector<int> freeSlots_;  // image-list slots of rows that went, for the next new rows
  unsigned recheckTurn_ = 0;    // which row's icon is asked again next
};
