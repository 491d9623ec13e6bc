// Page 7: browser repair, context-menu extensions and toolbars on three tabs, with one action
// button whose work follows the tab.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "browser/IESweeper.h"
#include "toolkit/Button.h"
#include "toolkit/CheckListBox.h"
#include "toolkit/Host.h"
#include "toolkit/ListView.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"

// How long a removal waits for one unregistration before it reads the toolbars again.
constexpr DWORD kUnregisterWaitMs = 10000;

class TBrowserPage {
 public:
  // `images` gives the shared image list of the extension lists (it may come later than the
  // page).
  TBrowserPage(TTabSheet& TS7, IHost& host, std::function<HIMAGELIST()> images);
  TBrowserPage(const TBrowserPage&) = delete;
  TBrowserPage& operator=(const TBrowserPage&) = delete;

  // First visit of the page: every repair item checked.
  void FirstVisit();
  void PageControlBRChange();
  void BitBtnBRClick();

  void AddMenuExtRow(const std::wstring& name, const std::wstring& text);
  void AddToolbarRow(const std::wstring& classId);
  void AddExtensionRow(const std::wstring& keyName);

  TTabSheet& TS7;
  TPanel PanelBRButtons;  // right of the tabs
  TButton BitBtnBR;
  TPageControl PageControlBR;
  TTabSheet TabRepair, TabMenuExt, TabToolbar;
  TCheckListBox CheckListBoxBR;
  TListView ListViewBrowserMenu;
  TListView LvwToolButton;
  TIESweeper Sweeper;

 private:
  void RunAction(int page);
  void RunRepair();
  void FillMenuExtList();
  void FillToolbarList();
  void RemoveCheckedMenuExt();
  void RemoveCheckedToolbars();
  // Next image slot of the toolbar list: the images of the previous fill are reused.
  int TakeToolbarImage(const std::wstring& file);

  IHost& host_;
  std::function<HIMAGELIST()> images_;
  std::vector<int> toolbarImages_;
  size_t nextToolbarImage_ = 0;
  bool busy_ = false;  // an action of BitBtnBR is running
};
