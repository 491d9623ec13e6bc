// The main window built for real: layout, first show, page switch, accordion, shut-down.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/FeaturePages.h"
#include "app/UnitMain.h"
#include "startup/StartupItems.h"
#include "startup/StartupPage.h"
#include "startup/StartupScratch.h"
#include "support/MainFormTest.h"
#include "system/Seams.h"

namespace {
using testsupport::PumpMessages;

class MainWindow : public TMainFormTest {};
}  // namespace

TEST_F(MainWindow, LayoutMatchesTheDesign) {
  EXPECT_EQ(form->Caption(), "Veldor 1.2");
  EXPECT_EQ(form->ClientWidth(), 715);
  EXPECT_EQ(form->ClientHeight(), 503);
  EXPECT_EQ(form->PaintPanel1->Height(), 81);
  EXPECT_EQ(form->StatusBar1->Height(), 19);
  EXPECT_EQ(form->PanelLeft->Width(), 161);
  EXPECT_EQ(form->PanelLeftRight->Width(), 158);
  EXPECT_EQ(form->PanelMiddleTop->Height(), 24);
  EXPECT_EQ(form->PageControl->Width(), 715 - 161);
  EXPECT_EQ(form->PageControl->Height(), 503 - 81 - 19 - 24);
  EXPECT_EQ(form->PageControl->TabStrip(), nullptr) << "page tabs are hidden";
  EXPECT_NE(form->PageControl1->TabStrip(), nullptr) << "page 1 shows its inner tabs";
  EXPECT_FALSE(form->ProgressBar1->Visible());
  EXPECT_FALSE(form->Panel_Ads->Visible());
  EXPECT_FALSE(form->ImageTitle->Picture().Empty()) << "the title JPEG decodes";
  EXPECT_EQ(form->ImageTitle->Picture().Width(), 289);
  // Links show the hand pointer.
  HWND link = form->LinkLabel0104->Handle();
  SendMessageA(link, WM_SETCURSOR, (WPARAM)link, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
  char dir[MAX_PATH];
  GetModuleFileNameA(nullptr, dir, MAX_PATH);
  std::string expected(dir);
  expected = expected.substr(0, expected.rfind('\\') + 1);
  EXPECT_EQ(form->ApplicationDir, expected);
}

TEST_F(MainWindow, FirstShowOpensPageOneWithTheFirstPanelOnly) {
  EXPECT_TRUE(form->FirstShowDone);
  EXPECT_EQ(form->CurrentNavTag, 1);
  EXPECT_EQ(form->NavLinks.size(), 12u);
  EXPECT_EQ(form->NavPanels.size(), 5u);
  EXPECT_TRUE(form->LinkLabel0101->Font().Bold());
  EXPECT_EQ(form->PageControl->ActivePage(), form->TS[0].get());
  EXPECT_EQ(form->PageControl1->ActivePageIndex(), 0);
  EXPECT_EQ(form->LabelMiddle->Caption(), "恶意软件清理");
  EXPECT_EQ(form->StatusBar1->PanelText(0), "恶意软件清理");
  EXPECT_EQ(form->Panel_Clean->PanelStatus(), dtOpened);
  EXPECT_EQ(form->Panel_Clean->Height(), 161);
  for (TWinPanel* p : {form->Panel_Tools.get(), form->Panel_Update.get(), form->Panel_Help.get()}) {
    EXPECT_EQ(p->PanelStatus(), dtClosed);
    EXPECT_EQ(p->Height(), 23);
  }
  // Panels stack under each other: the second starts where the first ends.
  EXPECT_EQ(form->Panel_Tools->Top(), 161);
  EXPECT_EQ(form->Panel_Update->Top(), 161 + 23);

  // A second show (a restore) repeats nothing: the user's page stays.
  Click(form->LinkLabel0103.get());
  form->Show();
  EXPECT_EQ(form->CurrentNavTag, 3);
}

TEST_F(MainWindow, PageSwitchMovesBoldHeaderStatusAndTimer) {
  Click(form->LinkLabel0102.get());
  EXPECT_EQ(form->CurrentNavTag, 2);
  EXPECT_FALSE(form->LinkLabel0101->Font().Bold());
  EXPECT_TRUE(form->LinkLabel0102->Font().Bold());
  EXPECT_EQ(form->PageControl->ActivePage(), form->TS[1].get());
  EXPECT_EQ(form->LabelMiddle->Caption(), "系统进程清理");
  EXPECT_EQ(form->StatusBar1->PanelText(0), "系统进程清理");
  EXPECT_TRUE(form->Timer2.Enabled());

  form->StatusBar1->SetPanelText(1, "CPU");
  form->StatusBar1->SetPanelText(2, "MEM");
  Click(form->LinkLabel0106.get());
  EXPECT_FALSE(form->Timer2.Enabled());
  EXPECT_EQ(form->StatusBar1->PanelText(1), "");
  EXPECT_EQ(form->StatusBar1->PanelText(2), "");
  EXPECT_EQ(form->PageControl->ActivePage(), form->TS[5].get());

  Click(form->LinkLabel0102.get());
  Click(form->LinkLabel0102.get());  // the same link twice
  EXPECT_TRUE(form->LinkLabel0102->Font().Bold());
  EXPECT_TRUE(form->Timer2.Enabled());

  for (auto* link : {form->LinkLabel0201.get(), form->LinkLabel0402.get()}) Click(link);
  EXPECT_EQ(form->PageControl->ActivePage(), form->TS[11].get());
  EXPECT_EQ(form->LabelMiddle->Caption(), "关于. . . .");
  // Only one link is bold at a time.
  int bold = 0;
  for (TLinkLabel* link : form->NavLinks) bold += link->Font().Bold() ? 1 : 0;
  EXPECT_EQ(bold, 1);
}

TEST_F(MainWindow, PageThreeIsReadOnItsFirstVisitOnly) {
  startup_test::TStartupScratch scratch;
  const TStartupSource& run = StartupRegistrySources()[0];
  auto listed = [&](const std::string& name) {
    const TListView& list = form->Pages->Startup->LViewStartRun;
    for (int i = 0; i < list.Count(); ++i)
      if (list.SubItem(i, 0) == name) return true;
    return false;
  };
  const std::string before = startup_test::Unique("before"), after = startup_test::Unique("after");
  scratch.Set(run.Root, run.KeyPath, before, "C:\\before.exe");
  Click(form->LinkLabel0103.get());
  EXPECT_TRUE(listed(before)) << "the first visit fills the list";

  scratch.Set(run.Root, run.KeyPath, after, "C:\\after.exe");
  Click(form->LinkLabel0101.get());
  Click(form->LinkLabel0103.get());
  EXPECT_FALSE(listed(after)) << "a later visit reads nothing again";
  form->Pages->Startup->BitBtnBitBtnDelRefValueClick();
  EXPECT_TRUE(listed(after));
}

TEST_F(MainWindow, HeaderGlyphShowsTheStripWhereItIsTransparent) {
  Click(form->LinkLabel0103.get());
  Click(form->LinkLabel0104.get());
  Click(form->LinkLabel0105.get());
  // Repaint the glyph over a stale picture (red) as the window does after a page switch.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(17, 17, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 17, 17};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, red);
  DeleteObject(red);
  SendMessageA(form->ImageMiddle->Handle(), WM_ERASEBKGND, (WPARAM)dc, 0);
  form->ImageMiddle->PaintTo(dc, 0, 0);
  const COLORREF strip = form->PanelMiddleTop->Color();
  int stale = 0, background = 0;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 17; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      stale += c == RGB(255, 0, 0);
      background += c == strip;
    }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EXPECT_EQ(stale, 0);
  EXPECT_GT(background, 0) << "the glyph has transparent parts";
}

