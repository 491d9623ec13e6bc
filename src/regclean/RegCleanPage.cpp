#include "regclean/RegCleanPage.h"

#include <algorithm>

#include "regclean/RegRemoval.h"
#include "system/Seams.h"
#include "system/SysUtils.h"
#include "system/UndoFolder.h"
#include "system/Text.h"
#include "toolkit/Application.h"
#include "toolkit/Guarded.h"
#include "toolkit/StatusBar.h"

    TRegCleanPage::TRegCleanPage(TTabSheet& sheet, IHost& host)
    : TS4(sheet),
      PanelRegBottom(&sheet),
      edKey(&PanelRegBottom, 4, 6, 432, 21, true),
      edTime(&PanelRegBottom, 4, 34, 140, 21, true),
      edValueName(&PanelRegBottom, 148, 34, 288, 21, true),
      edValue(&PanelRegBottom, 4, 62, 432, 21, true),
      btnStart(&PanelRegBottom, "开始扫描(&P)", 446, 4, 100, 25),
      btnRemove(&PanelRegBottom, "清理选中项(&R)", 446, 33, 100, 25),
      btnStop(&PanelRegBottom, "停止(&S)", 446, 62, 100, 25),
      StringGrid1(&sheet, 0, 0, 0, 0),
      host_(host) {
  PanelRegBottom.SetName("PanelRegBottom");
  PanelRegBottom.SetBounds(0, 0, sheet.ClientWidth(), 90);
  edKey.SetName("edKey");
  edTime.SetName("edTime");
  edValueName.SetName("edValueName");
  edValue.SetName("edValue");
  btnStart.SetName("btnStart");
  btnRemove.SetName("btnRemove");
  btnStop.SetName("btnStop");
  StringGrid1.SetName("StringGrid1");
  StringGrid1.SetColumns({306, 99, 79, 336});
  StringGrid1.SetDefaultRowHeight(18);
  StringGrid1.SetRowCount(30);
  PanelRegBottom.SetAlign(TAlign::Bottom);
  StringGrid1.SetAlign(TAlign::Client);
  UndoDir = UndoFolder();

  btnStart.OnClick = [this](TControl*) { Guarded([this] { btnStartClick(); }); };
  btnStop.OnClick = [this](TControl*) { Guarded([this] { btnStopClick(); }); };
  btnRemove.OnClick = [this](TControl*) { Guarded([this] { btnRemoveClick(); }); };
  StringGrid1.OnSelectCell = [this](TStringGrid*, int col, int row) {
    Guarded([&] { StringGrid1SelectCell(col, row); });
  };
}

void TRegCleanPage::PrepareGrid() {
  StringGrid1.SetCell(0, 0, "注册表项目");
  StringGrid1.SetCell(1, 0, "最后修改");
  StringGrid1.SetCell(2, 0, "命令行");
  StringGrid1.SetCell(3, 0, "位置");
  RegNextRow = 1;
  btnRemove.SetEnabled(false);
  btnStop.SetEnabled(false);
  RegFirstHitPending = true;
}

void TRegCleanPage::ResetGrid() {
  hits_.clear();
  StringGrid1.SetRowCount(2);
  for (int col = 0; col < 4; ++col) StringGrid1.SetCell(col, 1, "");
}

void TRegCleanPage::btnStartClick() {
  // A scan started inside a running one would move the walk under its feet.
  if (scanning_) return;
  scanning_ = true;
  btnStart.SetEnabled(false);
  btnRemove.SetEnabled(false);
  btnStop.SetEnabled(true);
  Guarded([this] {
    RegNextRow = 1;
    ResetGrid();
    StringGrid1.BeginUpdate();
    ScanInvalidRefs();
  });
  // However the walk ended, the result is shown and the buttons are put back.
  Guarded([this] { StringGrid1.SetRowCount(RegNextRow); });
  Guarded([this] {
    StringGrid1.EndUpdate();
    host_.StatusBar().SetPanelText(
        0, "Number of invalid references: " + std::to_string(RegNextRow - 1));
  });
  btnStop.SetEnabled(false);
  btnStart.SetEnabled(true);
  const bool none = RegNextRow == 1;
  btnRemove.SetEnabled(!none);
  scanning_ = false;
  if (host_.Closing()) {
    // The close request was held back while the walk ran; now that it has unwound, close.
    PostMessageW(host_.MainWindow(), WM_CLOSE, 0, 0);
    return;
  }
  if (none)
    Seams::MessageBoxes().Show(host_.MainWindow(), "No invalid references detected.", "信息",
                               MB_OK | MB_ICONINFORMATION);
}

