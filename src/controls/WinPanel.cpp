#include "controls/WinPanel.h"

#include <windowsx.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "controls/ControlHelpers.h"
#include "system/Handles.h"
#include "system/Text.h"

namespace {

HCURSOR HandCursor() {
  // IDC_HAND is missing before Windows 2000; the arrow is the honest fallback there.
  HCURSOR hand = LoadCursor(nullptr, IDC_HAND);
  return hand ? hand : LoadCursor(nullptr, IDC_ARROW);
}

}  // namespace

TWinPanel::TWinPanel(TControl* parent)
    : TControl(parent),
      titleColor_(GetSysColor(COLOR_HOTLIGHT)),
      titleFont_(TFont::Default()),
      contentFont_(TFont::Default()) {
  titleFont_.SetColor(RGB(255, 255, 255));
  titleFont_.SetBold(true);
  titleFont_.OnChange = [this] { Invalidate(); };
  contentFont_.OnChange = [this] { SetFont(contentFont_); };
  CreateOwnWindow("TWinPanel", WS_VISIBLE | WS_TABSTOP, WS_EX_CONTROLPARENT);
  SetBounds(0, 0, 185, 41);
  ApplyContentHeightFloor();
}

std::string TWinPanel::Caption() const {
  return NarrowFrom(caption_);
}

void TWinPanel::SetCaptionW(const std::wstring& text) {
  if (text == caption_) return;
  TControl::SetCaptionW(text);  // WM_SETTEXT keeps caption_ in step
}

void TWinPanel::SetTitleHeight(int v) {
  if (v == titleHeight_) return;
  titleHeight_ = v;
  Invalidate();
}

void TWinPanel::SetContentHeight(int v) {
  if (v == contentHeight_) return;
  contentHeight_ = v;
  Invalidate();
}

void TWinPanel::SetAroundBorder(int v) {
  if (v == aroundBorder_) return;
  aroundBorder_ = v;
  Invalidate();
}

void TWinPanel::SetTitleColor(COLORREF v) {
  if (v == titleColor_) return;
  titleColor_ = v;
  Invalidate();
}

void TWinPanel::SetContentColor(COLORREF v) {
  if (v == contentColor_) return;
  contentColor_ = v;
  SetColor(v);
}

void TWinPanel::SetTitleFont(const TFont& font) {
  if (&font != &titleFont_) titleFont_ = font;  // repaints through OnChange when it differs
}

void TWinPanel::SetContentFont(const TFont& font) {
  if (&font != &contentFont_) contentFont_ = font;
}

void TWinPanel::SetTitleImageOpened(const TBitmap& picture) {
  if (&picture == &titleImageOpened_) return;
  titleImageOpened_ = picture;
  Invalidate();
}

void TWinPanel::SetTitleImageClosed(const TBitmap& picture) {
  if (&picture == &titleImageClosed_) return;
  titleImageClosed_ = picture;
  Invalidate();
}

void TWinPanel::SetContentImage(const TBitmap& picture) {
  if (&picture == &contentImage_) return;
  contentImage_ = picture;
  Invalidate();
}

void TWinPanel::SetPanelStatus(TPanelStatus status) {
  if (status == panelStatus_) return;
  try {
    ChangePanelStatus(status);
  } catch (...) {
    // The panel stays at whatever height and state it reached.
  }
}

void TWinPanel::ChangePanelStatus(TPanelStatus status) {
  // Children are hidden while the panel moves so the snapshot slides cleanly, and come back as
  // they were, even when the event handler fails.
  std::vector<std::pair<HWND, bool>> children;
  for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    children.emplace_back(c, (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) != 0);
  struct TRestore {
    TWinPanel* panel;
    const std::vector<std::pair<HWND, bool>>& children;
    ~TRestore() {
      panel->animating_ = false;
      for (const auto& [child, visible] : children)
        if (IsWindow(child)) ShowWindow(child, visible ? SW_SHOWNA : SW_HIDE);
    }
  } restore{this, children};
  if (status == dtClosed) TakeContentSnapshot();
  for (const auto& entry : children) ShowWindow(entry.first, SW_HIDE);

  if (animateEffect_) {
    AnimateTo(status);
    if (!hwnd_) return;  // destroyed while messages ran
  }
  animating_ = false;
  SetHeight(status == dtClosed ? titleHeight_ + 1 : contentHeight_);
  panelStatus_ = status;
  if (OnPanelOpenedClosed) OnPanelOpenedClosed(this, status);
}

void TWinPanel::AnimateTo(TPanelStatus status) {
  animating_ = true;
  for (;;) {
    SetHeight(Height() + (status == dtClosed ? -10 : 10));
    Repaint();
    WaitScrollDelay(scrollDelay_);
    if (!hwnd_) return;
    int h = Height();
    bool more = status == dtClosed ? (h - 10 >= titleHeight_ + 1 && titleHeight_ < h)
                                   : (contentHeight_ >= h + 10 && h < contentHeight_);
    if (!more) return;
  }
}

