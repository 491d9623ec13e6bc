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
  ~TListView() override;

  void AddColumn(const std::string& caption, int width, int format = LVCFMT_LEFT);
  int ColumnCount() const;
  std::string ColumnCaption(int index) const;
  std::wstring ColumnCaptionW(int index) const;
  int ColumnWidth(int index) const;
  // Sizes the column to its widest text, with `fitHeader` to its caption as well (the last
  // column then also takes the room the others leave).
  void AutoSizeColumn(int index, bool fitHeader = true);

  // Adds a row at the end; returns its index.
  int AddItem(const std::string& caption, const std::vector<std::string>& subItems = {},
              int imageIndex = -1, LPARAM data = 0);
  int AddItemW(const std::wstring& caption, const std::vector<std::wstring>& subItems = {},
               int imageIndex = -1, LPARAM data = 0);
  int Count() const;
  // Texts are read whole, however long.
  std::string Caption(int item) const;
  std::wstring CaptionW(int item) const;
  void SetItemCaption(int item, const std::string& text);
  void SetItemCaptionW(int item, const std::wstring& text);
  // Sub-items count from 0: sub-item 0 is the second column.
  std::string SubItem(int item, int subItem) const;
  std::wstring SubItemW(int item, int subItem) const;
  void SetSubItem(int item, int subItem, const std::string& text);
  void SetSubItemW(int item, int subItem, const std::wstring& text);
  // The row's index in the small images; a negative index shows no picture.
  int ItemImage(int item) const;
  void SetItemImage(int item, int imageIndex);
  // Paints the row again, as after its picture changed in the image list.
  void RedrawItem(int item);
  LPARAM Data(int item) const;
  bool Checked(int item) const;
  void SetChecked(int item, bool checked);
  bool Selected(int item) const;
  void SetSelected(int item, bool selected);
  int SelectedIndex() const;  // -1 when none
  void Delete(int item);
  void Clear();
  // Drawing stops until the matching EndUpdate; prefer TListViewUpdate, which ends on every way
  // out.
  void BeginUpdate();
  void EndUpdate();
  // Shows `images` as the rows' small icons. The list stays the caller's, who frees it after the
  // view is gone: the view is told to share its lists, never to destroy them. The state list a
  // check-box view makes for itself is freed by this object instead.
  void SetSmallImages(HIMAGELIST images);
  HIMAGELIST SmallImages() const;

  std::function<void(TListView*, int item)> OnChange;  // any change of a row, check marks too
  std::function<void(TListView*, int item)> OnSelectItem;
  // A row is going (Delete, Clear), with the data it was added with: what the row owns is freed
  // here.
  std::function<void(TListView*, int item, LPARAM data)> OnDeleteItem;

  bool HandleNotify(NMHDR* header, LRESULT& result) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void ReleaseCheckBoxStates();

  int updateDepth_ = 0;
  HIMAGELIST checkBoxStates_ = nullptr;  // the state list the check-box style made
};

// Holds a list view's drawing off while it lives, so a series of row changes repaints once; it
// ends on every way out, an exception included.
class TListViewUpdate {
 public:
  explicit TListViewUpdate(TListView& view) : view_(view) { view_.BeginUpdate(); }
  ~TListViewUpdate() { view_.EndUpdate(); }
  TListViewUpdate(const TListViewUpdate&) = delete;
  TListViewUpdate& operator=(const TListViewUpdate&) = delete;

 private:
  TListView& view_;
};
