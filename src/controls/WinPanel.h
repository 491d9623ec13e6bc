// The collapsible panel of the navigation column: a coloured title band with a caption and an
// arrow, and a content area holding child controls. Clicking the title (or Space / Enter while it
// has the focus) rolls the panel up to its title or opens it again, optionally animated, and then
// reports the new state.
#pragma once

#include <functional>
#include <string>

#include "toolkit/Bitmap.h"
#include "toolkit/Control.h"
#include "toolkit/Font.h"

enum TPanelStatus { dtOpened = 0, dtClosed = 1 };

class TWinPanel;
using TOnPanelOpenedClosed = std::function<void(TWinPanel* sender, TPanelStatus scrollDirection)>;

class TWinPanel : public TControl {
 public:
  explicit TWinPanel(TControl* parent);

  // The title text; kept as the window text too, so accessibility tools read it.
  std::string Caption() const;
  const std::wstring& CaptionW() const { return caption_; }
  void SetCaptionW(const std::wstring& text) override;

  int ScrollDelay() const { return scrollDelay_; }
  void SetScrollDelay(int ms) { scrollDelay_ = ms; }
  int TitleHeight() const { return titleHeight_; }
  void SetTitleHeight(int v);
  int ContentHeight() const { return contentHeight_; }
  void SetContentHeight(int v);
  int AroundBorder() const { return aroundBorder_; }
  void SetAroundBorder(int v);
  COLORREF TitleColor() const { return titleColor_; }
  void SetTitleColor(COLORREF v);
  COLORREF ContentColor() const { return contentColor_; }
  void SetContentColor(COLORREF v);
  // Changing the returned fonts in place repaints too.
  TFont& TitleFont() { return titleFont_; }
  void SetTitleFont(const TFont& font);
  TFont& ContentFont() { return contentFont_; }
  void SetContentFont(const TFont& font);
  bool AinmateEffect() const { return animateEffect_; }
  void SetAinmateEffect(bool on) { animateEffect_ = on; }
  const TBitmap& TitleImageOpened() const { return titleImageOpened_; }
  void SetTitleImageOpened(const TBitmap& picture);
  const TBitmap& TitleImageClosed() const { return titleImageClosed_; }
  void SetTitleImageClosed(const TBitmap& picture);
  const TBitmap& ContentImage() const { return contentImage_; }
  void SetContentImage(const TBitmap& picture);
  TPanelStatus PanelStatus() const { return panelStatus_; }
  // Opens or closes the panel when the state differs; failures leave it where it got to.
  void SetPanelStatus(TPanelStatus status);

  TOnPanelOpenedClosed OnPanelOpenedClosed;

  // The one routine behind the property, the title click and the keys.
  void ChangePanelStatus(TPanelStatus status);
  // Lets pending window messages run until `ms` milliseconds have passed; 0 returns at once.
  void WaitScrollDelay(int ms);
  // Paints what lies behind the panel into `dc` (origin at the panel's top-left corner).
  void DrawParentBackground(HDC dc);

  bool Animating() const { return animating_; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Resized() override;

 private:
  void Paint(HDC dc, bool titleOnly);
  void PaintTitle(HDC dc, int width);
  void PaintContent(HDC dc, int width, int height);
  void PaintBuffered(HDC target, bool titleOnly);
  void TakeContentSnapshot();
  COLORREF BackgroundColor() const;
  bool PointerInTitle() const;
  bool InTitle(int x, int y) const;
  void Toggle();
  void MousePressed(int x, int y, bool left, bool doubleClick);
  void RepaintTitle();
  void ApplyContentHeightFloor();
  void AnimateTo(TPanelStatus status);

  std::wstring caption_;
  int scrollDelay_ = 0;
  int titleHeight_ = 20;
  int contentHeight_ = 0;
  int aroundBorder_ = 1;
  COLORREF titleColor_;
  COLORREF contentColor_ = 0;
  TFont titleFont_;
  TFont contentFont_;
  bool animateEffect_ = false;
  TBitmap titleImageOpened_;
  TBitmap titleImageClosed_;
  TBitmap contentImage_;
  TPanelStatus panelStatus_ = dtOpened;

  TBitmap titleBuffer_;
  TBitmap contentSnapshot_;
  TBitmap arrow_;
  const char* arrowName_ = nullptr;
  bool animating_ = false;
  bool titleOnlyRepaint_ = false;
  bool clicked_ = false;  // a left press on the panel waits for its release
};
