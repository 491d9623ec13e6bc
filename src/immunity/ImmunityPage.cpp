#include "immunity/ImmunityPage.h"

#include <atomic>

#include "immunity/AutoplayPolicy.h"
#include "immunity/ComponentImmunity.h"
#include "immunity/PluginImmunity.h"
#include "system/Seams.h"
#include "system/SysUtils.h"
#include "toolkit/Application.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/Responsive.h"
#include "toolkit/StatusBar.h"

namespace {

const char kCaption[] = "提示";
const int kBoxLeft = 16, kBoxTop = 52, kBoxStep = 22, kBoxWidth = 320, kBoxHeight = 18;

int BoxTop(int index) {
  return kBoxTop + index * kBoxStep;
}

// Finds a check box below `parent` by name, ignoring case.
TCheckBox* FindCheckBox(TControl& parent, const std::string& name) {
  for (TControl* child : parent.Children()) {
    if (SameText(child->Name(), name))
      if (auto* box = dynamic_cast<TCheckBox*>(child)) return box;
    if (TCheckBox* inner = FindCheckBox(*child, name)) return inner;
  }
  return nullptr;
}

}  // namespace

TImmunityPage::TImmunityPage(TTabSheet& componentSheet, TTabSheet& pluginSheet, IHost& host)
    : TabSheetComponents(componentSheet),
      TabSheetPlugins(pluginSheet),
      Label1(&componentSheet,
             "　在浏览网页时，经常会不知不觉地下载恶意木马程序，经过分析恶意\r\n"
             "木马程序都是利用IE的漏洞进行攻击的，本免疫就是屏蔽这些漏洞的。",
             16, 12),
      CheckBox1(&componentSheet, StandardComponents()[0].Label, kBoxLeft, BoxTop(0), kBoxWidth,
                kBoxHeight),
      CheckBox2(&componentSheet, StandardComponents()[1].Label, kBoxLeft, BoxTop(1), kBoxWidth,
                kBoxHeight),
      CheckBox3(&componentSheet, StandardComponents()[2].Label, kBoxLeft, BoxTop(2), kBoxWidth,
                kBoxHeight),
      CheckBox4(&componentSheet, StandardComponents()[3].Label, kBoxLeft, BoxTop(3), kBoxWidth,
                kBoxHeight),
      CheckBox5(&componentSheet, StandardComponents()[4].Label, kBoxLeft, BoxTop(4), kBoxWidth,
                kBoxHeight),
      CheckBox6(&componentSheet, StandardComponents()[5].Label, kBoxLeft, BoxTop(5), kBoxWidth,
                kBoxHeight),
      CheckBox7(&componentSheet, StandardComponents()[6].Label, kBoxLeft, BoxTop(6), kBoxWidth,
                kBoxHeight),
      CheckBox8(&componentSheet, "驱动器自动播放", kBoxLeft, BoxTop(7), 120, kBoxHeight),
      DriveBox(&componentSheet, 140, BoxTop(7) - 2, 130),
      CheckBox9(&componentSheet, "微软光标漏洞补丁MS07-017", kBoxLeft, BoxTop(8), kBoxWidth,
                kBoxHeight),
      Ms0717Url(&componentSheet, 290, BoxTop(8) - 2, 240, 20),
      Label2(&componentSheet, "勾选代表已免疫，未勾选代表没免疫。", 290, BoxTop(9)),
      Label3(&componentSheet, "全  选", 16, 322),
      Label4(&componentSheet, "全不选", 64, 322),
      BitBtn4(&componentSheet, "免疫选中的项目", 262, 316, 124, 25),
      BitBtn3(&componentSheet, "对选中项目取消免疫", 394, 316, 140, 25),
      PanelPluginButtons(&pluginSheet),
      ActiveListView(&pluginSheet, 0, 0, 546, 306, TListViewOptions::CheckedRows()),
      Selectall(&PanelPluginButtons, "全  选", 16, 14),
      Noselectall(&PanelPluginButtons, "全不选", 64, 14),
      BitBtn1(&PanelPluginButtons, "对选中项目取消免疫", 262, 8, 140, 25),
      BitBtn2(&PanelPluginButtons, "免疫选中的项目", 410, 8, 124, 25),
      Plugins(LoadPluginList()),
      OsFamily(GetWindowsVersionName(1)),
      PatchSources(DefaultPatchSources(OsFamily)),
      host_(host) {
  Label1.SetName("Label1");
  int n = 1;
  for (TCheckBox* box : ComponentBoxes()) box->SetName("CheckBox" + std::to_string(n++));
  CheckBox8.SetName("CheckBox8");
  CheckBox9.SetName("CheckBox9");
  DriveBox.SetName("DriveBox");
  for (const char* item : {"所有驱动器", "CD-ROM驱动器", "保留CD音频", "U盘驱动器"})
    DriveBox.AddItem(item);
  DriveBox.SetItemIndex(0);
  DriveBox.SetVisible(false);
  Ms0717Url.SetName("Ms0717Url");
  Ms0717Url.SetText(kBulletinUrl);
  Ms0717Url.SetVisible(false);
  Label2.SetName("Label2");
  Label2.SetVisible(false);
  Label3.SetName("Label3");
  Label3.SetTag(1);
  Label4.SetName("Label4");
  Label4.SetTag(2);
  BitBtn4.SetName("BitBtn4");
  BitBtn3.SetName("BitBtn3");

  PanelPluginButtons.SetName("PanelPluginButtons");
  PanelPluginButtons.SetBounds(0, 306, 546, 44);
  PanelPluginButtons.SetAlign(TAlign::Bottom);
  ActiveListView.SetName("ActiveListView");
  ActiveListView.SetAlign(TAlign::Client);
  ActiveListView.AddColumn("插件名称", 444);
  ActiveListView.AddColumn("是否免疫", 70, LVCFMT_CENTER);
  ActiveListView.AddColumn("", 0);
  ActiveListView.BeginUpdate();
  for (const TPlugin& p : Plugins) ActiveListView.AddItem(p.Name, {kPluginNotImmunised, p.ClassId});
  ActiveListView.EndUpdate();
  Selectall.SetName("Selectall");
  Selectall.SetTag(1);
  Noselectall.SetName("Noselectall");
  Noselectall.SetTag(2);
  BitBtn1.SetName("BitBtn1");
  BitBtn2.SetName("BitBtn2");

  CheckBox8.OnClick = [this](TControl* s) { CheckBox8Click(s); };
  for (TClickLabel* label : {&Label3, &Label4, &Selectall, &Noselectall})
    label->OnClick = [this](TControl* s) { SelectallClick(s); };
  BitBtn4.OnClick = [this](TControl* s) { BitBtn2Click(s); };
  BitBtn2.OnClick = [this](TControl* s) { BitBtn2Click(s); };
  BitBtn3.OnClick = [this](TControl* s) { BitBtn1Click(s); };
  BitBtn1.OnClick = [this](TControl* s) { BitBtn1Click(s); };
}

