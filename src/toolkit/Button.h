// Push buttons and check boxes (BUTTON windows). Click() acts as a user's click would.
#pragma once

#include "toolkit/Control.h"

class TButton : public TControl {
 public:
  TButton(TControl* parent, const std::string& caption, int left, int top, int width, int height);
  // Runs OnClick when the button is enabled, as BN_CLICKED would.
  void Click();
  // A small picture left of the caption (owned by the caller; must outlive the button).
  void SetGlyph(HBITMAP bitmap);
  bool HandleCommand(WORD code) override;
};

class TCheckBox : public TControl {
 public:
  TCheckBox(TControl* parent, const std::string& caption, int left, int top, int width, int height);
  bool Checked() const;
  // Changing the state from code raises OnClick too, as a designer check box does.
  void SetChecked(bool checked);
  bool HandleCommand(WORD code) override;
};
