// The "应用程序" tab: one row per application (its front-most visible titled window), kept
// current by the task manager's tick; ending a task, switching to a window, opening Run.
#pragma once

#include <memory>
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
  // are gone lose theirs, new ones are appended.
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
  int AddIconOf(HWND window);
  TWinInfo* Record(int row) const;  // the record the row holds (in its item data)

  TTimer& timer2_;
};
