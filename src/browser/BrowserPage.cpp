#include "browser/BrowserPage.h"

#include "browser/BrowserRepair.h"
#include "browser/ServerPath.h"
#include "system/Seams.h"
#include "toolkit/Guarded.h"

namespace {
TListViewOptions ExtensionListOptions() {
  TListViewOptions o = TListViewOptions::CheckedRows();
  o.gridLines = true;
  return o;
}

// The shared image list belongs to the data module: the list must not destroy it with itself.
void ShareImages(TListView& list) {
  SetWindowLongW(list.Handle(), GWL_STYLE,
                 GetWindowLongW(list.Handle(), GWL_STYLE) | LVS_SHAREIMAGELISTS);
}

// The last column takes what the others leave.
void FillLastColumn(TListView& list) {
  ListView_SetColumnWidth(list.Handle(), list.ColumnCount() - 1, LVSCW_AUTOSIZE_USEHEADER);
}

const char* const kRepairItems[] = {"修复IE标题栏",        "IE首页解锁", "注册表编辑器解锁",
                                    "修复IE搜索引擎",      "修复IE主页", "修复IE鼠标右键失效",
                                    "修复查看源文件被禁用"};
const int kItemUnlockRegistryEditor = 2;
const int kItemSearchEngine = 3;
}  // namespace

TBrowserPage::TBrowserPage(TTabSheet& sheet, IHost& host, std::function<HIMAGELIST()> images)
    : TS7(sheet),
      PanelBRButtons(&sheet),
      BitBtnBR(&PanelBRButtons, "修复选定项目(&D)", 14, 16, 115, 25),
      PageControlBR(&sheet),
      TabRepair(&PageControlBR, "浏览器修复"),
      TabMenuExt(&PageControlBR, "IE右键菜单清理"),
      TabToolbar(&PageControlBR, "BHO项目清理"),
      CheckListBoxBR(&TabRepair, 0, 0, 200, 200),
      ListViewBrowserMenu(&TabMenuExt, 0, 0, 400, 300, ExtensionListOptions()),
      LvwToolButton(&TabToolbar, 0, 0, 400, 300, ExtensionListOptions()),
      host_(host),
      images_(std::move(images)) {
  PanelBRButtons.SetName("PanelBRButtons");
  PanelBRButtons.SetWidth(143);
  PanelBRButtons.SetAlign(TAlign::Right);
  BitBtnBR.SetName("BitBtnBR");
  PageControlBR.SetName("PageControlBR");
  PageControlBR.SetAlign(TAlign::Client);

  CheckListBoxBR.SetName("CheckListBoxBR");
  CheckListBoxBR.SetItemHeight(16);
  for (const char* item : kRepairItems) CheckListBoxBR.AddItem(item);
  CheckListBoxBR.SetAlign(TAlign::Client);

  ListViewBrowserMenu.SetName("ListViewBrowserMenu");
  ListViewBrowserMenu.AddColumn("扩展菜单名称", 160);
  ListViewBrowserMenu.AddColumn("简单标识", 200);
  ListViewBrowserMenu.SetAlign(TAlign::Client);
  LvwToolButton.SetName("LvwToolButton");
  LvwToolButton.AddColumn("项目标识", 160);
  LvwToolButton.AddColumn("CLSID", 238);
  LvwToolButton.AddColumn("身份/卸载信息", 280);
  LvwToolButton.AddColumn("简单描述", 100);
  LvwToolButton.SetAlign(TAlign::Client);
  FillLastColumn(ListViewBrowserMenu);
  FillLastColumn(LvwToolButton);
  ShareImages(ListViewBrowserMenu);
  ShareImages(LvwToolButton);

  Sweeper.OnMenuExt = [this](TIESweeper*, const std::wstring& name, const std::wstring& text) {
    AddMenuExtRow(name, text);
  };
  Sweeper.OnToolbar = [this](TIESweeper*, const std::wstring& name) { AddToolbarRow(name); };
  if (kToolbarButtonEvent)
    Sweeper.OnExtension = [this](TIESweeper*, const std::wstring& name) { AddExtensionRow(name); };

  PageControlBR.OnChange = [this](TPageControl*) { Guarded([&] { PageControlBRChange(); }); };
  BitBtnBR.OnClick = [this](TControl*) { Guarded([&] { BitBtnBRClick(); }); };
}

void TBrowserPage::FirstVisit() {
  for (int i = 0; i < CheckListBoxBR.Count(); ++i) CheckListBoxBR.SetChecked(i, true);
}

void TBrowserPage::PageControlBRChange() {
  // A tab switch while an action waits would refill the list it walks; the action catches up
  // with the tab when it ends.
  if (busy_) return;
  switch (PageControlBR.ActivePageIndex()) {
    case 0:
      BitBtnBR.SetCaption("修复选中项目(&F)");
      break;
    case 1:
      BitBtnBR.SetCaption("清理选中项目(&C)");
      FillMenuExtList();
      break;
    case 2:
      BitBtnBR.SetCaption("清理选中项目");
      if (kIEExtensionInventory) FillToolbarList();
      break;
  }
}

