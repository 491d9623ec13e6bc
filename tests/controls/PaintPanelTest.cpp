#include <gtest/gtest.h>

#include <stdexcept>

#include "ControlsHost.h"
#include "controls/LinkLabel.h"
#include "controls/PaintPanel.h"
#include "controls/WinPanel.h"

namespace {

using PaintPanelTest = TControlsHost;

std::string WindowText(HWND h) {
  char buf[256] = {};
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

TEST_F(PaintPanelTest, OwnerDrawsEverythingWithThePanelsColourAndFont) {
  TPaintPanel p(&Form());
  p.SetBounds(0, 0, 200, 60);
  p.SetColor(RGB(30, 60, 90));
  EXPECT_EQ(WindowText(p.Handle()), "");  // no caption of its own
  EXPECT_FALSE(GetWindowLongA(p.Handle(), GWL_STYLE) & WS_BORDER);

  {  // without a handler nothing at all is drawn, not even the background
    TSnapshot s(p, RGB(7, 7, 7));
    EXPECT_EQ(s.Pixel(100, 30), RGB(7, 7, 7));
  }

  int calls = 0;
  COLORREF brushColour = 0;
  HGDIOBJ font = nullptr;
  p.OnPaint = [&](TPaintPanel*, HDC dc) {
    ++calls;
    LOGBRUSH lb{};
    GetObjectA(GetCurrentObject(dc, OBJ_BRUSH), sizeof lb, &lb);
    brushColour = lb.lbColor;
    font = GetCurrentObject(dc, OBJ_FONT);
    RECT r{0, 0, 200, 60};
    FillRect(dc, &r, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
  };
  TSnapshot s(p);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(brushColour, RGB(30, 60, 90));
  EXPECT_EQ(font, p.Font().Handle());
  EXPECT_EQ(s.Pixel(100, 30), RGB(30, 60, 90));

  // An erase request is reported as handled and paints at once.
  HDC dc = GetDC(p.Handle());
  EXPECT_NE(SendMessageA(p.Handle(), WM_ERASEBKGND, (WPARAM)dc, 0), 0);
  ReleaseDC(p.Handle(), dc);
  EXPECT_EQ(calls, 2);
}

TEST_F(PaintPanelTest, ThrowingHandlerIsSwallowedAndOtherControlsStillPaint) {
  TPaintPanel failing(&Form()), next(&Form());
  failing.SetBounds(0, 0, 200, 40);
  next.SetBounds(0, 50, 200, 40);
  int failed = 0, painted = 0;
  failing.OnPaint = [&](TPaintPanel*, HDC) {
    ++failed;
    throw std::runtime_error("drawing failed");
  };
  next.OnPaint = [&](TPaintPanel*, HDC) { ++painted; };

  { TSnapshot s(failing); }
  EXPECT_EQ(failed, 1);

  // A real paint cycle through the window procedure.
  failed = painted = 0;
  RedrawWindow(Form().Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_GE(failed, 1);
  EXPECT_GE(painted, 1);
  // Nothing is left to paint: the failing panel's update region was validated.
  EXPECT_FALSE(GetUpdateRect(failing.Handle(), nullptr, FALSE));
}

TEST(ControlCaptions, WindowTextsAreTheCaptions) {
  TForm form("TCaptionsTestForm", false);
  TWinPanel panel(&form);
  panel.SetCaption("系统工具");
  EXPECT_EQ(WindowText(panel.Handle()), "系统工具");
  EXPECT_EQ(panel.Caption(), "系统工具");
  SetWindowTextA(panel.Handle(), "垃圾清理");  // set from outside: the title follows
  EXPECT_EQ(panel.Caption(), "垃圾清理");

  TLinkLabel link(&panel);
  link.SetCaption("注册表备份");
  EXPECT_EQ(WindowText(link.Handle()), "注册表备份");
  int w = link.Width();
  SetWindowTextA(link.Handle(), "注册表备份与恢复");
  EXPECT_GT(link.Width(), w);  // and resizes to it

  char cls[32] = {};
  GetClassNameA(link.Handle(), cls, sizeof cls);
  EXPECT_STREQ(cls, "TLinkLabel");
  TPaintPanel band(&form);
  GetClassNameA(band.Handle(), cls, sizeof cls);
  EXPECT_STREQ(cls, "TPaintPanel");
}

}  // namespace
