#pragma once

#include "toolkit/Control.h"

class TProgressBar : public TControl {
 public:
  TProgressBar(TControl* parent, int left, int top, int width, int height, bool smooth = true);
  void SetRange(int min, int max);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const;
  void SetPosition(int position);

 private:
  int min_ = 0;
  int max_ = 100;
};
