#include "toolkit/Panel.h"

TPanel::TPanel(TControl* parent, const char* className) : TControl(parent) {
  CreateOwnWindow(className, WS_VISIBLE, WS_EX_CONTROLPARENT);
}

TGroupBox::TGroupBox(TControl* parent, const std::string& caption, int left, int top, int width,
                     int height)
    : TControl(parent) {
  CreateStandardWindow("BUTTON", WS_VISIBLE | BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
  SetBounds(left, top, width, height);
  SetCaption(caption);
}
