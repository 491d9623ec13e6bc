#include "controls/LinkLabel.h"

#include <windowsx.h>

#include "controls/ControlHelpers.h"
#include "system/Handles.h"
#include "system/Seams.h"
#include "toolkit/StatusBar.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Handlers are the owner's code: a failure there must not unwind through the window procedure.
template <typename Fn, typename... Args>
void Raise(const Fn& handler, Args... args) {
  if (!handler) return;
  try {
    handler(args...);
  } catch (...) {
  }
}

}  // namespace

bool DecodeHref(const std::string& href, std::string& out) {
  out.clear();
  for (size_t i = 0; i < href.size(); ++i) {
    char c = href[i];
    if (c == '+') {
      out += ' ';
    } else if (c != '%') {
      out += c;
    } else if (i + 1 < href.size() && href[i + 1] == '%') {
      out += '%';
      ++i;
    } else {
      if (i + 2 >= href.size()) return false;
      int hi = HexValue(href[i + 1]), lo = HexValue(href[i + 2]);
      if (hi < 0 || lo < 0) return false;
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    }
  }
  return true;
}

TLinkLabel::TLinkLabel(TControl* parent) : TControl(parent) {
  font_.SetColor(notPressedColor_);
  CreateOwnWindow("TLinkLabel", WS_VISIBLE | WS_TABSTOP, 0);
  SetColor(RGB(255, 255, 255));
  ready_ = true;
  AdjustLabelSize();  // sizes it to its (empty) caption: a label starts sized to fit
}

void TLinkLabel::SetAutoSize(bool on) {
  autoSize_ = on;
  if (on) AdjustLabelSize();
}

void TLinkLabel::SetUnderLineType(TUnderLineType type) {
  if (type == underLineType_) return;
  underLineType_ = type;
  Invalidate();
}

void TLinkLabel::SetNotPressedColor(COLORREF color) {
  notPressedColor_ = color;
  if (!hovered_ && !pressed_) SetFontColor(color);
}

void TLinkLabel::SetOverColor(COLORREF color) {
  overColor_ = color;
  if (hovered_ && !pressed_) SetFontColor(color);
}

void TLinkLabel::SetTransparent(bool on) {
  if (on == transparent_) return;
  transparent_ = on;
  Invalidate();
}

void TLinkLabel::SetBitmap(const TBitmap& picture) {
  if (&picture != &bitmap_) bitmap_ = picture;
  AdjustLabelSize();
  Repaint();
}

void TLinkLabel::SetBorder(bool on) {
  if (on == border_) return;
  border_ = on;
  AdjustLabelSize();  // the edge needs its 2 pixels on every side
  Invalidate();
}

void TLinkLabel::SetFontColor(COLORREF color) {
  font_.SetColor(color);
}

void TLinkLabel::FontChanged() {
  if (!ready_ || !hwnd_) return;
  // A colour set from outside while idle is the new normal colour.
  if (font_.Color() != notPressedColor_ && !hovered_ && !pressed_) notPressedColor_ = font_.Color();
  Invalidate();
  AdjustLabelSize();
}

void TLinkLabel::AdjustLabelSize() {
  if (!ready_ || !autoSize_ || !hwnd_) return;
  std::wstring text = CaptionW();
  // An italic face leans past its measured width; a comma's worth of room covers the slant.
  if (font_.Name() != "MS Sans Serif" && font_.Italic()) text += L",";
  SIZE size{};
  {
    TWindowDC screen;
    TSelectGuard face(screen.get(), font_.Handle());
    GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
  }
  int w = GetSystemMetrics(SM_CXBORDER) + size.cx + 5;
  if (bitmap_.Width() > 0) w += bitmap_.Width() + 2;
  int h = GetSystemMetrics(SM_CYBORDER) + size.cy;
  if (h < bitmap_.Height()) h = bitmap_.Height() + 2;
  if (border_) {
    w += 4;
    h += 4;
  }
  SetBounds(Left(), Top(), w, h);
}

void TLinkLabel::SetPressedLook(bool on) {
  pressed_ = on;
  SetFontColor(on ? pressedColor_ : notPressedColor_);
  Repaint();
}

void TLinkLabel::PaintBuffered(HDC target) {
  int w = ClientWidth(), h = ClientHeight();
  if (w <= 0 || h <= 0) return;
  TBitmap buffer(w, h);
  TMemoryCanvas canvas(buffer.Handle());
  PaintTo(canvas.Dc());
  BitBlt(target, 0, 0, w, h, canvas.Dc(), 0, 0, SRCCOPY);
}