void TImmunityPage::SetInstallerTrust(IInstallerTrust* trust) {
  trust_ = trust ? trust : &realTrust_;
}

int TImmunityPage::ActiveInnerTab() const {
  TPageControl* pages = TabSheetComponents.PageControl();
  return pages ? pages->ActivePageIndex() : -1;
}

std::vector<TCheckBox*> TImmunityPage::ComponentBoxes() {
  return {&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4, &CheckBox5, &CheckBox6, &CheckBox7};
}

std::vector<bool> TImmunityPage::ComponentChecks() {
  std::vector<bool> checks;
  for (TCheckBox* box : ComponentBoxes()) checks.push_back(box->Checked());
  return checks;
}

std::vector<bool> TImmunityPage::PluginChecks() const {
  std::vector<bool> checks;
  for (int i = 0; i < ActiveListView.Count(); ++i) checks.push_back(ActiveListView.Checked(i));
  return checks;
}

int TImmunityPage::ShowMessage(const std::string& text, UINT icon) {
  return Seams::MessageBoxes().Show(host_.MainWindow(), text, kCaption, MB_OK | icon);
}

TImmunisationState TImmunityPage::CurrentState() {
  TImmunisationState s;
  s.Components = ComponentChecks();
  s.Autoplay = CheckBox8.Checked();
  s.DriveIndex = DriveBox.ItemIndex();
  for (int i = 0; i < ActiveListView.Count(); ++i)
    s.Plugins.push_back({ActiveListView.Checked(i), ActiveListView.SubItem(i, 0)});
  s.PatchChecked = CheckBox9.Checked();
  s.PatchEnabled = CheckBox9.Enabled();
  return s;
}

