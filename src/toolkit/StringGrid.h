// A read-only grid of text cells with one title row, backed by a virtual (owner-data) report list
// view: row 0 is the header, rows 1.. are list items whose text the grid hands out on request, so
// every cell stays readable as list-view text. Whole rows are selected, any set of them;
// columns can be resized by the user; cells are never edited in place.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "system/Handles.h"
#include "toolkit/Control.h"

class TStringGrid : public TControl {
 public:
  TStringGrid(TControl* parent, int left, int top, int width, int height);
  ~TStringGrid() override;

  // Column count and widths; row 0 of each column is its title.
  void SetColumns(const std::vector<int>& widths);
  int ColCount() const { return (int)widths_.size(); }
  int ColumnWidth(int col) const;
  // Height of every row below the title, in pixels.
  void SetDefaultRowHeight(int height);

  // Rows including the title row; at least 1. Growing adds empty rows, shrinking drops rows.
  int RowCount() const { return (int)rows_.size() + 1; }
  void SetRowCount(int count);
  // Between these, row count changes reach the screen at most four times a second while new
  // rows land on screen, and once a second when they only grow the scroll range (each change
  // repaints the view); EndUpdate shows the final count.
  void BeginUpdate();
  void EndUpdate();
  // Shows a row count held back by an update, when its time has come.
  void Flush();
  std::string Cell(int col, int row) const;
  std::wstring CellW(int col, int row) const;
  void SetCell(int col, int row, const std::string& text);
  void SetCellW(int col, int row, std::wstring text);

  // Every selected row (grid rows, title excluded), in row order; a Ctrl+click selection may
  // leave gaps.
  std::vector<int> SelectedRows() const;
  // Drops the given rows; the rows below move up. The selection is cleared.
  void DeleteRows(std::vector<int> rows);
  // The first and last selected rows (grid rows, title excluded), rows between them selected or
  // not; {-1, -1} when nothing is selected.
  struct TRange {
    int Top = -1;
    int Bottom = -1;
  };
  TRange Selection() const;
  // Makes `row` the only selected row and the current one.
  void SetRow(int row);
  // Selects rows top..bottom as a shift-click would.
  void SelectRange(int top, int bottom);

  // A row became the current one (column, row), by the user or by SetRow.
  std::function<void(TStringGrid*, int col, int row)> OnSelectCell;

  bool HandleNotify(NMHDR* header, LRESULT& result) override;

 private:
  void SyncItemCount();
  bool updating_ = false;
  bool countPending_ = false;
  DWORD countShownAt_ = 0;
  size_t shownRows_ = 0;  // the item count the list view was last given
  size_t viewEnd_ = 0;    // rows before this one were on screen (or partly) at that time
  std::vector<int> widths_;
  std::vector<std::wstring> titles_;
  std::vector<std::vector<std::wstring>> rows_;  // rows_[0] is grid row 1
  TImageListHandle rowHeight_;
};
