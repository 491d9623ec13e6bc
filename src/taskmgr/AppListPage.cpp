#include "taskmgr/AppListPage.h"

#include <memory>
#include <optional>

#include "system/ProcessQuery.h"
#include "system/Text.h"
#include "toolkit/Guarded.h"
#include "toolkit/KeyedRows.h"

const char kTaskRunningText[] = "正在运行";

namespace {
TListViewOptions TaskListOptions() {
  TListViewOptions o;
  o.rowSelect = true;
  o.readOnly = true;
  return o;
}
}  // namespace

TAppListTab::TAppListTab(TTabSheet& sheet, TTimer& timer2)
    : Sheet(sheet),
      TaskListView(&sheet, 0, 0, 500, 300, TaskListOptions()),
      PanelTaskButtons(&sheet),
      PanelTaskButtonStrip(&PanelTaskButtons),
      BtnCloseWindow(&PanelTaskButtonStrip, "结束任务(&E)", 0, 6, 90, 25),
      BtnGo(&PanelTaskButtonStrip, "切换至(&S)", 98, 6, 90, 25),
      BtnNewRun(&PanelTaskButtonStrip, "新任务(&N)...", 196, 6, 90, 25),
      timer2_(timer2) {
  TaskListView.SetName("TaskListView");
  TaskListView.AddColumn("任务", 250);
  TaskListView.AddColumn("状态", 100);
  TaskListView.SetSmallImages(ImageList.Handle());
  PanelTaskButtons.SetName("PanelTaskButtons");
  PanelTaskButtons.SetHeight(37);
  PanelTaskButtons.SetAlign(TAlign::Bottom);
  TaskListView.SetAlign(TAlign::Client);
  BtnCloseWindow.SetName("BtnCloseWindow");
  BtnGo.SetName("BtnGo");
  BtnNewRun.SetName("BtnNewRun");
  PanelTaskButtonStrip.SetWidth(3 * 98);
  PanelTaskButtonStrip.SetAlign(TAlign::Right);

  // Each row owns its record: it goes with the row, so no other row can ever read it. Its
  // picture's slot is left for the next new row.
  TaskListView.OnDeleteItem = [this](TListView*, int, LPARAM data) {
    const std::unique_ptr<TWinInfo> record(reinterpret_cast<TWinInfo*>(data));
    if (record && record->ImageIndex >= 0) freeSlots_.push_back(record->ImageIndex);
  };

  BtnCloseWindow.OnClick = [this](TControl*) { Guarded([&] { BtnCloseWindowClick(); }); };
  BtnGo.OnClick = [this](TControl*) { Guarded([&] { BtnGoClick(); }); };
  BtnNewRun.OnClick = [this](TControl*) { Guarded([&] { BtnNewRunClick(); }); };
}

TAppListTab::~TAppListTab() {
  // While the view still reports its rows going, so each row frees its record.
  TaskListView.Clear();
}

TWinInfo* TAppListTab::Record(int row) const {
  if (row < 0 || row >= TaskListView.Count()) return nullptr;
  return reinterpret_cast<TWinInfo*>(TaskListView.Data(row));
}

const TWinInfo* TAppListTab::RowRecord(int row) const {
  return Record(row);
}

bool TAppListTab::ShowIconOf(TWinInfo& record) {
  const HICON icon = GetWindowIcon(record.Window);
  if (record.ImageIndex >= 0 && icon == record.Icon) return false;
  int slot = record.ImageIndex;
  const bool reused = slot < 0 && !freeSlots_.empty();
  if (reused) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  }
  // The image list copies the icon (the window's own may go at any time) into the slot, or
  // appends it for slot -1.
  HIMAGELIST images = ImageList.Handle();
  int index = icon ? ImageList_ReplaceIcon(images, slot, icon) : -1;
  // A window without any icon still gets a picture, so rows stay aligned.
  if (index < 0) index = ImageList_ReplaceIcon(images, slot, LoadIcon(nullptr, IDI_APPLICATION));
  if (index < 0) {
    if (reused) freeSlots_.push_back(slot);
    return false;
  }
  record.ImageIndex = index;
  record.Icon = icon;
  return true;
}