void TWinPanel::WaitScrollDelay(int ms) {
  // A negative delay would read as an almost endless unsigned wait: treat it as none.
  if (ms <= 0) return;
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= static_cast<DWORD>(ms)) return;
    if (!ProcessPendingMessages()) return;  // the program is quitting
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms) - elapsed, QS_ALLINPUT);
  }
}

void TWinPanel::DrawParentBackground(HDC dc) {
  PaintParentBackground(*this, dc);
}

void TWinPanel::Resized() {
  ApplyContentHeightFloor();
}

void TWinPanel::ApplyContentHeightFloor() {
  if (contentHeight_ < titleHeight_ + 20) contentHeight_ = titleHeight_ + 20;
}

COLORREF TWinPanel::BackgroundColor() const {
  if (colorSet_) return color_;
  for (const TControl* p = Parent(); p; p = p->Parent())
    if (p->ColorSet()) return p->Color();
  return GetSysColor(COLOR_BTNFACE);
}

bool TWinPanel::InTitle(int x, int y) const {
  return x >= 0 && x < ClientWidth() && y >= 0 && y < titleHeight_;
}

bool TWinPanel::PointerInTitle() const {
  POINT p{};
  if (!GetCursorPos(&p)) return false;
  ScreenToClient(hwnd_, &p);
  return InTitle(p.x, p.y);
}

void TWinPanel::Toggle() {
  // Five pixels more than the title counts as open, whatever the recorded state says.
  try {
    ChangePanelStatus(std::abs(Height() - titleHeight_) > 4 ? dtClosed : dtOpened);
  } catch (...) {
    // A failing handler must not unwind through the window procedure.
  }
}

void TWinPanel::RepaintTitle() {
  if (!hwnd_) return;
  titleOnlyRepaint_ = true;
  RECT band{0, 0, ClientWidth(), titleHeight_};
  InvalidateRect(hwnd_, &band, FALSE);
  UpdateWindow(hwnd_);
}

void TWinPanel::MousePressed(int x, int y, bool left, bool doubleClick) {
  if (left && InTitle(x, y)) {
    if (animating_) return;
    Toggle();
    if (!hwnd_) return;
  }
  if (left) clicked_ = true;
  if (doubleClick && OnDblClick) OnDblClick(this);
  if (CanFocus()) {
    SetFocus();
    RepaintTitle();
  }
  if (GetCapture() == hwnd_) ReleaseCapture();
}

void TWinPanel::TakeContentSnapshot() {
  int w = ClientWidth(), h = ClientHeight();
  if (w <= 0 || h - titleHeight_ <= 0) {
    contentSnapshot_.Clear();
    return;
  }
  // Rendered rather than read from the screen, so a covered or off-screen panel slides its real
  // content, children included.
  TBitmap whole(w, h);
  {
    TMemoryCanvas canvas(whole.Handle());
    Paint(canvas.Dc(), false);
    for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (!(GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE)) continue;
      POINT at{0, 0};
      MapWindowPoints(c, hwnd_, &at, 1);
      int saved = SaveDC(canvas.Dc());
      OffsetViewportOrgEx(canvas.Dc(), at.x, at.y, nullptr);
      SendMessageW(c, WM_PRINT, reinterpret_cast<WPARAM>(canvas.Dc()),
                   PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
      RestoreDC(canvas.Dc(), saved);
    }
  }
  contentSnapshot_.Clear();
  contentSnapshot_.SetSize(w, h - titleHeight_);
  TMemoryCanvas from(whole.Handle()), to(contentSnapshot_.Handle());
  BitBlt(to.Dc(), 0, 0, w, h - titleHeight_, from.Dc(), 0, titleHeight_, SRCCOPY);
}

void TWinPanel::PaintBuffered(HDC target, bool titleOnly) {
  int w = ClientWidth(), h = titleOnly ? titleHeight_ : ClientHeight();
  if (w <= 0 || h <= 0) return;
  TBitmap buffer(w, h);
  TMemoryCanvas canvas(buffer.Handle());
  Paint(canvas.Dc(), titleOnly);
  BitBlt(target, 0, 0, w, h, canvas.Dc(), 0, 0, SRCCOPY);
}

void TWinPanel::Paint(HDC dc, bool titleOnly) {
  int w = ClientWidth(), h = ClientHeight();
  // The erase step of a buffered paint: what no step below covers shows the background.
  if (!titleOnly) FillSolid(dc, RECT{0, 0, w, h}, BackgroundColor());
  if (titleHeight_ > 0 && w > 0) PaintTitle(dc, w);
  if (!titleOnly) PaintContent(dc, w, h);
  if (Focused() && !animating_) {
    RECT band{0, 0, w, titleHeight_};
    TGdiObject<HBRUSH> brush(CreateSolidBrush(BackgroundColor()));
    FrameRect(dc, &band, brush.get());
    DrawFocusRect(dc, &band);
  }
}

