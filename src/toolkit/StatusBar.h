// The status bar with fixed-width panels; panel texts are read back by tests and screen readers.
#pragma once

#include <string>
#include <vector>

#include "toolkit/Control.h"

class TStatusBar : public TControl {
 public:
  explicit TStatusBar(TControl* parent, int height = 19);
  void SetPanelWidths(const std::vector<int>& widths);
  int PanelCount() const { return (int)widths_.size(); }
  std::string PanelText(int index) const;
  const std::wstring& PanelTextW(int index) const;
  void SetPanelText(int index, const std::string& text);
  void SetPanelTextW(int index, const std::wstring& text);
  // The rectangle of a panel in the bar's client coordinates.
  RECT PanelRect(int index) const;

 private:
  std::vector<int> widths_;
  std::vector<std::wstring> texts_;
};
