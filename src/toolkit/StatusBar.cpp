#include "toolkit/StatusBar.h"

#include <commctrl.h>

TStatusBar::TStatusBar(TControl* parent, int height) : TControl(parent) {
  CreateStandardWindow(STATUSCLASSNAMEA, WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN, 0);
  SetBounds(0, 0, 100, height);
  SetAlign(TAlign::Bottom);
}

void TStatusBar::SetPanelWidths(const std::vector<int>& widths) {
  widths_ = widths;
  texts_.resize(widths.size());
  std::vector<int> edges;
  int x = 0;
  for (int w : widths) edges.push_back(x += w);
  SendMessageA(hwnd_, SB_SETPARTS, edges.size(), (LPARAM)edges.data());
  for (size_t i = 0; i < texts_.size(); ++i)
    SendMessageA(hwnd_, SB_SETTEXTA, i, (LPARAM)texts_[i].c_str());
}

std::string TStatusBar::PanelText(int index) const {
  if (index < 0 || index >= (int)texts_.size()) return {};
  return texts_[index];
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
  if (index < 0 || index >= (int)texts_.size()) return;
  texts_[index] = text;
  SendMessageA(hwnd_, SB_SETTEXTA, index, (LPARAM)text.c_str());
}

RECT TStatusBar::PanelRect(int index) const {
  RECT r{};
  SendMessageA(hwnd_, SB_GETRECT, index, (LPARAM)&r);
  return r;
}
