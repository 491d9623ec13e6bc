// The cleaning log of the page: a read-only memo with a vertical scroll bar and no word wrap, so
// that every file keeps one line however long its path.
#pragma once

#include "toolkit/Memo.h"

class TTmpFileMemo : public TMemo {
 public:
  explicit TTmpFileMemo(TControl* parent);
};
