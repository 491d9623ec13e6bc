// A list of texts, each with a check box. The items live in a real LISTBOX window whose item data
// is the check state (1 checked, 0 not), so anything that reads list boxes from outside sees both
// the text and the state.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "toolkit/Control.h"

class TCheckListBox : public TControl {
 public:
  TCheckListBox(TControl* parent, int left, int top, int width, int height);
  ~TCheckListBox() override;

  void AddItem(const std::string& text);
  void AddItemW(const std::wstring& text);
  int Count() const;
  std::string Item(int index) const;
  std::wstring ItemW(int index) const;
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  void SetItemHeight(int height);
  HWND ListHandle() const;

  // The user ticked or cleared an item (click on its box, or the space bar).
  std::function<void(TCheckListBox*, int index)> OnClickCheck;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Resized() override;
  void FontChanged() override;

 private:
  class TInnerList;
  void Toggle(int index);
  void DrawItem(const DRAWITEMSTRUCT& item);

  std::unique_ptr<TInnerList> list_;
  int itemHeight_ = 16;
};
