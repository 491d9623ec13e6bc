// The application tab against real windows: a helper process with windows of every kind.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "Helpers.h"
#include "taskmgr/AppListPage.h"
#include "toolkit/Form.h"

namespace {

// Refuses the first row insert, as a list view short of memory would.
WNDPROC g_listProc = nullptr;
bool g_refused = false;
LRESULT CALLBACK RefuseFirstInsert(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == LVM_INSERTITEMA && !g_refused) {
    g_refused = true;
    return -1;
  }
  return CallWindowProcA(g_listProc, hwnd, msg, wParam, lParam);
}

class AppListTab : public testing::Test {
 protected:
  AppListTab() : form_("TAppListTestForm", false), pages_(&form_), sheet_(&pages_, "应用程序") {
    form_.SetClientSize(554, 379);
    pages_.SetAlign(TAlign::Client);
    tab_ = std::make_unique<TAppListTab>(sheet_, timer_);
  }
  TListView& List() { return tab_->TaskListView; }
  // Titles of the rows whose window belongs to `process`.
  std::vector<std::string> TitlesOf(DWORD process) {
    std::vector<std::string> titles;
    for (int i = 0; i < List().Count(); ++i) {
      DWORD owner = 0;
      GetWindowThreadProcessId(tab_->RowRecord(i)->Window, &owner);
      if (owner == process) titles.push_back(List().Caption(i));
    }
    return titles;
  }
  int RowOf(const std::string& title) {
    for (int i = 0; i < List().Count(); ++i)
      if (List().Caption(i) == title) return i;
    return -1;
  }
  std::vector<std::string> Titles() {
    std::vector<std::string> titles;
    for (int i = 0; i < List().Count(); ++i) titles.push_back(List().Caption(i));
    return titles;
  }

  TForm form_;
  TPageControl pages_;
  TTabSheet sheet_;
  TTimer timer_{1000};
  std::unique_ptr<TAppListTab> tab_;
};

}  // namespace

TEST_F(AppListTab, OneRowPerProgramEachFolderWindowItsOwnAndClosedWindowsGo) {
  THelperProcess helper("windows");
  ASSERT_TRUE(helper.Running());
  tab_->RefreshWindowList();
  // One ordinary window (the front one), both folder windows; never the desktop, a blank title
  // or a hidden window.
  auto titles = TitlesOf(helper.Id());
  ASSERT_EQ(titles.size(), 3u);
  EXPECT_NE(RowOf("helper front"), -1) << "the front one of the two";
  EXPECT_NE(RowOf("folder one"), -1);
  EXPECT_NE(RowOf("folder two"), -1);
  EXPECT_EQ(List().SubItem(RowOf("folder one"), 0), "正在运行");
  EXPECT_EQ(tab_->ImageList.Count(), List().Count()) << "every row has its own picture";

  // A refresh with nothing changed keeps every row in its place.
  const auto before = Titles();
  tab_->RefreshWindowList();
  EXPECT_EQ(Titles(), before);

  // A folder window closes: its row goes at the next refresh, the others stay in order.
  HWND folderOne = FindWindowA("CabinetWClass", "folder one");
  PostMessageA(folderOne, WM_CLOSE, 0, 0);
  for (int i = 0; i < 100 && IsWindow(folderOne); ++i) Sleep(20);
  tab_->RefreshWindowList();
  auto expected = before;
  for (auto it = expected.begin(); it != expected.end(); ++it)
    if (*it == "folder one") {
      expected.erase(it);
      break;
    }
  EXPECT_EQ(Titles(), expected);

  // Ending the task of a folder window closes that window only, not the program owning it.
  HWND folderTwo = FindWindowA("CabinetWClass", "folder two");
  List().SetSelected(RowOf("folder two"), true);
  tab_->BtnCloseWindowClick();
  for (int i = 0; i < 100 && IsWindow(folderTwo); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(folderTwo));
  EXPECT_TRUE(helper.Running());
  EXPECT_TRUE(timer_.Enabled()) << "the tick runs again after ending a task";

  // Any other row ends its program.
  List().SetSelected(RowOf("helper front"), true);
  tab_->BtnCloseWindowClick();
  EXPECT_TRUE(helper.WaitEnded(5000));
  tab_->RefreshWindowList();
  EXPECT_TRUE(TitlesOf(helper.Id()).empty());
}

TEST_F(AppListTab, AWindowThatDoesNotAnswerDoesNotHoldTheList) {
  THelperProcess hung("hung");
  ASSERT_NE(WaitForWindow(kHelperClass, kHungTitle), nullptr);
  const DWORD start = GetTickCount();
  tab_->RefreshWindowList();
  tab_->RefreshWindowList();
  // The icon query gives up after its short time-out instead of waiting for the window.
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_NE(RowOf(kHungTitle), -1) << "listed with its class icon";
}

TEST_F(AppListTab, EachRowHoldsItsOwnRecordAndTheImageListOutlivesTheView) {
  THelperProcess helper("windows");
  ASSERT_TRUE(helper.Running());
  HWND list = List().Handle();
  g_refused = false;
  g_listProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefuseFirstInsert)));
  tab_->RefreshWindowList();
  SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
  ASSERT_TRUE(g_refused);
  ASSERT_GE(List().Count(), 2);
  // A failed insert shifts nothing: every row still ends the task it shows.
  for (int i = 0; i < List().Count(); ++i) {
    ASSERT_NE(tab_->RowRecord(i), nullptr);
    EXPECT_EQ(tab_->RowRecord(i)->Title, List().Caption(i)) << i;
  }

  // The list view only shows the tab's image list; the tab frees it.
  const int images = tab_->ImageList.Count();
  ASSERT_GT(images, 0);
  DestroyWindow(list);
  EXPECT_EQ(ImageList_GetImageCount(tab_->ImageList.Handle()), images);
}
