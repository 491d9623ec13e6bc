#include "browser/BrowserPage.h"

#include "browser/BrowserRepair.h"
#include "browser/ServerPath.h"
#include "system/Seams.h"
#include "system/UndoFolder.h"
#include "toolkit/Guarded.h"

namespace {
// A toolbar row keeps the registry view it was listed in.
LPARAM ToolbarRowData(TRegView view) {
  return static_cast<LPARAM>(view);
}
TRegView ViewOfRow(LPARAM data) {
  return static_cast<TRegView>(data);
}

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
    const int row = LvwToolButton.AddItemW(Sweeper.ReadClassName(classId), {classId}, -1,
                                           ToolbarRowData(Sweeper.View()));
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
      RunRepair();
      break;
    case 1:
      RemoveCheckedMenuExt();
      break;
    case 2:
      RemoveCheckedToolbars();
      break;
  }
}

void TBrowserPage::RunRepair() {
  const bool unlockEditor = CheckListBoxBR.Checked(kItemUnlockRegistryEditor);
  const bool searchEngine = CheckListBoxBR.Checked(kItemSearchEngine);
  // Every value as it was goes to the undo file before the first write; without it none is made.
  std::vector<TRepairWrite> writes = CommonRepairWrites();
  if (unlockEditor)
    for (const TRepairWrite& w : RegistryToolsWrites(false)) writes.push_back(w);
  if (searchEngine) writes.push_back(SearchEngineWrite());
  TUndoWriter undo;
  if (!AddRepairWritesToUndo(undo, writes) || SaveUndoFile(undo, "BrowserRepair").empty())
    return ShowUndoFailure(host_.MainWindow());
  RepairInternetExplorer();
  if (unlockEditor) SetRegistryToolsDisabled(false);
  if (searchEngine) RepairSearchEngine();
}

void TBrowserPage::RemoveCheckedMenuExt() {
  Guarded([&] {
    // Everything that goes is in the undo file first; without the file nothing goes. An entry
    // the file cannot carry (a registry link) stays.
    TUndoWriter undo;
    bool refused = false;
    std::vector<std::wstring> chosen;
    for (int i = 0; i < ListViewBrowserMenu.Count(); ++i) {
      if (!ListViewBrowserMenu.Checked(i)) continue;
      const std::wstring name = ListViewBrowserMenu.CaptionW(i);
      TUndoWriter alone;
      if (!Sweeper.AddMenuExtToUndo(alone, name)) {
        refused = true;
        continue;
      }
      undo.Append(alone);
      chosen.push_back(name);
    }
    if (!undo.Empty() && SaveUndoFile(undo, "MenuExt").empty())
      return ShowUndoFailure(host_.MainWindow());
    for (const std::wstring& name : chosen) Sweeper.DeleteMenuExt(name);
    if (refused) ShowUndoFailure(host_.MainWindow());
  });
  FillMenuExtList();
}

void TBrowserPage::RemoveCheckedToolbars() {
  Guarded([&] {
    struct TRemoval {
      std::wstring ClassId, Server;
      TRegView View;
    };
    std::vector<TRemoval> removals;
    for (int i = LvwToolButton.Count() - 1; i >= 0; --i) {
      if (!LvwToolButton.Checked(i)) continue;
      const std::wstring classId = LvwToolButton.SubItemW(i, 0);
      // In the view the row came from; a 64-bit server needs the 64-bit regsvr32 to load it.
      const TRegView view = ViewOfRow(LvwToolButton.Data(i));
      Sweeper.SetView(view);
      // A library of the system serves many classes: only its toolbar entry goes. So does the
      // entry of a library that no command line can name (see UnregisterCommandLine).
      const std::wstring server = UnregisterableServer(Sweeper.ReadServerPath(classId));
      removals.push_back(
          {classId, server.empty() || UnregisterCommandLine(server, view).empty() ? L"" : server,
           view});
    }
    // The toolbar values and the registrations an unregistration removes are in the undo file
    // before anything is changed; without the file nothing is. An entry the file cannot carry
    // stays.
    TUndoWriter undo;
    bool refused = false;
    std::vector<TRemoval> carried;
    for (const TRemoval& r : removals) {
      Sweeper.SetView(r.View);
      TUndoWriter alone;
      if (!Sweeper.AddToolbarToUndo(alone, r.ClassId, !r.Server.empty())) {
        refused = true;
        continue;
      }
      undo.Append(alone);
      carried.push_back(r);
    }
    if (!undo.Empty() && SaveUndoFile(undo, "Toolbar").empty())
      return ShowUndoFailure(host_.MainWindow());
    if (refused) ShowUndoFailure(host_.MainWindow());
    for (const TRemoval& r : carried) {
      Sweeper.SetView(r.View);
      if (!r.Server.empty())
        Seams::Processes().RunAndWaitAtMost(
            Regsvr32Path(r.View), UnregisterCommandLine(r.Server, r.View), kUnregisterWaitMs);
      else
        Sweeper.DeleteToolbar(r.ClassId);
    }
  });
  // What the unregistration really left is what the list shows.
  FillToolbarList();
}