void TWinPanel::PaintTitle(HDC dc, int w) {
  titleBuffer_.SetSize(w, titleHeight_);
  TMemoryCanvas band(titleBuffer_.Handle());
  HDC b = band.Dc();
  {
    TGdiObject<HBRUSH> brush(CreateSolidBrush(titleColor_));
    TGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, titleColor_));
    TSelectGuard withBrush(b, brush.get()), withPen(b, pen.get());
    Rectangle(b, 0, 0, w, titleHeight_);
  }

  if (!titleImageOpened_.Empty() || !titleImageClosed_.Empty()) {
    // The pictures are see-through: what lies behind the panel shows instead of TitleColor.
    TBitmap behind(w, ClientHeight());
    TMemoryCanvas back(behind.Handle());
    DrawParentBackground(back.Dc());
    BitBlt(b, 0, 0, w, titleHeight_, back.Dc(), 0, 0, SRCCOPY);
  }
  const TBitmap* image = nullptr;
  if (panelStatus_ == dtOpened) {
    if (!titleImageOpened_.Empty()) image = &titleImageOpened_;
  } else if (!titleImageClosed_.Empty()) {
    image = &titleImageClosed_;
  } else if (!titleImageOpened_.Empty()) {
    image = &titleImageOpened_;
  }
  if (image) image->StretchDrawTransparent(b, RECT{0, 0, w, titleHeight_});

  bool hover = PointerInTitle();
  const char* name = panelStatus_ == dtOpened ? (hover ? "ICONMOVEUP" : "ICONUP")
                                              : (hover ? "ICONMOVEDOWN" : "ICONDOWN");
  if (name != arrowName_) {
    if (!arrow_.LoadResource(name)) arrow_.Clear();
    arrowName_ = name;
  }
  if (!arrow_.Empty())
    arrow_.DrawTransparent(b, w - arrow_.Width() * 4 / 3, (titleHeight_ - arrow_.Height()) / 2);

  if (!caption_.empty()) {
    SetBkMode(b, TRANSPARENT);
    TSelectGuard withFont(b, titleFont_.Handle());
    SetTextColor(b, titleFont_.Color());
    SIZE size{};
    GetTextExtentPoint32W(b, caption_.c_str(), static_cast<int>(caption_.size()), &size);
    TextOutW(b, 2, (titleHeight_ - size.cy) / 2, caption_.c_str(),
             static_cast<int>(caption_.size()));
  }
  BitBlt(dc, 0, 0, w, titleHeight_, b, 0, 0, SRCCOPY);
}

void TWinPanel::PaintContent(HDC dc, int w, int h) {
  int border = aroundBorder_ > 0 ? aroundBorder_ : 0;
  if (border > 0) {
    // The outline stays inside the area so the content rectangle below meets it exactly.
    TGdiObject<HBRUSH> brush(CreateSolidBrush(BackgroundColor()));
    TGdiObject<HPEN> pen(CreatePen(PS_INSIDEFRAME, border, RGB(0, 0, 0)));
    TSelectGuard withBrush(dc, brush.get()), withPen(dc, pen.get());
    Rectangle(dc, 0, titleHeight_, w, h);
  }
  RECT c{border, titleHeight_ + border, w - border, h - border};
  if (c.right <= c.left || c.bottom <= c.top) return;
  if (animating_) {
    if (contentSnapshot_.Empty()) return;
    // The snapshot slides under the title as the panel shrinks or grows.
    RECT s{border, contentHeight_ - h + border, contentSnapshot_.Width() - border,
           contentSnapshot_.Height() - border};
    if (s.right <= s.left || s.bottom <= s.top) return;
    TMemoryCanvas snap(contentSnapshot_.Handle());
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, c.left, c.top, c.right - c.left, c.bottom - c.top, snap.Dc(), s.left, s.top,
               s.right - s.left, s.bottom - s.top, SRCCOPY);
  } else if (!contentImage_.Empty()) {
    contentImage_.StretchDraw(dc, c);
  }
}

LRESULT TWinPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the buffered paint covers everything
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      // A title-only request that met a wider invalid area paints everything.
      PaintBuffered(dc, titleOnlyRepaint_ && ps.rcPaint.bottom <= titleHeight_);
      titleOnlyRepaint_ = false;
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintBuffered(reinterpret_cast<HDC>(wParam), false);
      return 0;
    case WM_SETTEXT:
      caption_ = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
      Invalidate();
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MousePressed(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), true, msg == WM_LBUTTONDBLCLK);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      MousePressed(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), false, false);
      return 0;
    case WM_LBUTTONUP: {
      bool clicked = clicked_;
      clicked_ = false;
      int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
      if (clicked && x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight() && OnClick)
        OnClick(this);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      RepaintTitle();
      return 0;
    case WM_GETDLGCODE:
      // Space and Enter toggle the panel, so a dialog loop must hand them over.
      return DialogCodeForCharsAndEnter(lParam);
    case WM_CHAR:
      if ((wParam == ' ' || wParam == 13) && !animating_) Toggle();
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == hwnd_ && LOWORD(lParam) == HTCLIENT) {
        SetCursor(PointerInTitle() ? HandCursor() : LoadCursor(nullptr, IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      SetCursor(InTitle(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))
                    ? HandCursor()
                    : LoadCursor(nullptr, IDC_ARROW));
      return 0;
  }
  return TControl::WndProc(msg, wParam, lParam);
}
