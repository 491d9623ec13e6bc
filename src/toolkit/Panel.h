// Plain containers: a panel (optionally coloured) and a titled group box. Children placed inside
// get their commands and notifications reflected like on any container.
#pragma once

#include "toolkit/Control.h"

class TPanel : public TControl {
 public:
  explicit TPanel(TControl* parent, const char* className = "TPanel");
};

class TGroupBox : public TControl {
 public:
  TGroupBox(TControl* parent, const std::string& caption, int left, int top, int width, int height);
};