TEST_F(MainWindow, PageOneAlwaysOpensOnItsFirstInnerTab) {
  form->PageControl1->ClickTab(3);
  Click(form->LinkLabel0106.get());
  Click(form->LinkLabel0101.get());
  EXPECT_EQ(form->PageControl1->ActivePageIndex(), 0);
}

TEST_F(MainWindow, TheOnlineUpgradeLinkOpensHelpButLeavesTheNavigation) {
  Click(form->LinkLabel0301.get());
  EXPECT_EQ(form->CurrentNavTag, 1);
  EXPECT_EQ(form->PageControl->ActivePage(), form->TS[10].get());
}

TEST_F(MainWindow, OpeningAPanelClosesTheOthersClosingChangesNothingElse) {
  form->Panel_Help->SetPanelStatus(dtOpened);
  EXPECT_EQ(form->Panel_Help->Height(), 85);
  EXPECT_EQ(form->Panel_Clean->PanelStatus(), dtClosed);
  EXPECT_EQ(form->Panel_Tools->PanelStatus(), dtClosed);
  EXPECT_EQ(form->Panel_Update->PanelStatus(), dtClosed);

  form->Panel_Help->SetPanelStatus(dtClosed);
  EXPECT_EQ(form->Panel_Clean->PanelStatus(), dtClosed);
  EXPECT_EQ(form->Panel_Tools->PanelStatus(), dtClosed);

  // A click on a title band toggles through the same route.
  SendMessageA(form->Panel_Tools->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(form->Panel_Tools->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(form->Panel_Tools->PanelStatus(), dtOpened);
  EXPECT_EQ(form->Panel_Tools->Height(), 104);
  EXPECT_EQ(form->Panel_Help->PanelStatus(), dtClosed);
}

TEST_F(MainWindow, CloseSetsClosingAndPanelsNoLongerFollowEachOther) {
  EXPECT_TRUE(form->FormCloseQuery());
  EXPECT_TRUE(form->Closing());
  form->Panel_Tools->SetPanelStatus(dtOpened);
  EXPECT_EQ(form->Panel_Clean->PanelStatus(), dtOpened) << "the accordion rests while closing";
  form->Show();  // showing again does nothing once closing
  HWND h = form->Handle();
  form->Close();
  PumpMessages();
  EXPECT_FALSE(IsWindow(h));
}

namespace {
BOOL CALLBACK CollectText(HWND child, LPARAM into) {
  wchar_t text[256] = L"";
  GetWindowTextW(child, text, 256);
  reinterpret_cast<std::vector<std::wstring>*>(into)->push_back(text);
  return TRUE;
}

BOOL CALLBACK CloseMessageBox(HWND w, LPARAM) {
  wchar_t cls[16] = L"";
  GetClassNameW(w, cls, 16);
  if (lstrcmpW(cls, L"#32770") == 0) PostMessageW(w, WM_COMMAND, IDOK, 0);
  return TRUE;
}

// The texts of a message box of this thread once it shows (caption, then every control's text),
// after which it is closed with OK; any box of this thread still open after 10 s is closed too.
std::vector<std::wstring> ReadAndCloseMessageBox(DWORD thread, const wchar_t* caption) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < 1000; ++i) {
    HWND box = FindWindowW(L"#32770", caption);
    if (box && GetWindowThreadProcessId(box, nullptr) == thread) {
      texts.push_back(caption);
      EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&texts));
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return texts;
    }
    Sleep(10);
  }
  EnumThreadWindows(thread, CloseMessageBox, 0);
  return texts;
}
}  // namespace