void TLinkLabel::PaintTo(HDC dc) {
  int w = ClientWidth(), h = ClientHeight();
  RECT all{0, 0, w, h};
  FillSolid(dc, all, color_);  // also what shows where a parent paints nothing
  if (transparent_) PaintParentBackground(*this, dc);
  if (border_) {
    if (hovered_)
      DrawEdge(dc, &all, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
    else if (pressed_)
      DrawEdge(dc, &all, BDR_SUNKENINNER, BF_RECT | BF_MIDDLE);
  }
  Raise(OnPaint, this, dc);

  // The underline is a drawing choice: Font() keeps the style the owner gave it.
  TFont face(font_);
  bool lit = hovered_ || pressed_;
  if (underLineType_ == ultAddUnderLine) face.SetUnderline(lit);
  if (underLineType_ == ultRemoveUnderLine) face.SetUnderline(!lit);
  int saved = SaveDC(dc);
  SelectObject(dc, face.Handle());
  SetBkMode(dc, transparent_ ? TRANSPARENT : OPAQUE);
  SetBkColor(dc, color_);
  SetTextColor(dc, font_.Color());

  int x0 = border_ ? 3 : 1;
  if (!bitmap_.Empty()) {
    bitmap_.DrawTransparent(dc, x0, (h - bitmap_.Height()) / 2);
    x0 = bitmap_.Width() + 5 + (border_ ? 2 : 0);
  }
  const std::wstring text = CaptionW();
  if (!text.empty()) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    RECT r{x0, (h - size.cy) / 2, w - 1, h - 1};
    if (border_) {
      r.top += 1;
      r.right -= 2;
      r.bottom -= 2;
    }
    if (IsWindowEnabled(hwnd_)) {
      DrawTextW(dc, text.c_str(), -1, &r, 0);
    } else {
      SetBkMode(dc, TRANSPARENT);
      RECT shade = r;
      OffsetRect(&shade, 1, 1);
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      DrawTextW(dc, text.c_str(), -1, &shade, 0);
      SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
      DrawTextW(dc, text.c_str(), -1, &r, 0);
    }
  }
  RestoreDC(dc, saved);

  if (Focused()) {
    TGdiObject<HBRUSH> brush(CreateSolidBrush(color_));
    FrameRect(dc, &all, brush.get());
    DrawFocusRect(dc, &all);
  }
}

void TLinkLabel::ButtonDown(bool left, bool doubleClick) {
  if (CanFocus()) SetFocus();
  if (left) {
    pressed_ = true;
    hovered_ = false;
    pressedInside_ = true;
    clicked_ = true;
    SetFontColor(pressedColor_);
    Invalidate();
  }
  // Held until release, so dragging out of the label and back in is seen.
  SetCapture(hwnd_);
  if (left && doubleClick) Raise(OnDblClick, this);
}

void TLinkLabel::ButtonUp(bool left, int x, int y, bool raiseClick) {
  bool inside = x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight();
  bool click = raiseClick && left && clicked_ && inside;
  if (left) clicked_ = false;
  if (click) Raise(OnClick, this);
  if (!hwnd_) return;
  pressed_ = false;
  SetFontColor(notPressedColor_);
  Repaint();
  ProcessPendingMessages();
  if (hwnd_ && left && !href_.empty()) OpenHref();
}

void TLinkLabel::OpenHref() {
  std::string address;
  if (!DecodeHref(href_, address)) return;  // malformed: nothing is opened, nothing is said
  Seams::Shell().ShellExecute(GetAncestor(hwnd_, GA_ROOT), "open", "explorer", address, "",
                              SW_SHOWNORMAL);
}

void TLinkLabel::MouseMoved(WPARAM keys, int x, int y) {
  int w = ClientWidth(), h = ClientHeight();
  if (statusBar_ && x <= w && y <= h && statusBar_->PanelText(statusPanelNo_) != href_)
    statusBar_->SetPanelText(statusPanelNo_, href_);
  if (!(keys & (MK_LBUTTON | MK_MBUTTON))) {
    bool changed = !hovered_ || pressed_;
    pressed_ = false;
    hovered_ = true;
    SetFontColor(overColor_);
    if (changed) Invalidate();
    if (!trackingLeave_) {
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
      trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
    return;
  }
  bool inside = x >= 0 && x <= w && y >= 0 && y <= h;
  if (inside && !pressedInside_) {
    pressedInside_ = true;
    SetPressedLook(true);
  } else if (!inside && pressedInside_) {
    pressedInside_ = false;
    SetPressedLook(false);
  }
}

void TLinkLabel::MouseLeft() {
  trackingLeave_ = false;
  if (!hovered_ || !IsWindowEnabled(hwnd_)) return;
  hovered_ = false;
  SetFontColor(notPressedColor_);
  Invalidate();
}

void TLinkLabel::FocusGained() {
  Raise(OnEnter, this);
  if (statusBar_) {
    savedStatusText_ = statusBar_->PanelText(statusPanelNo_);
    statusBar_->SetPanelText(statusPanelNo_, href_);
  }
  Invalidate();
}

void TLinkLabel::FocusLost() {
  hovered_ = false;
  pressed_ = false;
  SetFontColor(notPressedColor_);
  Raise(OnExit, this);
  // Only put the old text back when nobody has written over the address since.
  if (statusBar_ && statusBar_->PanelText(statusPanelNo_) == href_)
    statusBar_->SetPanelText(statusPanelNo_, savedStatusText_);
  Invalidate();
}

LRESULT TLinkLabel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers the whole label
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      PaintBuffered(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintBuffered(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefaultProc(msg, wParam, lParam);
      AdjustLabelSize();
      Invalidate();
      return r;
    }
    case WM_ENABLE:
    case WM_WINDOWPOSCHANGED:
      Invalidate();  // a transparent label shows what is behind its new place
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ButtonDown(true, msg == WM_LBUTTONDBLCLK);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      ButtonDown(false, false);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == hwnd_)
        ReleaseCapture();
      ButtonUp(msg == WM_LBUTTONUP, x, y, true);
      return 0;
    case WM_MOUSEMOVE:
      MouseMoved(wParam, x, y);
      return 0;
    case WM_MOUSELEAVE:
      MouseLeft();
      return 0;
    case WM_SETFOCUS:
      FocusGained();
      return 0;
    case WM_KILLFOCUS:
      FocusLost();
      return 0;
    case WM_GETDLGCODE:
      // Enter opens the link, so a dialog loop must hand it over.
      return DialogCodeForCharsAndEnter(lParam);
    case WM_CHAR:
      // Enter acts as a left release at (1, 1): colour back to normal and the address opened,
      // but no click event.
      if (wParam == 13) ButtonUp(true, 1, 1, false);
      return 0;
  }
  return TControl::WndProc(msg, wParam, lParam);
}
