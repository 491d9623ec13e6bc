#include "taskmgr/AppListPage.h"

#include <unordered_map>

#include "taskmgr/ProcessList.h"
#include "toolkit/Guarded.h"

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

  // Each row owns its record: it goes with the row, so no other row can ever read it.
  TaskListView.OnDeleteItem = [](TListView*, int, LPARAM data) {
    delete reinterpret_cast<TWinInfo*>(data);
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

int TAppListTab::AddIconOf(HWND window) {
  int index = ImageList.AddIcon(GetWindowIcon(window));
  // A window without any icon still gets a picture, so rows stay aligned.
  if (index < 0) index = ImageList.AddIcon(LoadIcon(nullptr, IDI_APPLICATION));
  return index;
}

void TAppListTab::RefreshWindowList() {
  TWindowSnapshot snapshot = EnumerateWindows();
  std::unordered_map<HWND, size_t> byHandle;
  for (size_t i = 0; i < snapshot.size(); ++i) byHandle.emplace(snapshot[i]->Window, i);
  TAcceptWindow accept;
  ImageList.Clear();

  TaskListView.BeginUpdate();
  try {
    const int rows = TaskListView.Count();
    int row = 0;
    for (int step = 0; step < rows; ++step) {
      TWinInfo* record = Record(row);
      auto it = record ? byHandle.find(record->Window) : byHandle.end();
      // A window that is gone, or that is now a second window of a process already listed,
      // loses its row at once.
      if (it == byHandle.end() || !snapshot[it->second] ||
          !accept(snapshot[it->second]->Window, snapshot[it->second]->ClassName)) {
        TaskListView.Delete(row);
        continue;
      }
      std::unique_ptr<TWinInfo> fresh = std::move(snapshot[it->second]);
      *record = std::move(*fresh);
      LVITEMA item{};
      item.mask = LVIF_IMAGE | LVIF_TEXT;
      item.iItem = row;
      item.iImage = AddIconOf(record->Window);
      item.pszText = record->Title.data();
      SendMessageA(TaskListView.Handle(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
      TaskListView.SetSubItem(row, 0, kTaskRunningText);
      ++row;
    }
    for (std::unique_ptr<TWinInfo>& info : snapshot) {
      if (!info || !accept(info->Window, info->ClassName)) continue;
      // The row takes the record only when it exists; a failed insert frees it here.
      if (TaskListView.AddItem(info->Title, {kTaskRunningText}, AddIconOf(info->Window),
                               reinterpret_cast<LPARAM>(info.get())) >= 0)
        info.release();
    }
  } catch (...) {
    TaskListView.EndUpdate();
    throw;
  }
  TaskListView.EndUpdate();
}

void TAppListTab::BtnCloseWindowClick() {
  const TWinInfo* record = RowRecord(TaskListView.SelectedIndex());
  if (!record) return;
  timer2_.SetEnabled(false);
  Guarded([&] {
    if (IsSharedProcessWindowClass(record->ClassName)) {
      // The shell and the browser own many such windows: end the task, not all of them.
      if (IsWindow(record->Window)) PostMessageA(record->Window, WM_CLOSE, 0, 0);
      return;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(record->Window, &processId);
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
