#include "toolkit/StatusBar.h"

#include <commctrl.h>

#include "system/Text.h"

TStatusBar::TStatusBar(TControl* parent, int height) : TControl(parent) {
  CreateStandardWindow(STATUSCLASSNAMEW, WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN, 0);
  SetBounds(0, 0, 100, height);
  SetAlign(TAlign::Bottom);
}

void TStatusBar::SetPanelWidths(const std::vector<int>& widths) {
  widths_ = widths;
  texts_.resize(widths.size());
  std::vector<int> edges;
  int x = 0;
  for (int w : widths) edges.push_back(x += w);
  SendMessageW(hwnd_, SB_SETPARTS, edges.size(), (LPARAM)edges.data());
  for (size_t i = 0; i < texts_.size(); ++i)
    SendMessageW(hwnd_, SB_SETTEXTW, i, (LPARAM)texts_[i].c_str());
}

std::string TStatusBar::PanelText(int index) const {
  return NarrowFrom(PanelTextW(index));
}

const std::wstring& TStatusBar::PanelTextW(int index) const {
  static const std::wstring kNone;
  if (index < 0 || index >= (int)texts_.size()) return kNone;
  return texts_[index];
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
  SetPanelTextW(index, WideFrom(text));
}

void TStatusBar::SetPanelTextW(int index, const std::wstring& text) {
  if (index < 0 || index >= (int)texts_.size()) return;
  texts_[index] = text;
  SendMessageW(hwnd_, SB_SETTEXTW, index, (LPARAM)text.c_str());
}

RECT TStatusBar::PanelRect(int index) const {
  RECT r{};
  SendMessageW(hwnd_, SB_GETRECT, index, (LPARAM)&r);
  return r;
}
