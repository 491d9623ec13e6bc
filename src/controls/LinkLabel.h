// A custom-drawn text control that behaves like a hyperlink: the text colour follows the pointer
// (normal, over, pressed), the underline can follow it too, an optional picture sits left of the
// text, an optional edge looks like a flat button, the address can be shown in a status-bar panel
// and is opened when the label is clicked.
#pragma once

#include <functional>
#include <string>

#include "toolkit/Bitmap.h"
#include "toolkit/Control.h"

class TStatusBar;

enum TUnderLineType { ultAddUnderLine = 0, ultRemoveUnderLine = 1, ultDoNothing = 2 };

// Decodes an address written in URL form: "+" becomes a space, "%" with two hex digits that byte,
// "%%" a single "%". Returns false (and leaves `out` unspecified) on a malformed escape.
bool DecodeHref(const std::string& href, std::string& out);

class TLinkLabel : public TControl {
 public:
  explicit TLinkLabel(TControl* parent);

  // Caption() / SetCaption() are the window text; the label resizes to it.

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool on);
  TUnderLineType UnderLineType() const { return underLineType_; }
  void SetUnderLineType(TUnderLineType type);
  COLORREF PressedColor() const { return pressedColor_; }
  void SetPressedColor(COLORREF color) { pressedColor_ = color; }
  COLORREF NotPressedColor() const { return notPressedColor_; }
  void SetNotPressedColor(COLORREF color);
  COLORREF OverColor() const { return overColor_; }
  void SetOverColor(COLORREF color);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on);
  const std::string& Href() const { return href_; }
  void SetHref(const std::string& href) { href_ = href; }
  TStatusBar* StatusBar() const { return statusBar_; }
  void SetStatusBar(TStatusBar* bar) { statusBar_ = bar; }
  int StatusPanelNo() const { return statusPanelNo_; }
  void SetStatusPanelNo(int index) { statusPanelNo_ = index; }
  const TBitmap& Bitmap() const { return bitmap_; }
  void SetBitmap(const TBitmap& picture);
  bool Border() const { return border_; }
  void SetBorder(bool on);

  // Called while painting, after the background and edge and before the text.
  std::function<void(TLinkLabel*, HDC)> OnPaint;
  std::function<void(TLinkLabel*)> OnEnter;
  std::function<void(TLinkLabel*)> OnExit;

  // Sizes the label to its text and picture (when AutoSize is on).
  void AdjustLabelSize();
  // Shows or clears the pressed look while a button is held and the pointer moves in or out.
  void SetPressedLook(bool on);

  bool Hovered() const { return hovered_; }
  bool Pressed() const { return pressed_; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void FontChanged() override;

 private:
  void PaintTo(HDC dc);
  void PaintBuffered(HDC target);
  void ButtonDown(bool left, bool doubleClick);
  void ButtonUp(bool left, int x, int y, bool raiseClick);
  void MouseMoved(WPARAM keys, int x, int y);
  void MouseLeft();
  void FocusGained();
  void FocusLost();
  void OpenHref();
  void SetFontColor(COLORREF color);

  bool ready_ = false;  // construction finished: font changes follow the colour rules
  bool autoSize_ = true;
  TUnderLineType underLineType_ = ultAddUnderLine;
  COLORREF pressedColor_ = RGB(255, 0, 0);
  COLORREF notPressedColor_ = RGB(0, 0, 255);
  COLORREF overColor_ = RGB(0, 128, 0);
  bool transparent_ = true;
  std::string href_;
  TStatusBar* statusBar_ = nullptr;
  int statusPanelNo_ = 0;
  TBitmap bitmap_;
  bool border_ = false;

  bool hovered_ = false;
  bool pressed_ = false;
  bool pressedInside_ = false;
  bool clicked_ = false;        // a left press on the label waits for its release
  bool trackingLeave_ = false;  // a leave notification has been asked for
  std::string savedStatusText_;
};
