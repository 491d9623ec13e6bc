#include "toolkit/ListView.h"

#include <utility>

#include "system/Handles.h"
#include "system/Text.h"

TListView::TListView(TControl* parent, int left, int top, int width, int height,
                     const TListViewOptions& o)
    : TControl(parent) {
  DWORD style = WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
  if (!o.multiSelect) style |= LVS_SINGLESEL;
  if (!o.readOnly) style |= LVS_EDITLABELS;
  CreateStandardWindow(WC_LISTVIEWW, style, WS_EX_CLIENTEDGE);
  DWORD ex = 0;
  if (o.checkBoxes) ex |= LVS_EX_CHECKBOXES;
  if (o.rowSelect) ex |= LVS_EX_FULLROWSELECT;
  if (o.hotTrack) ex |= LVS_EX_TRACKSELECT;
  if (o.gridLines) ex |= LVS_EX_GRIDLINES;
  ListView_SetExtendedListViewStyle(hwnd_, ex);
  if (o.checkBoxes) checkBoxStates_ = ListView_GetImageList(hwnd_, LVSIL_STATE);
  SetBounds(left, top, width, height);
}

TListView::~TListView() {
  // The window is still there unless something destroyed it first (then WM_DESTROY came here).
  ReleaseCheckBoxStates();
}

LRESULT TListView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) ReleaseCheckBoxStates();
  return TControl::WndProc(msg, wParam, lParam);
}

void TListView::ReleaseCheckBoxStates() {
  HIMAGELIST states = std::exchange(checkBoxStates_, nullptr);
  if (!states || !hwnd_ || !IsWindow(hwnd_)) return;
  // Without the shared style the view frees its lists itself; a state list put in its place by
  // someone else is that one's to free, along with this one, which it was handed back.
  if (!(GetWindowLongW(hwnd_, GWL_STYLE) & LVS_SHAREIMAGELISTS)) return;
  if (ListView_GetImageList(hwnd_, LVSIL_STATE) != states) return;
  ListView_SetImageList(hwnd_, nullptr, LVSIL_STATE);
  TImageListHandle owned(states);
}

void TListView::AddColumn(const std::string& caption, int width, int format) {
  const std::wstring text = WideFrom(caption);
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  c.fmt = format;
  c.cx = width;
  c.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(hwnd_, LVM_INSERTCOLUMNW, ColumnCount(), (LPARAM)&c);
}

int TListView::ColumnCount() const {
  HWND header = ListView_GetHeader(hwnd_);
  return header ? Header_GetItemCount(header) : 0;
}

std::string TListView::ColumnCaption(int index) const {
  return NarrowFrom(ColumnCaptionW(index));
}

std::wstring TListView::ColumnCaptionW(int index) const {
  wchar_t buf[260] = L"";
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT;
  c.pszText = buf;
  c.cchTextMax = 260;
  SendMessageW(hwnd_, LVM_GETCOLUMNW, index, (LPARAM)&c);
  return buf;
}

int TListView::ColumnWidth(int index) const {
  return ListView_GetColumnWidth(hwnd_, index);
}

void TListView::AutoSizeColumn(int index, bool fitHeader) {
  ListView_SetColumnWidth(hwnd_, index, fitHeader ? LVSCW_AUTOSIZE_USEHEADER : LVSCW_AUTOSIZE);
}

int TListView::AddItem(const std::string& caption, const std::vector<std::string>& subItems,
                       int imageIndex, LPARAM data) {
  std::vector<std::wstring> wide;
  wide.reserve(subItems.size());
  for (const std::string& s : subItems) wide.push_back(WideFrom(s));
  return AddItemW(WideFrom(caption), wide, imageIndex, data);
}

int TListView::AddItemW(const std::wstring& caption, const std::vector<std::wstring>& subItems,
                        int imageIndex, LPARAM data) {
  LVITEMW it{};
  it.mask = LVIF_TEXT | LVIF_PARAM | (imageIndex >= 0 ? LVIF_IMAGE : 0);
  it.iItem = Count();
  it.pszText = const_cast<wchar_t*>(caption.c_str());
  it.iImage = imageIndex;
  it.lParam = data;
  int index = (int)SendMessageW(hwnd_, LVM_INSERTITEMW, 0, (LPARAM)&it);
  for (size_t i = 0; index >= 0 && i < subItems.size(); ++i)
    SetSubItemW(index, (int)i, subItems[i]);
  return index;
}

int TListView::Count() const {
  return (int)SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0);
}