void TRegCleanPage::ScanInvalidRefs() {
  RegScanStopped = false;
  RegFirstHitPending = true;
  TRegWalker walker(*this);
  walker.ScanInvalidRefs(ScanRoots);
}

void TRegCleanPage::Analyzing(const std::wstring& subKeyName) {
  // The status bar paints every new text at once, which would cost more than the walk itself:
  // the newest text is shown, but at most ten times a second.
  statusText_.assign(L"Analyzing: ").append(subKeyName);  // in place: no allocation per value
  const DWORD now = GetTickCount();
  if (now - statusShownAt_ >= 100 && host_.StatusBar().PanelTextW(0) != statusText_) {
    host_.StatusBar().SetPanelTextW(0, statusText_);
    statusShownAt_ = now;
  }
  StringGrid1.Flush();
  Application.ProcessMessages();
}

bool TRegCleanPage::Stopped() {
  return RegScanStopped || host_.Closing();
}

void TRegCleanPage::WalkingRoot(const std::string& rootName) {
  RegRootName = rootName;
}

void TRegCleanPage::AddHit(TRegHit&& hit) {
  if (RegNextRow >= StringGrid1.RowCount()) StringGrid1.SetRowCount(StringGrid1.RowCount() + 10);
  const int row = RegNextRow;
  StringGrid1.SetCellW(0, row, hit.GridKey());
  StringGrid1.SetCellW(1, row, WideFrom(hit.TimeText));
  StringGrid1.SetCellW(2, row, hit.Name);
  StringGrid1.SetCellW(3, row, hit.DataText);
  if (hits_.size() < static_cast<size_t>(row)) hits_.resize(row);
  hits_[row - 1] = std::move(hit);
  if (RegFirstHitPending) {
    RegFirstHitPending = false;
    StringGrid1.SetRow(1);
  }
  ++RegNextRow;
}

void TRegCleanPage::btnStopClick() {
  RegScanStopped = true;
}

const TRegHit* TRegCleanPage::HitOfRow(int row) const {
  if (row < 1 || static_cast<size_t>(row) > hits_.size() || row >= StringGrid1.RowCount())
    return nullptr;
  const TRegHit& hit = hits_[row - 1];
  return hit.Root ? &hit : nullptr;
}

void TRegCleanPage::btnRemoveClick() {
  if (scanning_) return;
  if (Seams::MessageBoxes().Show(host_.MainWindow(), "确认要清理选中项吗?", "提示",
                                 MB_YESNO | MB_ICONWARNING) != IDYES)
    return;
  edKey.SetText("");
  edTime.SetText("");
  edValueName.SetText("");
  edValue.SetText("");
  // Exactly the rows the list view has selected: a Ctrl+click selection leaves gaps.
  std::vector<TRegHit> chosen;
  std::vector<int> chosenRows;
  for (int row : StringGrid1.SelectedRows()) {
    const TRegHit* hit = HitOfRow(row);
    HKEY root = nullptr;
    std::wstring path;
    // The row's text must still name the hit it was made for (an empty row names none).
    if (!hit || !SplitGridKey(StringGrid1.CellW(0, row), root, path) || root != hit->Root) continue;
    const std::wstring shown =
        hit->KeyText.empty() || hit->KeyText[0] != L'\\' ? L"\\" + hit->KeyText : hit->KeyText;
    if (path != shown) continue;
    chosen.push_back(*hit);
    chosenRows.push_back(row);
  }
  const TRemovalResult result = RemoveRegHits(chosen, UndoDir);
  // Without its undo file nothing was deleted: the rows stay for another try.
  if (result.UndoFailed) {
    ShowUndoFailure(host_.MainWindow());
    return;
  }
  // Only the deleted values leave the list: what was skipped is still there to be seen.
  std::vector<int> gone;
  for (size_t k : result.Deleted) gone.push_back(chosenRows[k]);
  DropRows(gone);
}

void TRegCleanPage::DropRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it)
    if (*it >= 1 && static_cast<size_t>(*it) <= hits_.size()) hits_.erase(hits_.begin() + *it - 1);
  StringGrid1.DeleteRows(rows);
  if (hits_.empty()) ResetGrid();
}

void TRegCleanPage::StringGrid1SelectCell(int, int row) {
  if (RegFirstHitPending) return;
  edKey.SetTextW(StringGrid1.CellW(0, row));
  edTime.SetTextW(StringGrid1.CellW(1, row));
  edValueName.SetTextW(StringGrid1.CellW(2, row));
  edValue.SetTextW(StringGrid1.CellW(3, row));
}
