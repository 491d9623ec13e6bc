// Page 4: the registry cleaner. The result grid fills the page above a bottom strip holding the
// four read-only detail boxes and the start, remove and stop buttons. The scan runs on the window
// thread and lets window messages run after each string value, so the stop button stays live.
#pragma once

#include <string>
#include <vector>

#include "regclean/RegWalker.h"
#include "toolkit/Button.h"
#include "toolkit/Host.h"
#include "toolkit/Memo.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"
#include "toolkit/StringGrid.h"

class TRegCleanPage : private IRegScanSink {
 public:
  TRegCleanPage(TTabSheet& TS4, IHost& host);
  TRegCleanPage(const TRegCleanPage&) = delete;
  TRegCleanPage& operator=(const TRegCleanPage&) = delete;

  // The main window's first show: column titles, buttons, first-hit state.
  void PrepareGrid();
  void btnStartClick();
  void btnStopClick();
  void btnRemoveClick();
  void StringGrid1SelectCell(int col, int row);
  bool Scanning() const { return scanning_; }
  // The hit shown in a grid row, or nullptr for the title row and empty rows.
  const TRegHit* HitOfRow(int row) const;

  TTabSheet& TS4;
  TPanel PanelRegBottom;
  TEdit edKey;
  TEdit edTime;
  TEdit edValueName;
  TEdit edValue;
  TButton btnStart;
  TButton btnRemove;
  TButton btnStop;
  TStringGrid StringGrid1;

  bool RegScanStopped = false;
  bool RegFirstHitPending = true;
  int RegNextRow = 1;
  std::string RegRootName;
  // Where the scan starts; the three roots unless a caller narrows them.
  std::vector<TRegScanRoot> ScanRoots = DefaultScanRoots();
  // Where undo files go: the program's undo folder.
  std::string UndoDir;

 private:
  void ScanInvalidRefs();
  void ResetGrid();
  // Takes deleted rows (grid rows) out of the grid and the hits.
  void DropRows(std::vector<int> rows);
  void WalkingRoot(const std::string& rootName) override;
  void Analyzing(const std::wstring& subKeyName) override;
  bool Stopped() override;
  void AddHit(TRegHit&& hit) override;

  IHost& host_;
  std::vector<TRegHit> hits_;  // hits_[i] is grid row i + 1
  bool scanning_ = false;
  std::wstring statusText_;  // the text of the value being examined
  DWORD statusShownAt_ = 0;  // when the status bar last got it
};
