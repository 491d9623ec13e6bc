// Report-style common-control list view: columns, rows with sub-items, check boxes, small icons.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "toolkit/Control.h"

struct TListViewOptions {
  bool checkBoxes = false;
  bool rowSelect = true;
  bool hotTrack = false;
  bool gridLines = false;
  bool multiSelect = false;
  bool readOnly = true;

  // A read-only list of rows the user ticks: check boxes, whole-row selection, hot tracking.
  static TListViewOptions CheckedRows() {
    TListViewOptions o;
    o.checkBoxes = true;
    o.hotTrack = true;
    return o;
  }
};

class TListView : public TControl {
 public:
  TListView(TControl* parent, int left, int top, int width, int height,
            const TListViewOptions& options = {});

  void AddColumn(const std::string& caption, int width, int format = LVCFMT_LEFT);
  int ColumnCount() const;
  std::string ColumnCaption(int index) const;
  int ColumnWidth(int index) const;

  // Adds a row at the end; returns its index.
  int AddItem(const std::string& caption, const std::vector<std::string>& subItems = {},
              int imageIndex = -1, LPARAM data = 0);
  int Count() const;
  std::string Caption(int item) const;
  // Sub-items count from 0: sub-item 0 is the second column.
  std::string SubItem(int item, int subItem) const;
  void SetSubItem(int item, int subItem, const std::string& text);
  LPARAM Data(int item) const;
  bool Checked(int item) const;
  void SetChecked(int item, bool checked);
  bool Selected(int item) const;
  void SetSelected(int item, bool selected);
  int SelectedIndex() const;  // -1 when none
  void Delete(int item);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  // Shows `images` as the rows' small icons. The list stays the caller's, who frees it after the
  // view is gone: the view is told to share its lists, never to destroy them (a check-box view
  // thereby leaves its own state list to the end of the process).
  void SetSmallImages(HIMAGELIST images);

  std::function<void(TListView*, int item)> OnChange;  // any change of a row, check marks too
  std::function<void(TListView*, int item)> OnSelectItem;
  // A row is going (Delete, Clear), with the data it was added with: what the row owns is freed
  // here.
  std::function<void(TListView*, int item, LPARAM data)> OnDeleteItem;

  bool HandleNotify(NMHDR* header, LRESULT& result) override;

 private:
  int updateDepth_ = 0;
};