void TBrowserPage::FillMenuExtList() {
  ListViewBrowserMenu.BeginUpdate();
  ListViewBrowserMenu.Clear();
  Guarded([&] { Sweeper.EnumMenuExt(); });
  ListViewBrowserMenu.EndUpdate();
  FillLastColumn(ListViewBrowserMenu);
}

void TBrowserPage::FillToolbarList() {
  LvwToolButton.BeginUpdate();
  LvwToolButton.Clear();
  if (HIMAGELIST images = images_ ? images_() : nullptr)
    if (ListView_GetImageList(LvwToolButton.Handle(), LVSIL_SMALL) != images) {
      LvwToolButton.SetSmallImages(images);
      ListViewBrowserMenu.SetSmallImages(images);
    }
  nextToolbarImage_ = 0;
  Guarded([&] {
    Sweeper.EnumToolbar();
    if (kToolbarButtonEvent) Sweeper.EnumExtensions();
  });
  LvwToolButton.EndUpdate();
  FillLastColumn(LvwToolButton);
}

void TBrowserPage::AddMenuExtRow(const std::wstring& name, const std::wstring& text) {
  Guarded([&] { ListViewBrowserMenu.AddItemW(name, {text}); });
}

int TBrowserPage::TakeToolbarImage(const std::wstring& file) {
  HIMAGELIST images = images_ ? images_() : nullptr;
  const int slot =
      nextToolbarImage_ < toolbarImages_.size() ? toolbarImages_[nextToolbarImage_] : -1;
  const int index = TIESweeper::AddFileIcon(file, images, slot);
  if (index < 0) return -1;
  if (slot < 0) toolbarImages_.push_back(index);
  ++nextToolbarImage_;
  return index;
}

void TBrowserPage::AddToolbarRow(const std::wstring& classId) {
  Guarded([&] {
    const int row = LvwToolButton.AddItemW(Sweeper.ReadClassName(classId), {classId});
    if (row < 0) return;
    const std::wstring server = ShortServerPath(Sweeper.ReadServerPath(classId));
    LvwToolButton.SetSubItemW(row, 1, server);
    // Without an icon of its own the row shows none rather than another row's.
    const int image = TakeToolbarImage(server);
    LvwToolButton.SetItemImage(row, image);
  });
}

void TBrowserPage::AddExtensionRow(const std::wstring& keyName) {
  Guarded([&] {
    const std::wstring hotIcon = Sweeper.ReadHotIcon(keyName);
    const int row = LvwToolButton.AddItemW(Sweeper.ReadButtonText(keyName), {keyName, hotIcon});
    std::vector<std::wstring> lines;
    std::wstring::size_type start = 0;
    for (;;) {
      const auto comma = hotIcon.find(L',', start);
      lines.push_back(hotIcon.substr(start, comma - start));
      if (comma == std::wstring::npos) break;
      start = comma + 1;
    }
    HIMAGELIST images = images_ ? images_() : nullptr;
    const int image = TIESweeper::AddIconFromSpec(lines, images);
    if (row >= 0 && image >= 0) LvwToolButton.SetItemImage(row, image);
  });
}

void TBrowserPage::BitBtnBRClick() {
  // A removal waits for each unregistration with the messages running: a second press must not
  // start another one inside it.
  if (busy_) return;
  busy_ = true;
  BitBtnBR.SetEnabled(false);
  const int page = PageControlBR.ActivePageIndex();
  Guarded([&] { RunAction(page); });
  busy_ = false;
  BitBtnBR.SetEnabled(true);
  if (PageControlBR.ActivePageIndex() != page) PageControlBRChange();
}

void TBrowserPage::RunAction(int page) {
  switch (page) {
    case 0:
      RepairInternetExplorer();
      if (CheckListBoxBR.Checked(kItemUnlockRegistryEditor)) SetRegistryToolsDisabled(false);
      if (CheckListBoxBR.Checked(kItemSearchEngine)) RepairSearchEngine();
      break;
    case 1:
      RemoveCheckedMenuExt();
      break;
    case 2:
      RemoveCheckedToolbars();
      break;
  }
}

void TBrowserPage::RemoveCheckedMenuExt() {
  Guarded([&] {
    for (int i = ListViewBrowserMenu.Count() - 1; i >= 0; --i) {
      if (!ListViewBrowserMenu.Checked(i)) continue;
      Sweeper.DeleteMenuExt(ListViewBrowserMenu.CaptionW(i));
      ListViewBrowserMenu.Delete(i);
    }
  });
  FillMenuExtList();
}

void TBrowserPage::RemoveCheckedToolbars() {
  Guarded([&] {
    for (int i = LvwToolButton.Count() - 1; i >= 0; --i) {
      if (!LvwToolButton.Checked(i)) continue;
      const std::wstring classId = LvwToolButton.SubItemW(i, 0);
      // A library of the system serves many classes: only its toolbar entry goes. So does the
      // entry of a library that no command line can name (see UnregisterCommandLine).
      const std::wstring server = UnregisterableServer(Sweeper.ReadServerPath(classId));
      const std::string command = server.empty() ? "" : UnregisterCommandLine(server);
      if (!command.empty())
        Seams::Processes().RunAndWaitAtMost(Regsvr32Path(), command, kUnregisterWaitMs);
      else
        Sweeper.DeleteToolbar(classId);
    }
  });
  // What the unregistration really left is what the list shows.
  FillToolbarList();
}
