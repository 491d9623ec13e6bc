// The application tab against real windows: a helper process with windows of every kind.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "Helpers.h"
#include "system/Handles.h"
#include "taskmgr/AppListPage.h"
#include "toolkit/Form.h"

namespace {

// Refuses the first row insert, as a list view short of memory would.
WNDPROC g_listProc = nullptr;
bool g_refused = false;
LRESULT CALLBACK RefuseFirstInsert(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == LVM_INSERTITEMW && !g_refused) {
    g_refused = true;
    return -1;
  }
  return CallWindowProcW(g_listProc, hwnd, msg, wParam, lParam);
}

// Counts the writes to rows that show `g_watched` (text or picture).
HWND g_watched = nullptr;
int g_writes = 0;
LRESULT CALLBACK CountRowWrites(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  int item = -1;
  if (msg == LVM_SETITEMW) item = reinterpret_cast<LVITEMW*>(lParam)->iItem;
  if (msg == LVM_SETITEMTEXTW) item = static_cast<int>(wParam);
  if (item >= 0) {
    LVITEMW it{};
    it.mask = LVIF_PARAM;
    it.iItem = item;
    CallWindowProcW(g_listProc, hwnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    const auto* record = reinterpret_cast<const TWinInfo*>(it.lParam);
    if (record && record->Window == g_watched) ++g_writes;
  }
  return CallWindowProcW(g_listProc, hwnd, msg, wParam, lParam);
}

// A picture as a list view shows it: drawn from a 16 x 16 image list onto white.
std::vector<DWORD> Picture(HIMAGELIST images, int index) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 16;
  info.bmiHeader.biHeight = -16;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  TGdiObject<HBITMAP> bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  TMemoryDC dc(CreateCompatibleDC(nullptr));
  if (!bitmap || !dc) return {};
  TSelectGuard hold(dc.get(), bitmap.get());
  std::memset(bits, 0xFF, 16 * 16 * 4);
  ImageList_Draw(images, index, dc.get(), 0, 0, ILD_NORMAL);
  GdiFlush();
  const auto* pixels = static_cast<const DWORD*>(bits);
  return std::vector<DWORD>(pixels, pixels + 16 * 16);
}

// Whether picture `index` of `images` shows `icon` rather than `other`. (An icon copied into a
// used slot blends its soft edges a little differently from one copied into a new slot.)
bool ShowsRatherThan(HIMAGELIST images, int index, HICON icon, HICON other) {
  TImageList fresh;
  const auto shown = Picture(images, index), wanted = Picture(fresh.Handle(), fresh.AddIcon(icon)),
             unwanted = Picture(fresh.Handle(), fresh.AddIcon(other));
  if (shown.empty() || wanted.size() != shown.size() || unwanted.size() != shown.size())
    return false;
  int toWanted = 0, toOther = 0;
  for (size_t i = 0; i < shown.size(); ++i) {
    toWanted += shown[i] != wanted[i];
    toOther += shown[i] != unwanted[i];
  }
  return toWanted < toOther;
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
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefuseFirstInsert)));
  tab_->RefreshWindowList();
  SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
  ASSERT_TRUE(g_refused);
  ASSERT_GE(List().Count(), 2);
  // A failed insert shifts nothing: every row still ends the task it shows.
  for (int i = 0; i < List().Count(); ++i) {
    ASSERT_NE(tab_->RowRecord(i), nullptr);
    EXPECT_EQ(tab_->RowRecord(i)->Title, List().CaptionW(i)) << i;
  }

  // The list view only shows the tab's image list; the tab frees it.
  const int images = tab_->ImageList.Count();
  ASSERT_GT(images, 0);
  DestroyWindow(list);
  EXPECT_EQ(ImageList_GetImageCount(tab_->ImageList.Handle()), images);
}

TEST_F(AppListTab, ATitleOrIconChangeReachesItsRowAndAnUnchangedRowIsNotWritten) {
  // A window of this test program (its only visible one), showing the icon it was given.
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VeldorIconChangeTest";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "icon test before", WS_OVERLAPPED | WS_VISIBLE,
                                0, 0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  const HICON first = LoadIcon(nullptr, IDI_ERROR), second = LoadIcon(nullptr, IDI_WARNING);
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(first));
  tab_->RefreshWindowList();
  const int row = RowOf("icon test before");
  ASSERT_NE(row, -1);
  EXPECT_TRUE(ShowsRatherThan(tab_->ImageList.Handle(), List().ItemImage(row), first, second));

  // Nothing changed: the tick does not write to the row.
  HWND list = List().Handle();
  g_watched = window;
  g_writes = 0;
  g_listProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountRowWrites)));
  for (int i = 0; i <= List().Count(); ++i) tab_->RefreshWindowList();
  EXPECT_EQ(g_writes, 0);

  // A new title reaches the row in its place.
  SetWindowTextA(window, "icon test after");
  tab_->RefreshWindowList();
  SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
  EXPECT_EQ(RowOf("icon test after"), row);
  EXPECT_EQ(RowOf("icon test before"), -1);
  EXPECT_GT(g_writes, 0);

  // A new icon alone is seen within as many ticks as there are rows.
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(second));
  for (int i = 0; i <= List().Count(); ++i) tab_->RefreshWindowList();
  EXPECT_TRUE(ShowsRatherThan(tab_->ImageList.Handle(), List().ItemImage(row), second, first));
  DestroyWindow(window);
}