void TAppListTab::UpdateRow(int row, TWindowEntry& seen, bool askIcon) {
  TWinInfo& record = *Record(row);  // there: the row's key came from it
  const bool titleChanged = record.Title != seen.Title;
  // A program that changes its title or its class's icon may well show another icon too.
  askIcon = askIcon || titleChanged || record.ClassIcon != seen.ClassIcon;
  static_cast<TWindowEntry&>(record) = std::move(seen);
  if (titleChanged) TaskListView.SetItemCaptionW(row, record.Title);
  const int slot = record.ImageIndex;
  if (askIcon && ShowIconOf(record)) {
    if (record.ImageIndex != slot)
      TaskListView.SetItemImage(row, record.ImageIndex);
    else
      TaskListView.RedrawItem(row);  // a new picture in the same slot
  }
}

void TAppListTab::AppendRow(TWindowEntry& seen) {
  auto record = std::make_unique<TWinInfo>();
  static_cast<TWindowEntry&>(*record) = std::move(seen);
  ShowIconOf(*record);
  // The row takes the record only when it exists; a failed insert frees it, and its slot, here.
  if (TaskListView.AddItemW(record->Title, {WideFrom(kTaskRunningText)}, record->ImageIndex,
                            reinterpret_cast<LPARAM>(record.get())) >= 0)
    record.release();
  else if (record->ImageIndex >= 0)
    freeSlots_.push_back(record->ImageIndex);
}

void TAppListTab::RefreshWindowList() {
  std::vector<TWindowEntry> windows = EnumerateWindows();
  TAcceptWindow accept;
  // One listed window a tick is asked for its icon again, in turn: a program that changes only
  // its icon is seen within as many ticks as there are rows.
  const int rows = TaskListView.Count();
  const int recheck =
      rows > 0 ? static_cast<int>(recheckTurn_++ % static_cast<unsigned>(rows)) : -1;
  RefreshKeyedRows(
      TaskListView, windows,
      [this](int row) -> std::optional<HWND> {
        if (const TWinInfo* record = Record(row)) return record->Window;
        return std::nullopt;
      },
      [](const TWindowEntry& w) { return w.Window; },
      // A window that is now a second window of a process already listed loses its row at once.
      [&](int row, TWindowEntry& w) {
        if (!accept(w)) return false;
        UpdateRow(row, w, row == recheck);
        return true;
      },
      [&](TWindowEntry& w) {
        if (accept(w)) AppendRow(w);
      });
}

void TAppListTab::BtnCloseWindowClick() {
  const TWinInfo* record = RowRecord(TaskListView.SelectedIndex());
  if (!record) return;
  timer2_.SetEnabled(false);
  Guarded([&] {
    if (IsSharedProcessWindowClass(record->ClassName)) {
      // The shell and the browser own many such windows: end the task, not all of them.
      if (IsWindow(record->Window)) PostMessageW(record->Window, WM_CLOSE, 0, 0);
      return;
    }
    const DWORD processId = WindowProcessId(record->Window);
    if (processId != 0) EndProcessById(processId);
  });
  timer2_.SetEnabled(true);
}

void TAppListTab::BtnGoClick() {
  if (const TWinInfo* record = RowRecord(TaskListView.SelectedIndex()))
    SetForegroundWindow(record->Window);
}

void TAppListTab::BtnNewRunClick() {
  // Windows key + R opens the shell's Run dialog.
  const BYTE win = VK_LWIN, r = 'R';
  keybd_event(win, static_cast<BYTE>(MapVirtualKeyA(win, 0)), 0, 0);
  keybd_event(r, static_cast<BYTE>(MapVirtualKeyA(r, 0)), 0, 0);
  keybd_event(r, static_cast<BYTE>(MapVirtualKeyA(r, 0)), KEYEVENTF_KEYUP, 0);
  keybd_event(win, static_cast<BYTE>(MapVirtualKeyA(win, 0)), KEYEVENTF_KEYUP, 0);
}
