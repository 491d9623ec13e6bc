#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlsHost.h"
#include "support/RecordingSeams.h"
#include "controls/LinkLabel.h"
#include "controls/PaintPanel.h"
#include "toolkit/StatusBar.h"

namespace {

const COLORREF kBlue = RGB(0, 0, 255), kGreen = RGB(0, 128, 0), kRed = RGB(255, 0, 0);

SIZE Measure(const TFont& font, const std::string& text) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font.Handle());
  SIZE size{};
  GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return size;
}

class LinkLabelTest : public TControlsHost {
 protected:
  std::unique_ptr<TLinkLabel> MakeLabel(const std::string& caption) {
    auto l = std::make_unique<TLinkLabel>(&Form());
    l->SetBounds(20, 20, 0, 0);
    l->SetCaption(caption);
    return l;
  }
};

TEST(DecodeHrefTest, DecodesPlusPercentAndEscapes) {
  std::string out;
  EXPECT_TRUE(DecodeHref("http://example.org/a+b%20c%2fd", out));
  EXPECT_EQ(out, "http://example.org/a b c/d");
  EXPECT_TRUE(DecodeHref("100%%+sure", out));
  EXPECT_EQ(out, "100% sure");
  EXPECT_TRUE(DecodeHref("%D6%D0%CE%C4", out));  // bytes pass through as they are
  EXPECT_EQ(out, "中文");
  EXPECT_TRUE(DecodeHref("", out));
  EXPECT_EQ(out, "");
  EXPECT_FALSE(DecodeHref("bad%zzescape", out));
  EXPECT_FALSE(DecodeHref("cut%4", out));
  EXPECT_FALSE(DecodeHref("cut%", out));
}

TEST_F(LinkLabelTest, StartsAsABlueTransparentTabStopSizedToItsText) {
  auto l = MakeLabel("恶意软件清理");
  EXPECT_EQ(l->NotPressedColor(), kBlue);
  EXPECT_EQ(l->OverColor(), kGreen);
  EXPECT_EQ(l->PressedColor(), kRed);
  EXPECT_EQ(l->Font().Color(), kBlue);
  EXPECT_TRUE(GetWindowLongA(l->Handle(), GWL_STYLE) & WS_TABSTOP);
  SIZE text = Measure(l->Font(), "恶意软件清理");
  EXPECT_EQ(l->Width(), GetSystemMetrics(SM_CXBORDER) + text.cx + 5);
  EXPECT_EQ(l->Height(), GetSystemMetrics(SM_CYBORDER) + text.cy);
  EXPECT_EQ(l->Left(), 20);  // sizing keeps the position

  l->SetAutoSize(false);
  l->SetBounds(20, 20, 55, 14);
  l->SetCaption("a much longer caption than before");
  EXPECT_EQ(l->Width(), 55);
}

TEST_F(LinkLabelTest, SizeMakesRoomForSlantPictureAndEdge) {
  auto l = MakeLabel("Links");
  l->Font().SetItalic(true);
  EXPECT_EQ(l->Width(), GetSystemMetrics(SM_CXBORDER) + Measure(l->Font(), "Links,").cx + 5);
  l->Font().SetName("MS Sans Serif");
  EXPECT_EQ(l->Width(), GetSystemMetrics(SM_CXBORDER) + Measure(l->Font(), "Links").cx + 5);
  l->Font().SetName("宋体");
  l->Font().SetItalic(false);

  // A 16-pixel picture is taller than 12-pixel text: picture height + 2. The face's pixel size
  // for a 12-pixel line depends on the fonts installed, so it is looked for.
  SIZE text{};
  for (int height = -12; height < 0 && text.cy != 12; ++height) {
    l->Font().SetHeight(height);
    text = Measure(l->Font(), "Links");
  }
  ASSERT_EQ(text.cy, 12);
  l->SetBitmap(SolidPicture(16, 16, RGB(0, 200, 0)));
  EXPECT_EQ(l->Height(), 18);
  EXPECT_EQ(l->Width(), GetSystemMetrics(SM_CXBORDER) + text.cx + 5 + 16 + 2);

  int w = l->Width(), h = l->Height();
  l->SetBorder(true);
  EXPECT_EQ(l->Width(), w + 4);
  EXPECT_EQ(l->Height(), h + 4);
}