// Also run with the system code page 1252: every text reaches the screen as its Chinese self.
TEST_F(MainWindow, ScreenTextsReadBackAsTheirChineseSelves_AnyCodePage) {
  wchar_t text[256] = L"";
  SendMessageW(form->StatusBar1->Handle(), SB_GETTEXTW, 0, (LPARAM)text);
  EXPECT_STREQ(text, L"恶意软件清理") << "status panel";

  TCITEMW tab{};
  tab.mask = TCIF_TEXT;
  tab.pszText = text;
  tab.cchTextMax = 256;
  ASSERT_TRUE(SendMessageW(form->PageControl1->TabStrip(), TCM_GETITEMW, 0, (LPARAM)&tab));
  EXPECT_STREQ(text, L"恶意软件检测") << "tab caption";

  const TStartupPage& startup = *form->Pages->Startup;
  GetWindowTextW(startup.BitBtnDelRegValue.Handle(), text, 256);
  EXPECT_STREQ(text, L"删除选定项目(&D)") << "button";

  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = text;
  column.cchTextMax = 256;
  ASSERT_TRUE(SendMessageW(startup.LViewStartRun.Handle(), LVM_GETCOLUMNW, 1, (LPARAM)&column));
  EXPECT_STREQ(text, L"名称") << "list header";

  std::vector<std::wstring> box;
  const DWORD self = GetCurrentThreadId();
  std::thread reader([&] { box = ReadAndCloseMessageBox(self, L"提示"); });
  Seams::RealMessageBoxes().Show(form->Handle(), "确认要清理选中项吗?", "提示", MB_OK);
  reader.join();
  ASSERT_FALSE(box.empty()) << "no message box captioned 提示";
  EXPECT_NE(std::find(box.begin(), box.end(), L"确认要清理选中项吗?"), box.end()) << "message";
}
