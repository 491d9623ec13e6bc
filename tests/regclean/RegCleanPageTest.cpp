// The cleaner's page on a test window and in the real main window: scan, stop, the no-hit box,
// removal of the selected rows, and a close request during a scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "RegCleanKit.h"
#include "app/FeaturePages.h"
#include "app/UnitMain.h"
#include "regclean/RegCleanPage.h"
#include "support/MainFormTest.h"
#include "support/RecordingSeams.h"
#include "support/Scratch.h"
#include "support/TestHost.h"
#include "toolkit/Form.h"
#include "toolkit/Sync.h"

using namespace regclean_test;

namespace {

using testsupport::PumpMessages;

class RegCleanPage : public testing::Test {
 protected:
  RegCleanPage()
      : user_(CurrentTestName()),
        dir_(CurrentTestName()),
        form_("TRegCleanTestForm", false),
        host_(form_),
        pages_(&form_) {
    form_.SetClientSize(554, 379);
    pages_.SetAlign(TAlign::Client);
    sheet_ = std::make_unique<TTabSheet>(&pages_, "4");
    sheet_->SetTabVisible(false);
    pages_.SetActivePage(sheet_.get());
    page_ = std::make_unique<TRegCleanPage>(*sheet_, host_);
    page_->PrepareGrid();
    page_->ScanRoots = {{"HKEY_CURRENT_USER", HKEY_CURRENT_USER, user_.Sub()}};
    page_->UndoDir = dir_.Path() + "RegClean\\";
  }
  // Rows 1..n: one missing-file value in each of the keys K01..Kn.
  void FillHits(int n) {
    for (int i = 1; i <= n; ++i) {
      wchar_t name[8];
      wsprintfW(name, L"K%02d", i);
      PutValue(HKEY_CURRENT_USER, Key(name), L"Path", REG_SZ, W(dir_.Path()) + name + L".exe");
    }
  }
  std::wstring Key(const std::wstring& sub) { return W(user_.Sub()) + L"\\" + sub; }

  TSeamGuard seams_;
  TScratchKey user_;
  TScratchDir dir_;
  TForm form_;
  TTestHost host_;
  TPageControl pages_;
  std::unique_ptr<TTabSheet> sheet_;
  std::unique_ptr<TRegCleanPage> page_;
};

}  // namespace

