#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "ControlsHost.h"
#include "controls/LinkLabel.h"
#include "controls/WinPanel.h"

namespace {

struct TEvents {
  std::vector<TPanelStatus> States;
  void Attach(TWinPanel& p) {
    p.OnPanelOpenedClosed = [this](TWinPanel*, TPanelStatus s) { States.push_back(s); };
  }
};

class WinPanelTest : public TControlsHost {
 protected:
  // An open 150 x 100 panel with a 20-pixel title, stacked at the top of the form.
  std::unique_ptr<TWinPanel> MakePanel() {
    auto p = std::make_unique<TWinPanel>(&Form());
    p->SetBounds(0, 0, 150, 100);
    p->SetContentHeight(100);
    p->SetAlign(TAlign::Top);
    return p;
  }
};

TEST_F(WinPanelTest, StartsOpenAndRaisesContentHeightToTitlePlusTwenty) {
  TWinPanel p(&Form());
  EXPECT_EQ(p.PanelStatus(), dtOpened);
  EXPECT_EQ(p.TitleHeight(), 20);
  EXPECT_EQ(p.ContentHeight(), 40);  // 0 raised at creation
  EXPECT_TRUE(GetWindowLongA(p.Handle(), GWL_STYLE) & WS_TABSTOP);

  p.SetTitleHeight(22);
  p.SetContentHeight(10);
  EXPECT_EQ(p.ContentHeight(), 10);  // stored as given until the next resize
  p.SetHeight(60);
  EXPECT_EQ(p.ContentHeight(), 42);
  p.SetContentHeight(80);
  p.SetHeight(61);
  EXPECT_EQ(p.ContentHeight(), 80);  // a larger value is left alone
}

TEST_F(WinPanelTest, ClosesAndOpensWithoutAnimationRaisingOneEventEach) {
  auto p = MakePanel();
  TWinPanel below(&Form());
  below.SetBounds(0, 0, 150, 60);
  below.SetAlign(TAlign::Top);
  ASSERT_EQ(below.Top(), 100);
  TEvents events;
  events.Attach(*p);
  THeightRecorder heights(p->Handle());

  p->SetPanelStatus(dtClosed);
  EXPECT_EQ(p->Height(), 21);
  EXPECT_EQ(p->PanelStatus(), dtClosed);
  EXPECT_EQ(below.Top(), 21);  // the column re-stacks under the rolled-up panel
  EXPECT_EQ(heights.Heights(), std::vector<int>{21});

  p->SetPanelStatus(dtOpened);
  EXPECT_EQ(p->Height(), 100);
  EXPECT_EQ(below.Top(), 100);
  EXPECT_EQ(events.States, (std::vector<TPanelStatus>{dtClosed, dtOpened}));

  // Asking for the state it already has does nothing at all.
  heights.Clear();
  p->SetPanelStatus(dtOpened);
  EXPECT_EQ(events.States.size(), 2u);
  EXPECT_TRUE(heights.Heights().empty());
}

TEST_F(WinPanelTest, AnimationMovesInTenPixelStepsAndEndsExactly) {
  auto p = MakePanel();
  p->SetAinmateEffect(true);
  TEvents events;
  events.Attach(*p);
  THeightRecorder heights(p->Handle());

  p->SetPanelStatus(dtClosed);
  EXPECT_EQ(heights.Heights(), (std::vector<int>{90, 80, 70, 60, 50, 40, 30, 21}));
  EXPECT_FALSE(p->Animating());
  heights.Clear();
  p->SetPanelStatus(dtOpened);
  EXPECT_EQ(heights.Heights(), (std::vector<int>{31, 41, 51, 61, 71, 81, 91, 100}));
  EXPECT_EQ(events.States, (std::vector<TPanelStatus>{dtClosed, dtOpened}));
}

TEST_F(WinPanelTest, ScrollDelayDecidesWhetherMessagesRunDuringTheAnimation) {
  auto p = MakePanel();
  p->SetAinmateEffect(true);
  const UINT probe = WM_APP + 7;
  MSG msg;

  PumpMessages();
  PostThreadMessageA(GetCurrentThreadId(), probe, 0, 0);
  p->SetPanelStatus(dtClosed);  // ScrollDelay 0: no pauses, nothing else runs
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, probe, probe, PM_REMOVE));

  p->SetScrollDelay(2);
  TEvents events;
  events.Attach(*p);
  // A title click that arrives while the panel moves is ignored, not queued for later.
  PostMessageA(p->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(10, 5));
  PostThreadMessageA(GetCurrentThreadId(), probe, 0, 0);
  p->SetPanelStatus(dtOpened);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, probe, probe, PM_REMOVE));
  EXPECT_EQ(p->Height(), 100);
  EXPECT_EQ(events.States, std::vector<TPanelStatus>{dtOpened});

  DWORD start = GetTickCount();
  p->WaitScrollDelay(0);
  p->WaitScrollDelay(-5);  // a negative delay is no delay, not a 49-day wait
  EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(WinPanelTest, TitleClickTogglesByHeightAndTakesTheFocus) {
  auto p = MakePanel();
  TEvents events;
  events.Attach(*p);
  int clicks = 0;
  p->OnClick = [&](TControl*) { ++clicks; };

  // Four pixels more than the title still counts as closed, whatever the recorded state.
  p->SetHeight(24);
  LeftDown(*p, 10, 5);
  LeftUp(*p, 10, 5);
  EXPECT_EQ(p->Height(), 100);
  EXPECT_EQ(p->PanelStatus(), dtOpened);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(p->Focused());
  EXPECT_NE(GetCapture(), p->Handle());

  // Five pixels more counts as open.
  p->SetHeight(25);
  LeftDown(*p, 10, 5);
  EXPECT_EQ(p->Height(), 21);
  EXPECT_EQ(p->PanelStatus(), dtClosed);

  // A press below the title only focuses and clicks.
  p->SetPanelStatus(dtOpened);
  events.States.clear();
  LeftDown(*p, 10, 50);
  LeftUp(*p, 10, 50);
  EXPECT_EQ(p->Height(), 100);
  EXPECT_TRUE(events.States.empty());
  EXPECT_EQ(clicks, 2);
}