static std::wstring ItemText(HWND hwnd, int item, int column) {
  // The view answers with what fits: a text that (nearly) fills the buffer may have been cut, so
  // it is read again into a larger one.
  for (size_t size = 1024;; size *= 4) {
    std::wstring buf(size, L'\0');
    LVITEMW it{};
    it.iSubItem = column;
    it.pszText = buf.data();
    it.cchTextMax = static_cast<int>(size);
    const int n = static_cast<int>(SendMessageW(hwnd, LVM_GETITEMTEXTW, item, (LPARAM)&it));
    if (n + 2 < static_cast<int>(size) || size >= (1u << 20)) {
      buf.resize(n < 0 ? 0 : static_cast<size_t>(n));
      return buf;
    }
  }
}

std::string TListView::Caption(int item) const {
  return NarrowFrom(CaptionW(item));
}

std::wstring TListView::CaptionW(int item) const {
  return ItemText(hwnd_, item, 0);
}

std::string TListView::SubItem(int item, int subItem) const {
  return NarrowFrom(SubItemW(item, subItem));
}

std::wstring TListView::SubItemW(int item, int subItem) const {
  return ItemText(hwnd_, item, subItem + 1);
}

static void SetItemText(HWND hwnd, int item, int column, const std::wstring& text) {
  LVITEMW it{};
  it.iSubItem = column;
  it.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(hwnd, LVM_SETITEMTEXTW, item, (LPARAM)&it);
}

void TListView::SetItemCaption(int item, const std::string& text) {
  SetItemText(hwnd_, item, 0, WideFrom(text));
}

void TListView::SetItemCaptionW(int item, const std::wstring& text) {
  SetItemText(hwnd_, item, 0, text);
}

void TListView::SetSubItem(int item, int subItem, const std::string& text) {
  SetItemText(hwnd_, item, subItem + 1, WideFrom(text));
}

void TListView::SetSubItemW(int item, int subItem, const std::wstring& text) {
  SetItemText(hwnd_, item, subItem + 1, text);
}

int TListView::ItemImage(int item) const {
  LVITEMW it{};
  it.mask = LVIF_IMAGE;
  it.iItem = item;
  if (!SendMessageW(hwnd_, LVM_GETITEMW, 0, (LPARAM)&it)) return I_IMAGENONE;
  return it.iImage;
}

void TListView::SetItemImage(int item, int imageIndex) {
  LVITEMW it{};
  it.mask = LVIF_IMAGE;
  it.iItem = item;
  it.iImage = imageIndex >= 0 ? imageIndex : I_IMAGENONE;
  SendMessageW(hwnd_, LVM_SETITEMW, 0, (LPARAM)&it);
}

void TListView::RedrawItem(int item) {
  ListView_RedrawItems(hwnd_, item, item);
}

LPARAM TListView::Data(int item) const {
  LVITEMW it{};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  SendMessageW(hwnd_, LVM_GETITEMW, 0, (LPARAM)&it);
  return it.lParam;
}

bool TListView::Checked(int item) const {
  return ListView_GetCheckState(hwnd_, item) != 0;
}

void TListView::SetChecked(int item, bool checked) {
  ListView_SetItemState(hwnd_, item, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

bool TListView::Selected(int item) const {
  return ListView_GetItemState(hwnd_, item, LVIS_SELECTED) != 0;
}

void TListView::SetSelected(int item, bool selected) {
  UINT state = selected ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
  ListView_SetItemState(hwnd_, item, state, LVIS_SELECTED | LVIS_FOCUSED);
}

int TListView::SelectedIndex() const {
  return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
}

void TListView::Delete(int item) {
  ListView_DeleteItem(hwnd_, item);
}
void TListView::Clear() {
  ListView_DeleteAllItems(hwnd_);
}

void TListView::BeginUpdate() {
  if (updateDepth_++ == 0) SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void TListView::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) {
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    Invalidate();
  }
}

void TListView::SetSmallImages(HIMAGELIST images) {
  // The list has one owner, the caller: a view without this style would destroy it too.
  SetWindowLongW(hwnd_, GWL_STYLE, GetWindowLongW(hwnd_, GWL_STYLE) | LVS_SHAREIMAGELISTS);
  ListView_SetImageList(hwnd_, images, LVSIL_SMALL);
}

HIMAGELIST TListView::SmallImages() const {
  return ListView_GetImageList(hwnd_, LVSIL_SMALL);
}

bool TListView::HandleNotify(NMHDR* header, LRESULT&) {
  switch (header->code) {
    case LVN_ITEMCHANGED: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
      if (OnChange) OnChange(this, nm->iItem);
      if (OnSelectItem && (nm->uChanged & LVIF_STATE) &&
          ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED))
        OnSelectItem(this, nm->iItem);
      return false;
    }
    case LVN_DELETEITEM:
      if (OnDeleteItem) {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
        OnDeleteItem(this, nm->iItem, nm->lParam);
      }
      return false;
    case NM_CLICK:
      if (OnClick) OnClick(this);
      return false;
    case NM_DBLCLK:
      if (OnDblClick) OnDblClick(this);
      return false;
  }
  return false;
}