TEST_F(LinkLabelTest, ColourFollowsHoverPressDragOutDragInAndLeave) {
  auto l = MakeLabel("系统修复");
  int w = l->Width(), h = l->Height();

  MoveTo(*l, 3, 3);
  EXPECT_TRUE(l->Hovered());
  EXPECT_EQ(l->Font().Color(), kGreen);

  LeftDown(*l, 3, 3);
  EXPECT_TRUE(l->Pressed());
  EXPECT_FALSE(l->Hovered());
  EXPECT_EQ(l->Font().Color(), kRed);
  EXPECT_EQ(GetCapture(), l->Handle());  // drags outside are still seen
  EXPECT_TRUE(l->Focused());

  MoveTo(*l, w + 10, h + 10, MK_LBUTTON);
  EXPECT_FALSE(l->Pressed());
  EXPECT_EQ(l->Font().Color(), kBlue);
  MoveTo(*l, -3, 2, MK_LBUTTON);
  EXPECT_EQ(l->Font().Color(), kBlue);
  MoveTo(*l, 2, 2, MK_LBUTTON);
  EXPECT_TRUE(l->Pressed());
  EXPECT_EQ(l->Font().Color(), kRed);

  LeftUp(*l, 2, 2);
  EXPECT_FALSE(l->Pressed());
  EXPECT_EQ(l->Font().Color(), kBlue);
  EXPECT_NE(GetCapture(), l->Handle());

  MoveTo(*l, 4, 4);
  EXPECT_EQ(l->Font().Color(), kGreen);
  SendMessageA(l->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(l->Hovered());
  EXPECT_EQ(l->Font().Color(), kBlue);
}

TEST_F(LinkLabelTest, FontColourFromOutsideBecomesTheNormalColourOnlyWhenIdle) {
  auto l = MakeLabel("启动项目");
  l->Font().SetColor(RGB(128, 0, 128));
  EXPECT_EQ(l->NotPressedColor(), RGB(128, 0, 128));

  MoveTo(*l, 2, 2);
  l->Font().SetColor(RGB(0, 128, 128));
  EXPECT_EQ(l->NotPressedColor(), RGB(128, 0, 128));
  SendMessageA(l->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(l->Font().Color(), RGB(128, 0, 128));

  // The colour setters touch the text only in their own state.
  l->SetOverColor(RGB(1, 1, 1));
  EXPECT_EQ(l->Font().Color(), RGB(128, 0, 128));
  l->SetNotPressedColor(RGB(2, 2, 2));
  EXPECT_EQ(l->Font().Color(), RGB(2, 2, 2));
  MoveTo(*l, 2, 2);
  l->SetOverColor(RGB(3, 3, 3));
  EXPECT_EQ(l->Font().Color(), RGB(3, 3, 3));
  l->SetNotPressedColor(RGB(4, 4, 4));
  EXPECT_EQ(l->Font().Color(), RGB(3, 3, 3));
}

TEST_F(LinkLabelTest, ClickRaisesOnClickThenOpensTheDecodedAddress) {
  TSeamGuard seams;
  auto l = MakeLabel("官方网站");
  l->SetHref("http://example.org/?q=a+b%26c");
  std::vector<std::string> order;
  l->OnClick = [&](TControl*) { order.push_back("click:" + std::to_string(seams.Shell.Count())); };

  LeftDown(*l, 2, 2);
  LeftUp(*l, 2, 2);
  ASSERT_EQ(seams.Shell.Count(), 1u);
  TShellCall call = seams.Shell.Calls()[0];
  EXPECT_EQ(call.Operation, "open");
  EXPECT_EQ(call.File, "explorer");
  EXPECT_EQ(call.Parameters, "http://example.org/?q=a b&c");
  EXPECT_EQ(call.Directory, "");
  EXPECT_EQ(call.ShowCommand, SW_SHOWNORMAL);
  EXPECT_EQ(call.Owner, Form().Handle());
  EXPECT_EQ(order, std::vector<std::string>{"click:0"});

  // The right button never opens; a release outside gives no click but still opens.
  SendMessageA(l->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, At(2, 2));
  SendMessageA(l->Handle(), WM_RBUTTONUP, 0, At(2, 2));
  EXPECT_EQ(seams.Shell.Count(), 1u);
  LeftDown(*l, 2, 2);
  LeftUp(*l, 500, 500);
  EXPECT_EQ(seams.Shell.Count(), 2u);
  EXPECT_EQ(order.size(), 1u);

  // A malformed address resets the colour and opens nothing.
  l->SetHref("http://example.org/%G1");
  LeftDown(*l, 2, 2);
  LeftUp(*l, 2, 2);
  EXPECT_EQ(seams.Shell.Count(), 2u);
  EXPECT_EQ(l->Font().Color(), kBlue);
}

TEST_F(LinkLabelTest, EnterActsAsAReleaseWithoutTheClickEvent) {
  TSeamGuard seams;
  auto l = MakeLabel("关于");
  int clicks = 0;
  l->OnClick = [&](TControl*) { ++clicks; };
  l->SetFocus();
  SendMessageA(l->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(2, 2));
  ReleaseCapture();
  ASSERT_EQ(l->Font().Color(), kRed);

  Char(*l, '\r');  // empty address: only the colour goes back
  EXPECT_EQ(l->Font().Color(), kBlue);
  EXPECT_FALSE(l->Pressed());
  EXPECT_EQ(seams.Shell.Count(), 0u);
  EXPECT_EQ(clicks, 0);

  l->SetHref("http://example.org/help");
  Char(*l, '\r');
  ASSERT_EQ(seams.Shell.Count(), 1u);
  EXPECT_EQ(seams.Shell.Calls()[0].Parameters, "http://example.org/help");
  EXPECT_EQ(clicks, 0);

  MSG enter{l->Handle(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  EXPECT_TRUE(SendMessageA(l->Handle(), WM_GETDLGCODE, VK_RETURN, (LPARAM)&enter) &
              DLGC_WANTMESSAGE);
}

TEST_F(LinkLabelTest, StatusPanelShowsTheAddressAndGetsItsTextBackOnFocusLoss) {
  TStatusBar bar(&Form());
  bar.SetPanelWidths({100, 200});
  bar.SetPanelText(1, "就绪");
  auto l = MakeLabel("在线帮助");
  auto other = MakeLabel("其他");
  other->SetTop(60);
  l->SetHref("http://example.org/");
  l->SetStatusBar(&bar);
  l->SetStatusPanelNo(1);
  int enters = 0, exits = 0;
  l->OnEnter = [&](TLinkLabel*) { ++enters; };
  l->OnExit = [&](TLinkLabel*) { ++exits; };

  MoveTo(*l, 2, 2);
  EXPECT_EQ(bar.PanelText(1), "http://example.org/");
  EXPECT_EQ(bar.PanelText(0), "");
  SendMessageA(l->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(bar.PanelText(1), "http://example.org/");  // leaving does not restore

  bar.SetPanelText(1, "就绪");
  other->SetFocus();
  l->SetFocus();
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(bar.PanelText(1), "http://example.org/");
  other->SetFocus();
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(bar.PanelText(1), "就绪");

  // Text written over the address meanwhile is left alone.
  l->SetFocus();
  bar.SetPanelText(1, "正在扫描");
  other->SetFocus();
  EXPECT_EQ(bar.PanelText(1), "正在扫描");
}

TEST_F(LinkLabelTest, TransparentLabelShowsWhatItsParentPaintsBehindIt) {
  TPaintPanel back(&Form());
  back.SetBounds(0, 0, 300, 100);
  back.OnPaint = [](TPaintPanel*, HDC dc) {
    HBRUSH red = CreateSolidBrush(RGB(200, 0, 0)), green = CreateSolidBrush(RGB(0, 200, 0));
    RECT left{0, 0, 100, 100}, right{100, 0, 300, 100};
    FillRect(dc, &left, red);
    FillRect(dc, &right, green);
    DeleteObject(red);
    DeleteObject(green);
  };
  TLinkLabel l(&back);
  l.SetAutoSize(false);
  l.SetBounds(90, 10, 20, 14);  // straddles the colour edge at x = 100
  {
    TSnapshot s(l);
    EXPECT_EQ(s.Pixel(0, 0), RGB(200, 0, 0));
    EXPECT_EQ(s.Pixel(19, 0), RGB(0, 200, 0));
  }
  l.SetTransparent(false);
  TSnapshot s(l);
  EXPECT_EQ(s.Pixel(0, 0), RGB(255, 255, 255));
}

}  // namespace
