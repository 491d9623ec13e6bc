// A STATIC window: its window text is the caption screen readers and tests read.
#pragma once

#include "toolkit/Control.h"

class TLabel : public TControl {
 public:
  TLabel(TControl* parent, const std::string& caption, int left = 0, int top = 0, int width = 0,
         int height = 0);
  // Sizes the label to its text (the default, like a designer label with AutoSize on).
  void SetAutoSize(bool on);
  void SetCaptionW(const std::wstring& text) override;
  void AdjustSize();

 protected:
  void FontChanged() override;

 private:
  bool autoSize_ = true;
};
