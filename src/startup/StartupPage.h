// Page 3: the start-up items list with its delete and refresh buttons. The list is the only store
// of the entries; every change rebuilds it from the registry and the Startup folder.
#pragma once

#include "toolkit/Button.h"
#include "toolkit/Host.h"
#include "toolkit/ListView.h"
#include "toolkit/Panel.h"
#include "toolkit/PageControl.h"

class TStartupPage {
 public:
  TStartupPage(TTabSheet& TS3, IHost& host);
  TStartupPage(const TStartupPage&) = delete;
  TStartupPage& operator=(const TStartupPage&) = delete;

  // Refresh: rebuilds the list. The main window calls it on the first visit of the page.
  void BitBtnBitBtnDelRefValueClick();
  // Deletes the selected entry after confirmation, then refreshes whatever the outcome.
  void BitBtnDelRegValueClick();
  void LViewStartRunClick();
  void LViewStartRunDblClick();

  TTabSheet& TS3;
  TListView LViewStartRun;
  TPanel PanelStartRunButtons;  // 143 pixels wide, right of the list
  TButton BitBtnDelRegValue;
  TButton BitBtnBitBtnDelRefValue;

 private:
  bool ConfirmDelete();

  IHost& host_;
};
