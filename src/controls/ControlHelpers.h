// Small drawing and message-loop helpers shared by the custom-drawn controls.
#pragma once

#include <windows.h>

#include "system/Handles.h"

class TControl;

// Paints what the parent shows behind `control` into `dc`, whose origin is the control's top-left
// corner. The parent is asked to erase and then to paint its client area (WM_ERASEBKGND, then
// WM_PRINTCLIENT), with the origin moved by the control's position and clipped to the parent's
// client area. Does nothing without a parent.
void PaintParentBackground(const TControl& control, HDC dc);

// Runs the messages waiting in the thread's queue, as a long step in a handler does to keep the
// window alive. A quit request is put back for the main loop; returns false when one was seen.
bool ProcessPendingMessages();

void FillSolid(HDC dc, const RECT& r, COLORREF color);

// The WM_GETDLGCODE answer of a control that acts on its own characters and on Enter, so that a
// dialog loop hands both over instead of pressing a default button.
LRESULT DialogCodeForCharsAndEnter(LPARAM lParam);

// A memory DC with a bitmap selected, undone on scope exit.
class TMemoryCanvas {
 public:
  explicit TMemoryCanvas(HBITMAP bitmap);
  TMemoryCanvas(const TMemoryCanvas&) = delete;
  TMemoryCanvas& operator=(const TMemoryCanvas&) = delete;
  HDC Dc() const { return dc_.get(); }

 private:
  TMemoryDC dc_;  // declared first: deleted after the bitmap is put back
  TSelectGuard picture_;
};
