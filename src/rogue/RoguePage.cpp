#include "rogue/RoguePage.h"

#include <string>
#include <vector>

#include "rogue/RogueDefinitions.h"
#include "rogue/RogueScanner.h"
#include "system/Handles.h"
#include "system/Seams.h"
#include "toolkit/Sync.h"

const char kRogueProgramVersion[] = "1.2";
const char kRogueEngineVersion[] = "1.01";
const char kRogueDefinitionsDate[] = "2007-05-08";
const char kRogueReportProgramPath[] = "C:\\Program Files\\Veldor\\veldor.exe";

namespace {

// The information icon beside the notice of the clean tab.
TBitmap NoticePicture(int size) {
  TBitmap picture(size, size);
  {
    TWindowDC screen;
    TMemoryDC dc(CreateCompatibleDC(screen.get()));
    TSelectGuard onPicture(dc.get(), picture.Handle());
    RECT r{0, 0, size, size};
    FillRect(dc.get(), &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawIconEx(dc.get(), 0, 0, LoadIconA(nullptr, (LPCSTR)IDI_INFORMATION), size, size, 0, nullptr,
               DI_NORMAL);
  }
  return picture;
}
}  // namespace

namespace {
// Layout of the "基本信息：" group: captions on the left, values beside them.
const int kInfoCaptionLeft = 20, kInfoValueLeft = 130, kInfoTop = 26, kInfoStep = 24;
}  // namespace

TRoguePage::TRoguePage(TTabSheet& scanSheet, TTabSheet& cleanSheet, IHost& host)
    : ScanSheet(scanSheet),
      LabelScanStatus(&scanSheet, "检测状态：", 24, 24),
      LabelScanFoundCout(&scanSheet, "发现恶意软件数：", 24, 52),
      BitBtn9(&scanSheet, "检测恶意软件", 24, 84, 110, 28),
      BitBtn10(&scanSheet, "举报恶意软件", 146, 84, 110, 28),
      GroupBoxBaseInfo(&scanSheet, "基本信息：", 16, 132, 514, 132),
      Label17(&GroupBoxBaseInfo, "主程序版本号：", kInfoCaptionLeft, kInfoTop),
      Label18(&GroupBoxBaseInfo, "清理模块版本：", kInfoCaptionLeft, kInfoTop + kInfoStep),
      Label19(&GroupBoxBaseInfo, "清理引擎日期：", kInfoCaptionLeft, kInfoTop + 2 * kInfoStep),
      Label20(&GroupBoxBaseInfo, "可清理软件数：", kInfoCaptionLeft, kInfoTop + 3 * kInfoStep),
      LabelProgramVersion(&GroupBoxBaseInfo, kRogueProgramVersion, kInfoValueLeft, kInfoTop),
      LabelEngineVersion(&GroupBoxBaseInfo, kRogueEngineVersion, kInfoValueLeft,
                         kInfoTop + kInfoStep),
      LabelEngineDate(&GroupBoxBaseInfo, kRogueDefinitionsDate, kInfoValueLeft,
                      kInfoTop + 2 * kInfoStep),
      LabelDefinitionCount(&GroupBoxBaseInfo, std::to_string(kRogueDefinitionCount), kInfoValueLeft,
                           kInfoTop + 3 * kInfoStep),
      CleanSheet(cleanSheet),
      ListView_(&cleanSheet, 4, 4, 538, 236, TListViewOptions::CheckedRows()),
      GroupBoxClean(&cleanSheet, "恶意软件清理", 4, 248, 538, 96),
      Image2(&GroupBoxClean, 16, 30, 32, 32),
      Label13(&GroupBoxClean, "没有发现恶意软件...", 58, 40),
      BitBtnStartScan(&GroupBoxClean, "开始检测", 300, 34, 100, 28),
      BitBtnClear(&GroupBoxClean, "清理选中项目", 412, 34, 110, 28),
      host_(host) {
  SetUpScanSheet();
  SetUpCleanSheet();
}

void TRoguePage::SetUpScanSheet() {
  LabelScanStatus.SetName("LabelScanStatus");
  LabelScanFoundCout.SetName("LabelScanFoundCout");
  BitBtn9.SetName("BitBtn9");
  BitBtn9.OnClick = [this](TControl*) { BitBtn9Click(); };
  BitBtn10.SetName("BitBtn10");
  BitBtn10.SetVisible(false);
  BitBtn10.OnClick = [this](TControl*) { BitBtn10Click(); };
  GroupBoxBaseInfo.SetName("GroupBoxBaseInfo");
  Label17.SetName("Label17");
  Label18.SetName("Label18");
  Label19.SetName("Label19");
  Label20.SetName("Label20");
}

void TRoguePage::SetUpCleanSheet() {
  ListView_.SetName("ListView_");
  ListView_.AddColumn("名称", 180);
  ListView_.AddColumn("清理引擎版本", 100);
  ListView_.AddColumn("风险值", 70, LVCFMT_CENTER);
  ListView_.AddColumn("相关值", 200);
  ListView_.OnChange = [this](TListView*, int) { ListView_Change(); };
  GroupBoxClean.SetName("GroupBoxClean");
  Image2.SetName("Image2");
  Image2.SetPicture(NoticePicture(32));
  Label13.SetName("Label13");
  BitBtnStartScan.SetName("BitBtnStartScan");
  BitBtnStartScan.OnClick = [this](TControl*) { BitBtnStartScanClick(); };
  BitBtnClear.SetName("BitBtnClear");
  BitBtnClear.SetEnabled(false);
  BitBtnClear.OnClick = [this](TControl*) { BitBtnClearClick(); };
}

void TRoguePage::BitBtnStartScanClick() {
  try {
    LoadRogueDefinitions();
    ListView_.Clear();
    ListView_.BeginUpdate();
    SetRogueFoundCount(0);
    ScanRogueDefinitions(
        RogueDefinitions(),
        [this](const std::string& name) {
          LabelScanStatus.SetCaption("正在检测：" + name + "...");
        },
        [this](const TRogueRow& row) {
          SetRogueFoundCount(RogueFoundCount() + 1);
          ListView_.AddItem(row.Name, {row.EngineVersion, row.Risk, row.RelationValue}, -1,
                            nextRowId_++);
          // Not every list view reports an inserted row as a change; a new row is one.
          ListView_Change();
        });
  } catch (...) {
    // The scan reports nothing but its completion, whatever happened.
  }
  ListView_.EndUpdate();
  LabelScanStatus.SetCaption("检测状态：检测完毕。");
  LabelScanFoundCout.SetCaption("发现恶意软件数：" + std::to_string(RogueFoundCount()) + "。");
}

void TRoguePage::BitBtn9Click() {
  BitBtnStartScan.Click();
}

void TRoguePage::ListView_Change() {
  // While a removal runs the button stays off; the removal turns it back on when it ends.
  if (!removing_) BitBtnClear.SetEnabled(true);
}

void TRoguePage::BitBtnClearClick() {
  if (removing_) return;  // one removal at a time: a second press is ignored
  removing_ = true;
  BitBtnClear.SetEnabled(false);
  try {
    host_.StartJob(kJobRogueRemoval);
  } catch (...) {
    removing_ = false;
    BitBtnClear.SetEnabled(true);
  }
}

void TRoguePage::BitBtn10Click() {
  try {
    const std::string path = kRogueReportProgramPath;
    Seams::Processes().RunAndWait(path, "\"" + path + "\"");
  } catch (...) {
  }
}

int TRoguePage::RowOfId(LPARAM id) const {
  for (int i = 0, n = ListView_.Count(); i < n; ++i)
    if (ListView_.Data(i) == id) return i;
  return -1;
}

void TRoguePage::RunRemoval() {
  if (workerActive_.exchange(true)) return;
  struct Job {
    LPARAM id;
    std::string relation;
  };
  std::vector<Job> jobs;
  std::vector<LPARAM> handled;
  bool undoFailed = false;
  try {
    // The rows to handle are fixed here, in list order; a scan or check marks made meanwhile do
    // not change what this removal works on.
    Synchronize([&] {
      removing_ = true;
      BitBtnClear.SetEnabled(false);
      for (int i = 0, n = ListView_.Count(); i < n; ++i)
        if (ListView_.Checked(i)) jobs.push_back({ListView_.Data(i), ListView_.SubItem(i, 2)});
    });
    bool uninstallerStarted = false;
    for (const Job& job : jobs) {
      if (uninstallerStarted && RemovalPauseMs) Sleep(RemovalPauseMs);
      uninstallerStarted = false;
      try {
        const TRogueRemoval done = RemoveRogue(job.relation);
        uninstallerStarted = done.UninstallerStarted;
        // Without its undo file nothing was removed: the row stays.
        if (done.UndoFailed) {
          undoFailed = true;
          continue;
        }
        handled.push_back(job.id);
      } catch (...) {
        // The row stays in the list so the user sees it was not removed.
      }
    }
  } catch (...) {
  }
  try {
    Synchronize([&] {
      for (LPARAM id : handled) {
        int row = RowOfId(id);
        if (row >= 0) ListView_.Delete(row);
      }
      workerActive_ = false;
      removing_ = false;
      BitBtnClear.SetEnabled(true);
      if (undoFailed) ShowUndoFailure(host_.MainWindow());
    });
  } catch (...) {
    workerActive_ = false;
    removing_ = false;
  }
}
