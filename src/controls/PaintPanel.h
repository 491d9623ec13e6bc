// A plain container whose whole look is drawn by its owner through OnPaint: no frame, no bevel,
// no caption of its own. Used for the title band, whose background the main window paints.
#pragma once

#include <functional>

#include "toolkit/Control.h"

class TPaintPanel : public TControl {
 public:
  explicit TPaintPanel(TControl* parent);

  // Called with the panel's font selected and its colour as the brush; a handler that throws is
  // ignored so the rest of the window still paints.
  std::function<void(TPaintPanel*, HDC)> OnPaint;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void PaintStep(HDC dc);
};