void TImmunityPage::ShowState(const TImmunisationState& s) {
  std::vector<TCheckBox*> boxes = ComponentBoxes();
  for (size_t i = 0; i < boxes.size() && i < s.Components.size(); ++i)
    boxes[i]->SetChecked(s.Components[i]);
  CheckBox8.SetChecked(s.Autoplay);  // a change runs CheckBox8Click
  if (DriveBox.ItemIndex() != s.DriveIndex) DriveBox.SetItemIndex(s.DriveIndex);
  ActiveListView.BeginUpdate();
  for (int i = 0; i < ActiveListView.Count() && i < (int)s.Plugins.size(); ++i) {
    if (ActiveListView.Checked(i) != s.Plugins[i].Checked)
      ActiveListView.SetChecked(i, s.Plugins[i].Checked);
    if (ActiveListView.SubItem(i, 0) != s.Plugins[i].Status)
      ActiveListView.SetSubItem(i, 0, s.Plugins[i].Status);
  }
  ActiveListView.EndUpdate();
  CheckBox9.SetChecked(s.PatchChecked);
  CheckBox9.SetEnabled(s.PatchEnabled);
}

void TImmunityPage::ReadImmunisationState() {
  try {
    TImmunisationState state = CurrentState();
    ReadStateFromRegistry(state, StandardComponents(), Plugins, OsFamily);
    ShowState(state);
  } catch (...) {
    // The status check never reports; the tabs keep what they showed.
  }
}

void TImmunityPage::BitBtn2Click(TControl*) {
  if (patchBusy_) return;  // a press while the patch is fetched must not start another
  switch (ActiveInnerTab()) {
    case kComponentTab:
      ImmuniseComponentTab();
      break;
    case kPluginTab:
      ImmunisePluginTab();
      break;
  }
}

void TImmunityPage::BitBtn1Click(TControl*) {
  if (patchBusy_) return;
  switch (ActiveInnerTab()) {
    case kComponentTab:
      CancelComponentTab();
      break;
    case kPluginTab:
      CancelPluginTab();
      break;
  }
}

void TImmunityPage::SelectallClick(TControl* sender) {
  const bool check = sender && sender->Tag() == 1;
  switch (ActiveInnerTab()) {
    case kComponentTab:
      for (int n = 1; n <= 9; ++n)
        if (TCheckBox* box = FindCheckBox(TabSheetComponents, "checkbox" + std::to_string(n)))
          box->SetChecked(check);
      break;
    case kPluginTab:
      ActiveListView.BeginUpdate();
      for (int i = 0; i < ActiveListView.Count(); ++i) ActiveListView.SetChecked(i, check);
      ActiveListView.EndUpdate();
      break;
  }
}

void TImmunityPage::CheckBox8Click(TControl*) {
  DriveBox.SetVisible(CheckBox8.Checked());
}

void TImmunityPage::ImmuniseComponentTab() {
  try {
    std::string text = ImmuniseComponents(StandardComponents(), ComponentChecks());
    if (CheckBox8.Checked() && ApplyAutoplayPolicy(DriveBox.ItemIndex()))
      AppendResult(text, "禁止驱动器自动播放设置成功");
    if (CheckBox9.Checked() && CheckBox9.Enabled()) {
      if (!CursorPatchApplies(OsFamily)) {
        ShowMessage("此选项只支持2000,xp系统");
      } else if (RunCursorPatch()) {
        AppendResult(text, "光标漏洞补丁成功");
      } else {
        SendMessageW(Ms0717Url.Handle(), EM_SETSEL, 0, -1);
        Seams::Clipboard().SetText(Ms0717Url.Text());
        ShowMessage(
            std::string("软件从Windows网站下载光标漏洞补丁程序失败，请确认您是否连上了互联网!") +
                "\r\n" + "或请手工下载，下载地址已经在粘贴板中，直接打开浏览器在地址栏上粘贴即可。",
            MB_ICONWARNING);
      }
    }
    if (text.empty()) {
      ShowMessage("请选中需要免疫的项目!");
    } else {
      ReadImmunisationState();
      ShowMessage(text);
    }
  } catch (...) {
    // A registry failure ends the press silently; the moves made before it stay made.
  }
  RestoreProgress();
}