TEST_F(RegCleanPage, ScanListsHitsThenRemovesExactlyTheSelectedRows) {
  FillHits(12);  // more than the ten rows the grid grows by at a time
  TRegCleanPage& p = *page_;
  char before[MAX_PATH] = "", after[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, before);
  p.btnStart.Click();
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(after, before) << "the scan never moves the current directory";
  ASSERT_EQ(p.StringGrid1.RowCount(), 13) << "cut to the title row plus one row per hit";
  char cell[64] = "";
  ListView_GetItemText(p.StringGrid1.Handle(), 11, 2, cell, sizeof cell);
  EXPECT_STREQ(cell, "Path") << "cells are list-view text for screen readers";
  EXPECT_EQ(host_.StatusBar().PanelText(0), "Number of invalid references: 12");
  EXPECT_EQ(p.StringGrid1.Cell(0, 0), "注册表项目");
  EXPECT_EQ(p.StringGrid1.Selection().Top, 1);
  EXPECT_EQ(p.edKey.Text(), p.StringGrid1.Cell(0, 1)) << "the first hit is shown";
  EXPECT_EQ(p.edValueName.Text(), "Path");
  EXPECT_TRUE(p.btnRemove.Enabled());
  EXPECT_FALSE(p.btnStop.Enabled());
  EXPECT_EQ(seams_.MessageBoxes.Count(), 0u);

  // Rows 2 to 4, answered No: nothing changes.
  p.StringGrid1.SelectRange(2, 4);
  seams_.MessageBoxes.QueueAnswer(IDNO);
  p.btnRemove.Click();
  ASSERT_EQ(seams_.MessageBoxes.Count(), 1u);
  const TMessageBoxCall ask = seams_.MessageBoxes.Calls()[0];
  EXPECT_EQ(ask.Text, "确认要清理选中项吗?");
  EXPECT_EQ(ask.Caption, "提示");
  EXPECT_EQ(ask.Flags, (UINT)(MB_YESNO | MB_ICONWARNING));
  EXPECT_EQ(p.StringGrid1.RowCount(), 13);

  // Answered Yes, but the undo file cannot be written: nothing goes, and the user is told.
  const std::string undoDir = p.UndoDir;
  WriteTextFile(dir_.Path() + "blocked", "");
  p.UndoDir = dir_.Path() + "blocked\\Undo\\";
  seams_.MessageBoxes.QueueAnswer(IDYES);
  p.btnRemove.Click();
  ASSERT_EQ(seams_.MessageBoxes.Count(), 3u);
  EXPECT_EQ(seams_.MessageBoxes.Calls()[2].Text, "无法保存撤销文件, 操作已取消!");
  EXPECT_EQ(p.StringGrid1.RowCount(), 13);
  EXPECT_EQ(Tree(HKEY_CURRENT_USER, W(user_.Sub())).size(), 13u);  // the key and its 12 children
  p.UndoDir = undoDir;

  // Rows 2, 5 and 9 selected as by Ctrl+click; row 5's value changes after the scan, so it is
  // skipped.
  std::vector<std::wstring> gone = {p.HitOfRow(2)->KeyPath, p.HitOfRow(9)->KeyPath};
  const std::wstring skipped = p.HitOfRow(5)->KeyPath;
  PutValue(HKEY_CURRENT_USER, skipped, L"Path", REG_SZ, W(dir_.Path()) + L"other.exe");
  p.StringGrid1.SetRow(9);
  for (int row : {2, 5})
    ListView_SetItemState(p.StringGrid1.Handle(), row - 1, LVIS_SELECTED, LVIS_SELECTED);
  std::vector<std::wstring> listed;
  for (int row = 1; row <= 12; ++row)
    if (row != 2 && row != 9) listed.push_back(p.HitOfRow(row)->KeyPath);
  seams_.MessageBoxes.QueueAnswer(IDYES);
  p.btnRemove.Click();
  for (int i = 1; i <= 12; ++i) {
    wchar_t name[8];
    wsprintfW(name, L"K%02d", i);
    const bool wasChosen = std::find(gone.begin(), gone.end(), Key(name)) != gone.end();
    EXPECT_NE(ValueThere(HKEY_CURRENT_USER, Key(name), L"Path"), wasChosen) << i;
  }
  // Only the deleted rows leave the grid; the skipped one stays with the rest, in order.
  ASSERT_EQ(p.StringGrid1.RowCount(), 11);
  for (int row = 1; row <= 10; ++row) {
    ASSERT_NE(p.HitOfRow(row), nullptr) << row;
    EXPECT_EQ(p.HitOfRow(row)->KeyPath, listed[row - 1]) << row;
    EXPECT_EQ(p.StringGrid1.CellW(0, row), p.HitOfRow(row)->GridKey()) << row;
  }
  EXPECT_EQ(p.edKey.Text(), "");
  EXPECT_TRUE(p.btnRemove.Enabled());
  // The selection went with the rows: removing again acts on nothing.
  EXPECT_TRUE(p.StringGrid1.SelectedRows().empty());
  seams_.MessageBoxes.QueueAnswer(IDYES);
  p.btnRemove.Click();
  TSnapshot rest;
  TakeSnapshot(HKEY_CURRENT_USER, W(user_.Sub()), rest);
  EXPECT_EQ(rest.size(), 10u);

  // The grid frees its row-height list once, itself: the list view leaves it alone.
  HIMAGELIST rows = ListView_GetImageList(p.StringGrid1.Handle(), LVSIL_SMALL);
  DestroyWindow(p.StringGrid1.Handle());
  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(rows, &cx, &cy));
}

