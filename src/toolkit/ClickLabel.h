// A label that acts on a click and shows the hand cursor, like a link (STATIC with SS_NOTIFY).
#pragma once

#include "toolkit/Label.h"

class TClickLabel : public TLabel {
 public:
  TClickLabel(TControl* parent, const std::string& caption, int left = 0, int top = 0);
  // Runs OnClick when the label is enabled, as a user's click would.
  void Click();
  bool HandleCommand(WORD code) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