void TImmunityPage::CancelComponentTab() {
  try {
    std::string text = RestoreComponents(StandardComponents(), ComponentChecks());
    if (CheckBox8.Checked() && CancelAutoplayPolicy()) AppendResult(text, "驱动器自动播放取消成功");
    if (text.empty()) {
      ShowMessage("请选中需要取消免疫的项目!");
      return;
    }
    CleanUpParkingRoot();
    ShowMessage(text);
    ReadImmunisationState();
  } catch (...) {
    // As for immunising: silent, what was done stays done.
  }
}

void TImmunityPage::ImmunisePluginTab() {
  try {
    const int count = ImmunisePlugins(Plugins, PluginChecks());
    if (count == 0) {
      ShowMessage("请选中需要免疫的插件!");
      return;
    }
    ReadImmunisationState();
    ShowMessage("免疫成功！共免疫了:" + std::to_string(count) + "个插件!");
  } catch (...) {
    // A failing write ends the press; the rows written before it stay written.
  }
}

void TImmunityPage::CancelPluginTab() {
  try {
    const int count = CancelPlugins(Plugins, PluginChecks());
    if (count == 0) {
      ShowMessage("请选中需要取消免疫的插件!");
      return;
    }
    ReadImmunisationState();
    ShowMessage("取消免疫成功!共取消免疫" + std::to_string(count) + "个插件!");
  } catch (...) {
    // As for immunising.
  }
}

bool TImmunityPage::RunCursorPatch() {
  PlaceProgressInStatusBar();
  // The download can take a minute: it runs on a worker while the window keeps answering and
  // the bar shows how far it got. The worker owns its copy of everything, in case the window
  // closes first.
  struct TFetch {
    TPatchSources Sources;
    std::vector<char> Bytes;
    std::atomic<int> Percent{0};
    bool Ok = false;
  };
  auto fetch = std::make_shared<TFetch>();
  fetch->Sources = PatchSources;
  TProgressBar& bar = host_.ProgressBar();
  std::vector<TButton*> buttons = {&BitBtn4, &BitBtn3, &BitBtn1, &BitBtn2};
  std::vector<bool> enabled;
  for (TButton* b : buttons) {
    enabled.push_back(b->Enabled());
    b->SetEnabled(false);
  }
  patchBusy_ = true;
  const bool finished = RunWhileResponsive(
      [fetch] { fetch->Ok = FetchInstaller(fetch->Sources, fetch->Bytes, &fetch->Percent); },
      [&] { bar.SetPosition(fetch->Percent); });
  patchBusy_ = false;
  for (size_t i = 0; i < buttons.size(); ++i) buttons[i]->SetEnabled(enabled[i]);
  if (!finished || host_.Closing()) throw TPatchAbandoned();  // the program is ending: no boxes
  bar.SetPosition(fetch->Percent);
  return fetch->Ok && RunInstallerBytes(fetch->Bytes, *trust_);
}

void TImmunityPage::PlaceProgressInStatusBar() {
  TProgressBar& bar = host_.ProgressBar();
  TStatusBar& status = host_.StatusBar();
  if (bar.Parent() == &status) return;
  progressHome_ = bar.Parent();
  progressBounds_ = {bar.Left(), bar.Top(), bar.Width(), bar.Height()};
  // Panel widths from the panels' right edges: a panel's rectangle leaves out the gap before it.
  const int edge0 = status.PanelRect(0).right, edge1 = status.PanelRect(1).right;
  bar.SetParentControl(&status);
  bar.SetBounds(edge0, 2, edge1 - edge0, status.Height() - 2);
  bar.SetPosition(0);
  bar.SetVisible(true);
}

void TImmunityPage::RestoreProgress() {
  TProgressBar& bar = host_.ProgressBar();
  if (bar.Parent() != &host_.StatusBar()) return;
  TControl* home = progressHome_ ? progressHome_ : TControl::FromHandle(host_.MainWindow());
  bar.SetParentControl(home);
  if (progressHome_)
    bar.SetBounds(progressBounds_.Left, progressBounds_.Top, progressBounds_.Width,
                  progressBounds_.Height);
  bar.SetVisible(false);
  progressHome_ = nullptr;
  Application.ProcessMessages();
}