TEST_F(RegCleanPage, StopMidScanKeepsTheHitsAndNoHitsGivesTheMessage) {
  FillHits(20);
  TRegCleanPage& p = *page_;
  bool startOffDuringScan = false, stopLive = false;
  // The user stops as soon as the first row appears; the click waits in the window's queue and
  // is taken at the next value.
  auto show = p.StringGrid1.OnSelectCell;
  p.StringGrid1.OnSelectCell = [&](TStringGrid* g, int col, int row) {
    show(g, col, row);
    startOffDuringScan = !p.btnStart.Enabled() && !p.btnRemove.Enabled();
    stopLive = p.btnStop.Enabled();
    p.btnStartClick();  // a second scan inside the first is refused
    PostMessageA(GetParent(p.btnStop.Handle()), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 (LPARAM)p.btnStop.Handle());
  };
  p.btnStart.Click();
  EXPECT_TRUE(startOffDuringScan);
  EXPECT_TRUE(stopLive);
  EXPECT_EQ(p.StringGrid1.RowCount(), 2) << "one hit kept";
  EXPECT_EQ(host_.StatusBar().PanelText(0), "Number of invalid references: 1");
  EXPECT_FALSE(p.btnStop.Enabled());
  EXPECT_TRUE(p.btnStart.Enabled());
  EXPECT_TRUE(p.btnRemove.Enabled());
  EXPECT_EQ(seams_.MessageBoxes.Count(), 0u);

  p.StringGrid1.OnSelectCell = show;
  p.ScanRoots = {{"HKEY_CURRENT_USER", HKEY_CURRENT_USER, user_.Sub() + "\\K01"}};
  p.btnStart.Click();
  EXPECT_EQ(p.StringGrid1.RowCount(), 1);
  EXPECT_EQ(host_.StatusBar().PanelText(0), "Number of invalid references: 0");
  EXPECT_FALSE(p.btnRemove.Enabled());
  ASSERT_EQ(seams_.MessageBoxes.Count(), 1u);
  const TMessageBoxCall box = seams_.MessageBoxes.Calls()[0];
  EXPECT_EQ(box.Text, "No invalid references detected.");
  EXPECT_EQ(box.Caption, "信息");
  EXPECT_EQ(box.Flags & MB_TYPEMASK, (UINT)MB_OK);
}

TEST(RegCleanMainWindow, CloseDuringAScanWaitsForTheWalkToUnwind) {
  TSeamGuard seams;
  TScratchKey user(CurrentTestName());
  for (int i = 0; i < 20; ++i)
    PutValue(HKEY_CURRENT_USER, W(user.Sub()) + L"\\K" + std::to_wstring(i), L"Path", REG_SZ,
             L"C:\\VeldorNoSuchFolder\\x.exe");
  InitSynchronize();
  auto form = std::make_unique<TFormMain>();
  form->Show();
  PumpMessages();
  TRegCleanPage& p = *form->Pages->RegClean;
  EXPECT_EQ(p.StringGrid1.Cell(3, 0), "位置") << "titles written at the first show";
  EXPECT_FALSE(p.btnRemove.Enabled());
  EXPECT_FALSE(p.btnStop.Enabled());
  p.ScanRoots = {{"HKEY_CURRENT_USER", HKEY_CURRENT_USER, user.Sub()}};
  HWND window = form->Handle();
  bool aliveAfterClose = false;
  p.StringGrid1.OnSelectCell = [&](TStringGrid*, int, int) {
    form->Close();
    aliveAfterClose = IsWindow(window) != FALSE;
  };
  p.btnStart.Click();
  EXPECT_TRUE(aliveAfterClose) << "the window outlives the walk";
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(p.StringGrid1.RowCount(), 2) << "the scan stopped at the close request";
  EXPECT_EQ(seams.MessageBoxes.Count(), 0u);
  PumpMessages();
  EXPECT_FALSE(IsWindow(window)) << "closed once the walk unwound";
  form.reset();
  PumpMessages();
}