TEST_F(WinPanelTest, SpaceAndEnterToggleAndTheDialogLoopHandsThemOver) {
  auto p = MakePanel();
  Char(*p, ' ');
  EXPECT_EQ(p->PanelStatus(), dtClosed);
  Char(*p, '\r');
  EXPECT_EQ(p->PanelStatus(), dtOpened);
  Char(*p, 'a');
  EXPECT_EQ(p->PanelStatus(), dtOpened);

  MSG enter{p->Handle(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  LRESULT code = SendMessageA(p->Handle(), WM_GETDLGCODE, VK_RETURN, (LPARAM)&enter);
  EXPECT_TRUE(code & DLGC_WANTCHARS);
  EXPECT_TRUE(code & DLGC_WANTMESSAGE);
  MSG tab{p->Handle(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_FALSE(SendMessageA(p->Handle(), WM_GETDLGCODE, VK_TAB, (LPARAM)&tab) & DLGC_WANTTAB);
}

TEST_F(WinPanelTest, HandCursorOnlyOverTheTitle) {
  auto p = MakePanel();
  MoveTo(*p, 30, 10);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
  MoveTo(*p, 30, 40);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
}

TEST_F(WinPanelTest, ChildrenHiddenByTheProgramStayHiddenAcrossCloseAndOpen) {
  auto p = MakePanel();
  TLinkLabel shown(p.get()), hidden(p.get());
  shown.SetBounds(8, 30, 60, 14);
  hidden.SetBounds(8, 50, 60, 14);
  hidden.SetVisible(false);
  bool shownDuringEvent = true;
  p->OnPanelOpenedClosed = [&](TWinPanel*, TPanelStatus) { shownDuringEvent = shown.Visible(); };
  p->SetAinmateEffect(true);

  p->SetPanelStatus(dtClosed);
  EXPECT_FALSE(shownDuringEvent);  // children sit out the move
  p->SetPanelStatus(dtOpened);
  EXPECT_TRUE(shown.Visible());
  EXPECT_FALSE(hidden.Visible());

  // A failing handler is swallowed by the property; the children still come back.
  p->OnPanelOpenedClosed = [](TWinPanel*, TPanelStatus) { throw std::runtime_error("handler"); };
  p->SetPanelStatus(dtClosed);
  EXPECT_EQ(p->PanelStatus(), dtClosed);
  EXPECT_TRUE(shown.Visible());
  LeftDown(*p, 10, 5);  // and a click does not let it escape either
  EXPECT_EQ(p->PanelStatus(), dtOpened);
}

TEST_F(WinPanelTest, ClosedTitleFallsBackToTheOpenPictureAndShowsTheOutline) {
  auto p = MakePanel();
  const COLORREF title = RGB(0, 0, 200), green = RGB(0, 200, 0), red = RGB(200, 0, 0);
  p->SetTitleColor(title);
  {
    TSnapshot plain(*p);
    EXPECT_EQ(plain.Pixel(60, 5), title);
    EXPECT_EQ(plain.Pixel(60, 99), RGB(0, 0, 0));  // the content outline
  }
  p->SetTitleImageOpened(SolidPicture(8, 8, green));
  p->SetPanelStatus(dtClosed);
  {
    TSnapshot closed(*p);
    EXPECT_EQ(closed.Pixel(60, 5), green);
    // One pixel below the title: the content rectangle has shrunk to the outline.
    EXPECT_EQ(closed.Pixel(60, 20), RGB(0, 0, 0));
  }
  p->SetTitleImageClosed(SolidPicture(8, 8, red));
  TSnapshot closed(*p);
  EXPECT_EQ(closed.Pixel(60, 5), red);
}

}  // namespace
