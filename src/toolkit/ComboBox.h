// A drop-down list without free text (COMBOBOX with CBS_DROPDOWNLIST).
#pragma once

#include <functional>
#include <string>

#include "toolkit/Control.h"

class TComboBox : public TControl {
 public:
  // `height` includes the dropped-down list.
  TComboBox(TControl* parent, int left, int top, int width, int height = 160);
  void AddItem(const std::string& text);
  void AddItemW(const std::wstring& text);
  int Count() const;
  std::string Item(int index) const;
  std::wstring ItemW(int index) const;
  void Clear();
  int ItemIndex() const;  // -1 when nothing is selected
  // Selects from code; does not raise OnChange (only the user's choice does).
  void SetItemIndex(int index);

  std::function<void(TControl*)> OnChange;
  bool HandleCommand(WORD code) override;
};
