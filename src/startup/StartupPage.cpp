#include "startup/StartupPage.h"

#include "startup/StartupItems.h"
#include "system/Seams.h"

namespace {
TListViewOptions StartRunListOptions() {
  TListViewOptions o;
  o.rowSelect = true;
  o.gridLines = true;
  o.readOnly = true;
  return o;
}
}  // namespace

TStartupPage::TStartupPage(TTabSheet& sheet, IHost& host)
    : TS3(sheet),
      LViewStartRun(&sheet, 0, 0, 403, 350, StartRunListOptions()),
      PanelStartRunButtons(&sheet),
      BitBtnDelRegValue(&PanelStartRunButtons, "删除选定项目(&D)", 14, 16, 115, 25),
      BitBtnBitBtnDelRefValue(&PanelStartRunButtons, "刷新(&R)", 14, 52, 115, 25),
      host_(host) {
  LViewStartRun.SetName("LViewStartRun");
  LViewStartRun.AddColumn("序号", 40);
  LViewStartRun.AddColumn("名称", 110);
  LViewStartRun.AddColumn("命令行", 230);
  LViewStartRun.AddColumn("位置", 400);
  PanelStartRunButtons.SetName("PanelStartRunButtons");
  PanelStartRunButtons.SetBounds(403, 0, 143, 350);
  BitBtnDelRegValue.SetName("BitBtnDelRegValue");
  BitBtnDelRegValue.SetEnabled(false);
  BitBtnBitBtnDelRefValue.SetName("BitBtnBitBtnDelRefValue");
  // The panel takes its strip on the right first; the list fills what is left.
  PanelStartRunButtons.SetAlign(TAlign::Right);
  LViewStartRun.SetAlign(TAlign::Client);

  BitBtnDelRegValue.OnClick = [this](TControl*) { BitBtnDelRegValueClick(); };
  BitBtnBitBtnDelRefValue.OnClick = [this](TControl*) { BitBtnBitBtnDelRefValueClick(); };
  LViewStartRun.OnClick = [this](TControl*) { LViewStartRunClick(); };
  LViewStartRun.OnDblClick = [this](TControl*) { LViewStartRunDblClick(); };
}

void TStartupPage::BitBtnBitBtnDelRefValueClick() {
  BitBtnDelRegValue.SetEnabled(false);
  LViewStartRun.BeginUpdate();
  LViewStartRun.Clear();
  try {
    EnumStartupEntries([this](const TStartupEntry& e) {
      // The number is the row count once this row is in, so it runs on across all sources.
      const std::wstring number = std::to_wstring(LViewStartRun.Count() + 1);
      LViewStartRun.AddItemW(number, {e.Name, e.Command, e.Location});
    });
  } catch (...) {
    // A failure part-way keeps the rows listed so far.
  }
  LViewStartRun.EndUpdate();
}

bool TStartupPage::ConfirmDelete() {
  const std::string text =
      std::string("注意!删除注册表项目存在风险!您必须确认此注册表项目无效之后才能删除!") + "\r\n" +
      "要继续吗？";
  return Seams::MessageBoxes().Show(host_.MainWindow(), text, "Confirm",
                                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
}

void TStartupPage::BitBtnDelRegValueClick() {
  try {
    const int item = LViewStartRun.SelectedIndex();
    // The row's texts are the entry's own names, as the system gave them.
    bool undoFailed = false;
    if (item >= 0 && ConfirmDelete())
      DeleteStartupEntry(LViewStartRun.SubItemW(item, 0), LViewStartRun.SubItemW(item, 2),
                         &undoFailed);
    if (undoFailed) ShowUndoFailure(host_.MainWindow());
  } catch (...) {
    // Nothing is reported; the rebuilt list shows what is left.
  }
  BitBtnBitBtnDelRefValueClick();
}

void TStartupPage::LViewStartRunClick() {
  BitBtnDelRegValue.SetEnabled(LViewStartRun.SelectedIndex() >= 0);
}

void TStartupPage::LViewStartRunDblClick() {
  BitBtnDelRegValueClick();
}
