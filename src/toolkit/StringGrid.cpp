#include "toolkit/StringGrid.h"
#include "system/Text.h"

#include <algorithm>

TStringGrid::TStringGrid(TControl* parent, int left, int top, int width, int height)
    : TControl(parent) {
  // No LVS_SINGLESEL: any set of rows can be selected. No LVS_EDITLABELS: never editable.
  // LVS_SHAREIMAGELISTS: the row-height list is the grid's own, freed once, by the grid.
  CreateStandardWindow(WC_LISTVIEWW,
                       WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                           LVS_SHAREIMAGELISTS,
                       WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  SetBounds(left, top, width, height);
}

TStringGrid::~TStringGrid() = default;

void TStringGrid::SetColumns(const std::vector<int>& widths) {
  while (ColCount() > 0) {
    SendMessageW(hwnd_, LVM_DELETECOLUMN, 0, 0);
    widths_.pop_back();
  }
  widths_ = widths;
  titles_.assign(widths.size(), std::wstring());
  for (auto& row : rows_) row.resize(widths.size());
  for (size_t i = 0; i < widths.size(); ++i) {
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    c.fmt = LVCFMT_LEFT;
    c.cx = widths[i];
    c.pszText = const_cast<wchar_t*>(L"");
    SendMessageW(hwnd_, LVM_INSERTCOLUMNW, i, (LPARAM)&c);
  }
}

int TStringGrid::ColumnWidth(int col) const {
  return ListView_GetColumnWidth(hwnd_, col);
}

void TStringGrid::SetDefaultRowHeight(int height) {
  // A report list view's rows are as high as its small images: a blank 1-pixel-wide list sets it.
  TImageListHandle list(ImageList_Create(1, height, ILC_COLOR, 1, 0));
  ListView_SetImageList(hwnd_, list.get(), LVSIL_SMALL);
  rowHeight_ = std::move(list);  // the previous list goes once the view holds the new one
}

void TStringGrid::SetRowCount(int count) {
  if (count < 1) count = 1;
  rows_.resize(count - 1, std::vector<std::wstring>(widths_.size()));
  countPending_ = true;
  if (updating_)
    Flush();
  else
    SyncItemCount();
}

void TStringGrid::BeginUpdate() {
  updating_ = true;
}

void TStringGrid::EndUpdate() {
  updating_ = false;
  if (countPending_) SyncItemCount();
}

void TStringGrid::Flush() {
  if (!countPending_) return;
  // A count change costs about as much as painting the whole view (scroll bars and title row
  // move with it). Rows that land on screen are shown soon; rows below it only shrink the scroll
  // bar's thumb, and wait longer.
  const DWORD wait = shownRows_ < viewEnd_ ? 250 : 1000;
  if (GetTickCount() - countShownAt_ >= wait) SyncItemCount();
}

void TStringGrid::SyncItemCount() {
  countPending_ = false;
  countShownAt_ = GetTickCount();
  shownRows_ = rows_.size();
  // Rows come in while a scan runs: only what is on screen needs painting again.
  SendMessageW(hwnd_, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  viewEnd_ = static_cast<size_t>(ListView_GetTopIndex(hwnd_) + ListView_GetCountPerPage(hwnd_) + 1);
}

std::string TStringGrid::Cell(int col, int row) const {
  return NarrowFrom(CellW(col, row));
}

std::wstring TStringGrid::CellW(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return std::wstring();
  return row == 0 ? titles_[col] : rows_[row - 1][col];
}

void TStringGrid::SetCell(int col, int row, const std::string& text) {
  SetCellW(col, row, WideFrom(text));
}

void TStringGrid::SetCellW(int col, int row, std::wstring text) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return;
  if (row == 0) {
    titles_[col] = std::move(text);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT;
    c.pszText = const_cast<wchar_t*>(titles_[col].c_str());
    SendMessageW(hwnd_, LVM_SETCOLUMNW, col, (LPARAM)&c);
    return;
  }
  rows_[row - 1][col] = std::move(text);
  // A row the list view has not been told of yet is painted when its count arrives; asking the
  // view where it stands costs two window messages, more than the rest of a scan's hit.
  if (static_cast<size_t>(row - 1) >= shownRows_) return;
  const int top = ListView_GetTopIndex(hwnd_);
  if (row - 1 >= top && row - 1 <= top + ListView_GetCountPerPage(hwnd_))
    ListView_RedrawItems(hwnd_, row - 1, row - 1);
}

TStringGrid::TRange TStringGrid::Selection() const {
  TRange r;
  int item = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
  if (item < 0 || item >= (int)rows_.size()) return r;
  r.Top = r.Bottom = item + 1;
  while ((item = ListView_GetNextItem(hwnd_, item, LVNI_SELECTED)) >= 0 && item < (int)rows_.size())
    r.Bottom = item + 1;
  return r;
}

std::vector<int> TStringGrid::SelectedRows() const {
  std::vector<int> rows;
  for (int item = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
       item >= 0 && item < (int)rows_.size();
       item = ListView_GetNextItem(hwnd_, item, LVNI_SELECTED))
    rows.push_back(item + 1);
  return rows;
}

void TStringGrid::DeleteRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  size_t kept = 0, next = 0;
  for (size_t i = 0; i < rows_.size(); ++i) {
    while (next < rows.size() && rows[next] < (int)i + 1) ++next;
    if (next < rows.size() && rows[next] == (int)i + 1) continue;
    if (kept != i) rows_[kept] = std::move(rows_[i]);
    ++kept;
  }
  rows_.resize(kept);
  // An owner-data view keeps its selection by position: after the shift it would mark rows the
  // user never chose.
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
  SyncItemCount();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TStringGrid::SetRow(int row) {
  if (row < 1 || row >= RowCount()) return;
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(hwnd_, row - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(hwnd_, row - 1, FALSE);
}

void TStringGrid::SelectRange(int top, int bottom) {
  if (top < 1 || bottom < top || bottom >= RowCount()) return;
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
  for (int row = top; row <= bottom; ++row)
    ListView_SetItemState(hwnd_, row - 1, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(hwnd_, top - 1, LVIS_FOCUSED, LVIS_FOCUSED);
}

bool TStringGrid::HandleNotify(NMHDR* header, LRESULT& result) {
  switch (header->code) {
    case LVN_GETDISPINFOW: {  // a Unicode view asks wide, whoever reads the cells
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      LVITEMW& it = info->item;
      if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0) {
        it.pszText[0] = L'\0';
        if (it.iItem >= 0 && it.iItem < (int)rows_.size() && it.iSubItem >= 0 &&
            it.iSubItem < ColCount())
          lstrcpynW(it.pszText, rows_[it.iItem][it.iSubItem].c_str(), it.cchTextMax);
      }
      if (it.mask & LVIF_IMAGE) it.iImage = -1;
      result = 0;
      return true;
    }
    case LVN_ITEMCHANGED: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
      const UINT gained = nm->uNewState & ~nm->uOldState;
      if (nm->iItem >= 0 && (nm->uChanged & LVIF_STATE) && (gained & LVIS_FOCUSED) && OnSelectCell)
        OnSelectCell(this, 0, nm->iItem + 1);
      return false;
    }
  }
  return false;
}
