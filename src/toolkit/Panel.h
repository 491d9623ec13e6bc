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

 protected:
  // The system's group box draws only its frame; as a container it must fill its inside too.
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
