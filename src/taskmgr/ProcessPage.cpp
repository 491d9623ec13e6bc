#include "taskmgr/ProcessPage.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "system/Seams.h"
#include "system/SysUtils.h"
#include "system/Text.h"
#include "toolkit/Guarded.h"
#include "toolkit/KeyedRows.h"
#include "toolkit/StatusBar.h"

const char kEndProcessWarning[] =
    "警告: 终止进程会导致不希望发生的结果，\n\r"
    "包括数据丢失和系统不稳定。在被终止前，\n\r"
    "进程将没有机会保存其状态和数据。确实\n\r"
    "想终止该进程吗?";
const char kEndProcessCaption[] = "任务管理器警告";

namespace {
TListViewOptions ProcessListOptions() {
  TListViewOptions o;
  o.rowSelect = true;
  o.readOnly = true;
  return o;
}

std::vector<std::wstring> RowTexts(const TProcInfo& p, const std::wstring& folder) {
  return {std::to_wstring(p.ProcessId), WideFrom(FormatCpuTime(p.CpuSeconds)),
          WideFrom(FormatMemory(p.MemoryKB)), folder};
}
}  // namespace

TProcessTab::TProcessTab(TTabSheet& sheet, IHost& host)
    : Sheet(sheet),
      procListView(&sheet, 0, 0, 500, 300, ProcessListOptions()),
      PanelProcButtons(&sheet),
      PanelProcButtonStrip(&PanelProcButtons),
      ButtonRefProcess(&PanelProcButtonStrip, "刷新(&R)", 0, 6, 90, 25),
      BtnEndProc(&PanelProcButtonStrip, "结束进程(&E)", 98, 6, 90, 25),
      host_(host) {
  procListView.SetName("procListView");
  procListView.AddColumn("映像名称", 100);
  procListView.AddColumn("PID", 50, LVCFMT_RIGHT);
  procListView.AddColumn("CPU时间", 70, LVCFMT_RIGHT);
  procListView.AddColumn("内存使用", 80, LVCFMT_RIGHT);
  procListView.AddColumn("文件位置", 200);
  PanelProcButtons.SetName("PanelProcButtons");
  PanelProcButtons.SetHeight(37);
  PanelProcButtons.SetAlign(TAlign::Bottom);
  procListView.SetAlign(TAlign::Client);
  ButtonRefProcess.SetName("ButtonRefProcess");
  BtnEndProc.SetName("BtnEndProc");
  PanelProcButtonStrip.SetWidth(2 * 98);
  PanelProcButtonStrip.SetAlign(TAlign::Right);

  ButtonRefProcess.OnClick = [this](TControl*) { Guarded([&] { ButtonRefProcessClick(); }); };
  BtnEndProc.OnClick = [this](TControl*) { Guarded([&] { BtnEndProcClick(); }); };
  procListView.OnDblClick = [this](TControl*) { Guarded([&] { procListViewDblClick(); }); };
}

void TProcessTab::ButtonRefProcessClick() {
  ButtonRefProcess.SetEnabled(false);
  Guarded([&] { RefreshProcessList(); });
  ButtonRefProcess.SetEnabled(true);
}

bool TProcessTab::RefreshProcessList() {
  std::vector<TProcInfo> snapshot;
  if (!TakeProcessSnapshot(snapshot)) return false;
  char status[64];
  std::snprintf(status, sizeof status, "进程数：%d", static_cast<int>(snapshot.size()));
  host_.StatusBar().SetPanelText(0, status);
  ApplySnapshot(snapshot);
  return true;
}

void TProcessTab::ApplySnapshot(const std::vector<TProcInfo>& snapshot) {
  const TProcessFolders folders(snapshot);
  RefreshKeyedRows(
      procListView, snapshot,
      [&](int row) -> std::optional<DWORD> {
        const std::string idText = procListView.SubItem(row, 0);
        char* end = nullptr;
        const unsigned long id = std::strtoul(idText.c_str(), &end, 10);
        if (idText.empty() || *end) return std::nullopt;
        return static_cast<DWORD>(id);
      },
      [](const TProcInfo& p) { return p.ProcessId; },
      [&](int row, const TProcInfo& p) {
        // An id reused by another program is a different process: its row goes.
        if (p.ImageName != procListView.CaptionW(row)) return false;
        const auto texts = RowTexts(p, folders.FolderOf(p));
        for (int i = 0; i < 4; ++i)
          if (procListView.SubItemW(row, i) != texts[i]) procListView.SetSubItemW(row, i, texts[i]);
        return true;
      },
      [&](const TProcInfo& p) {
        procListView.AddItemW(p.ImageName, RowTexts(p, folders.FolderOf(p)));
      });
}

void TProcessTab::BtnEndProcClick() {
  Guarded([&] {
    const int row = procListView.SelectedIndex();
    if (row < 0) return;
    const std::string idText = procListView.SubItem(row, 0);
    const std::wstring name = procListView.CaptionW(row);
    if (Seams::MessageBoxes().Show(host_.MainWindow(), kEndProcessWarning, kEndProcessCaption,
                                   MB_YESNO | MB_ICONWARNING) != IDYES)
      return;
    char* end = nullptr;
    const unsigned long id = std::strtoul(idText.c_str(), &end, 10);
    // Only the process the row shows: an id that now names another program is left alone.
    if (!idText.empty() && !*end) EndProcessIfNamed(static_cast<DWORD>(id), name);
  });
  ButtonRefProcessClick();
}

void TProcessTab::procListViewDblClick() {
  const int row = procListView.SelectedIndex();
  if (row < 0) return;
  const std::wstring folder = ExtractFilePath(procListView.SubItemW(row, 3));
  // The idle entry has no folder; a wildcard names no one folder.
  if (folder.empty() || folder.find_first_of(L"?*") != std::wstring::npos) return;
  Seams::Shell().ShellExecute(host_.MainWindow(), L"open", folder, L"", L"", SW_SHOWNORMAL);
}
