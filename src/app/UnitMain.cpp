#include "app/UnitMain.h"

#include "app/FeaturePages.h"
#include "app/HelpPages.h"
#include "app/JobRunner.h"
#include "taskmgr/TaskManagerPage.h"
#include "app/SettingsPage.h"
#include "app/TrayIcon.h"
#include "system/SysUtils.h"
#include "toolkit/Application.h"
#include "toolkit/Guarded.h"

TFormMain* FormMain = nullptr;

namespace {
// Link caption, tag, glyph resource; grouped by panel below.
struct TNavLink {
  const char* name;
  const char* caption;
  int tag;
  const char* glyph;
};
}  // namespace

TFormMain::TFormMain() : TForm("TFormMain", true) {
  FormMain = this;
  SetName("FormMain");
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, (LPARAM)icon);
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, (LPARAM)icon);
  BuildLayout();
  BuildNavigation();
  Tray = std::make_unique<TTrayIcon>(Handle(), [this] { ExitProgram(); });
  FormCreate();
  creating_ = false;
}

TFormMain::~TFormMain() {
  // After an exit from the tray menu the window outlives the message loop: its destroy step
  // still runs, while everything it touches is alive.
  if (Handle()) FormDestroy();
  UnregisterJobs();
  Pages.reset();
  Tray.reset();
  if (FormMain == this) FormMain = nullptr;
}

void TFormMain::BuildLayout() {
  SetClientSize(715, 503);
  CenterOnScreen();

  PaintPanel1 = std::make_unique<TPaintPanel>(this);
  PaintPanel1->SetName("PaintPanel1");
  PaintPanel1->SetHeight(81);
  PaintPanel1->SetAlign(TAlign::Top);
  PaintPanel1->OnPaint = [this](TPaintPanel* p, HDC dc) { PaintPanel1Paint(p, dc); };
  ImageTitleColorDemo.LoadResource("IMAGETITLECOLORDEMO");
  ImageTitle = std::make_unique<TImage>(PaintPanel1.get(), 0, 0, 289, 81);
  ImageTitle->SetName("ImageTitle");
  ImageTitle->SetAlign(TAlign::Left);
  ImageTitle->Picture().LoadJpegResource("IMAGETITLE");

  StatusBar1 = std::make_unique<TStatusBar>(this, 19);
  StatusBar1->SetName("StatusBar1");
  StatusBar1->SetPanelWidths({400, 150, 150});

  PanelLeft = std::make_unique<TPanel>(this);
  PanelLeft->SetName("PanelLeft");
  PanelLeft->SetWidth(161);
  PanelLeft->SetAlign(TAlign::Left);
  PanelLeftRight = std::make_unique<TPanel>(PanelLeft.get());
  PanelLeftRight->SetName("PanelLeftRight");
  PanelLeftRight->SetWidth(158);
  PanelLeftRight->SetAlign(TAlign::Right);

  PanelMiddle = std::make_unique<TPanel>(this);
  PanelMiddle->SetName("PanelMiddle");
  PanelMiddle->SetAlign(TAlign::Client);
  PanelMiddleTop = std::make_unique<TPanel>(PanelMiddle.get());
  PanelMiddleTop->SetName("PanelMiddleTop");
  PanelMiddleTop->SetHeight(24);
  PanelMiddleTop->SetColor(10132122);
  PanelMiddleTop->SetAlign(TAlign::Top);
  ImageMiddle = std::make_unique<TImage>(PanelMiddleTop.get(), 8, 7, 17, 17);
  ImageMiddle->SetName("ImageMiddle");
  ImageMiddle->SetTransparent(true);
  LabelMiddle = std::make_unique<TLabel>(PanelMiddleTop.get(), "", 32, 8);
  LabelMiddle->SetName("LabelMiddle");
  TFont headerFont("宋体", -13);
  headerFont.SetBold(true);
  LabelMiddle->SetFont(headerFont);
  LinkLabelMiddle_ = std::make_unique<TLinkLabel>(PanelMiddleTop.get());
  LinkLabelMiddle_->SetName("LinkLabelMiddle_");
  LinkLabelMiddle_->SetVisible(false);

  PageControl = std::make_unique<TPageControl>(PanelMiddle.get());
  PageControl->SetName("PageControl");
  PageControl->SetAlign(TAlign::Client);
  // The twelve page tabs are never shown (the navigation column switches pages), so they are
  // made hidden rather than added to the strip and taken out again.
  for (int i = 0; i < 12; ++i) {
    TS[i] = std::make_unique<TTabSheet>(PageControl.get(), std::to_string(i + 1), false);
    TS[i]->SetName("TS" + std::to_string(i + 1));
  }

  PageControl1 = std::make_unique<TPageControl>(TS[0].get());
  PageControl1->SetName("PageControl1");
  PageControl1->SetAlign(TAlign::Client);
  TabRogueScan = std::make_unique<TTabSheet>(PageControl1.get(), "恶意软件检测");
  TabRogueClean = std::make_unique<TTabSheet>(PageControl1.get(), "恶意软件清理");
  TabComponents = std::make_unique<TTabSheet>(PageControl1.get(), "恶意网页免疫");
  TabPlugins = std::make_unique<TTabSheet>(PageControl1.get(), "插件免疫");

  PageControl2 = std::make_unique<TPageControl>(TS[1].get());
  PageControl2->SetName("PageControl2");
  PageControl2->SetAlign(TAlign::Client);
  TabApplications = std::make_unique<TTabSheet>(PageControl2.get(), "应用程序");
  TabProcesses = std::make_unique<TTabSheet>(PageControl2.get(), "进程");
  TabPerformance = std::make_unique<TTabSheet>(PageControl2.get(), "性能");
  PageControl2->OnChange = [this](TPageControl* p) { PageControl2Change(p); };

  LabelNoSuspectFiles = std::make_unique<TLabel>(TS[4].get(), "未发现可疑文件!", 16, 16);

  ProgressBar1 = std::make_unique<TProgressBar>(this, 0, 0, 149, 17, true);
  ProgressBar1->SetName("ProgressBar1");
  ProgressBar1->SetVisible(false);
  // The feature pages are built in FormCreate, once the window is on screen.
}

void TFormMain::BuildNavigation() {
  struct TNavPanel {
    std::unique_ptr<TWinPanel>* panel;
    const char* name;
    const char* caption;
    int height;
    std::vector<std::pair<std::unique_ptr<TLinkLabel>*, TNavLink>> links;
  };
  std::vector<TNavPanel> table = {
      {&Panel_Clean,
       "Panel_Clean",
       "系统清理",
       161,
       {{&LinkLabel0101, {"LinkLabel0101", "恶意软件清理", 1, "NAV01"}},
        {&LinkLabel0102, {"LinkLabel0102", "系统进程清理", 2, "NAV02"}},
        {&LinkLabel0103, {"LinkLabel0103", "启动项目清理", 3, "NAV03"}},
        {&LinkLabel0104, {"LinkLabel0104", "注册表项清理", 4, "NAV04"}},
        {&LinkLabel0105, {"LinkLabel0105", "可疑文件搜索", 5, "NAV05"}},
        {&LinkLabel0106, {"LinkLabel0106", "临时文件清理", 6, "NAV06"}}}},
      {&Panel_Tools,
       "Panel_Tools",
       "系统工具",
       104,
       {{&LinkLabel0201, {"LinkLabel0201", "浏览器相关", 7, "NAV07"}},
        {&LinkLabel0202, {"LinkLabel0202", "注册表备份", 8, "NAV08"}},
        {&LinkLabel0203, {"LinkLabel0203", "综合设置", 9, "NAV09"}}}},
      {&Panel_Update,
       "Panel_Update",
       "在线升级",
       59,
       {{&LinkLabel0301, {"LinkLabel0301", "在线升级", 10, "NAV10"}}}},
      {&Panel_Help,
       "Panel_Help",
       "系统帮助",
       85,
       {{&LinkLabel0401, {"LinkLabel0401", "系统帮助", 11, "NAV11"}},
        {&LinkLabel0402, {"LinkLabel0402", "关于. . . .", 12, "NAV12"}}}},
      {&Panel_Ads, "Panel_Ads", "", 41, {}},
  };
  // GB2312 rather than the system's default character set: on a Chinese system the two are the
  // same, and elsewhere the default one would pick a face without the titles' characters.
  TFont titleFont("MS Sans Serif", -11, GB2312_CHARSET);
  titleFont.SetBold(true);
  titleFont.SetColor(RGB(255, 255, 255));
  // IDC_HAND is missing before Windows 2000: fall back to the arrow there.
  HCURSOR hand = LoadCursor(nullptr, IDC_HAND);
  if (!hand) hand = LoadCursor(nullptr, IDC_ARROW);
  for (TNavPanel& row : table) {
    auto panel = std::make_unique<TWinPanel>(PanelLeftRight.get());
    panel->SetName(row.name);
    panel->SetCaption(row.caption);
    panel->SetTitleHeight(22);
    panel->SetContentHeight(row.height);
    panel->SetTitleColor(GetSysColor(COLOR_GRADIENTACTIVECAPTION));
    panel->SetTitleFont(titleFont);
    panel->SetAinmateEffect(false);
    panel->SetHeight(row.height);
    panel->SetAlign(TAlign::Top);
    panel->OnPanelOpenedClosed = [this](TWinPanel* p, TPanelStatus s) {
      WinPanelOpenedClosed(p, s);
    };
    int y = 22 + 6;
    for (auto& [slot, link] : row.links) {
      auto label = std::make_unique<TLinkLabel>(panel.get());
      label->SetName(link.name);
      label->SetCaption(link.caption);
      label->SetTag(link.tag);
      label->SetControlCursor(hand);
      TBitmap glyph;
      glyph.LoadResource(link.glyph);
      label->SetBitmap(glyph);
      label->SetBounds(14, y, label->Width(), label->Height());
      if (link.tag != 10) label->OnClick = [this](TControl* s) { LinkLabel0101Click(s); };
      y += 22;
      *slot = std::move(label);
    }
    *row.panel = std::move(panel);
  }
  Panel_Ads->SetVisible(false);
  LinkLabel0301->OnClick = [this](TControl* s) { LinkLabel0301Click(s); };
}

void TFormMain::FormCreate() {
  Guarded([&] {
    Application.Title = "Veldor 1.2";
    SetCaption(Application.Title);
    StatusBar1->SetPanelText(0, Application.Title);
    AnimateWindow(Handle(), 250, AW_ACTIVATE | AW_CENTER);
  });
  // The pages' controls come after the opening animation: nothing paints before the message
  // loop runs, so the window looks the same, only it is on screen sooner. A page that cannot be
  // built ends the start, as it did before.
  Pages = std::make_unique<TFeaturePages>(*this);
  Help = std::make_unique<THelpPages>(*TS[10], *TS[11], [this] { GoToHelpPage(); });
  Timer2.OnTimer = [this](TTimer*) { Timer2Timer(); };
  Guarded([&] {
    // The IE extension enumerator and the registry cleaner's registry object are created here
    // by their pages (TFeaturePages owns them), which exist from the line above.
    // All twelve page tabs stay hidden: the navigation column is the only way between pages.
    for (auto& sheet : TS) sheet->SetTabVisible(false);
    ApplicationDir = ExtractFilePath(Application.ExeName());
    if (ApplicationDir.empty() || ApplicationDir.back() != '\\') ApplicationDir += '\\';
  });
}

void TFormMain::Show() {
  ShowWindow(Handle(), SW_SHOW);
  FormShow();
}

void TFormMain::DoShow() {
  if (!creating_) FormShow();
}

void TFormMain::FormShow() {
  if (FirstShowDone || closing_) return;
  Guarded([&] { Pages->PrepareAtFirstShow(); });  // registry cleaner grid, immunisation state
  // Whatever happened above, the once-only block runs.
  Guarded([&] {
    FirstShowDone = true;
    NavLinks = {LinkLabel0101.get(), LinkLabel0102.get(), LinkLabel0103.get(), LinkLabel0104.get(),
                LinkLabel0105.get(), LinkLabel0106.get(), LinkLabel0201.get(), LinkLabel0202.get(),
                LinkLabel0203.get(), LinkLabel0301.get(), LinkLabel0401.get(), LinkLabel0402.get()};
    NavPanels = {Panel_Clean.get(), Panel_Tools.get(), Panel_Update.get(), Panel_Ads.get(),
                 Panel_Help.get()};
    for (size_t i = 1; i < NavPanels.size(); ++i) {
      NavPanels[i]->SetPanelStatus(dtClosed);
      NavPanels[i]->SetTitleImageOpened(Panel_Clean->TitleImageOpened());
      NavPanels[i]->SetTitleImageClosed(Panel_Clean->TitleImageClosed());
    }
    LinkLabel0101Click(LinkLabel0101.get());
    // Task list images join here with their page.
    Pages->Settings->LoadSettings(ApplicationDir + "config.ini", *Tray);
  });
}

bool TFormMain::FormCloseQuery() {
  StopBackgroundWork();
  // The registry scan runs inside this thread's message loop: the window must outlive it.
  if (Pages && Pages->HoldCloseForScan()) return false;
  return true;
}

void TFormMain::FormClose() {
  Guarded([&] { Tray->Remove(); });
  Guarded([&] {
    if (!IsZoomed(Handle())) AnimateWindow(Handle(), 300, AW_HIDE | AW_SLIDE | AW_HOR_NEGATIVE);
  });
}

void TFormMain::FormDestroy() {
  Guarded([&] { Tray->Remove(); });
  // The registry cleaner's registry object is released here once it exists.
}

void TFormMain::StopBackgroundWork() {
  closing_ = true;
  if (stopped_) return;
  stopped_ = true;
  for (auto& stop : stopHooks_) Guarded(stop);
}

void TFormMain::ExitProgram() {
  Guarded([&] { StopBackgroundWork(); });
  Guarded([&] { Tray->Remove(); });
  PostQuitMessage(0);
}

LRESULT TFormMain::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (Tray) Guarded([&] { Tray->HandleMessage(msg, wParam, lParam); });
  return TForm::WndProc(msg, wParam, lParam);
}

void TFormMain::StartJob(WORD code) {
  ::StartJob(code);
}

void TFormMain::WinPanelOpenedClosed(TWinPanel* sender, TPanelStatus status) {
  if (closing_ || status == dtClosed) return;
  for (TWinPanel* panel : NavPanels)
    if (panel != sender) panel->SetPanelStatus(dtClosed);
}

void TFormMain::LinkLabel0101Click(TControl* sender) {
  auto* link = dynamic_cast<TLinkLabel*>(sender);
  if (!link) return;
  Guarded([&] {
    if (CurrentNavTag >= 1 && CurrentNavTag <= NavLinks.size())
      NavLinks[CurrentNavTag - 1]->Font().SetBold(false);
    link->Font().SetBold(true);
    CurrentNavTag = static_cast<WORD>(link->Tag());
    if (CurrentNavTag == 0) return;
    RunPageActions(CurrentNavTag);
    StatusBar1->SetPanelText(0, link->Caption());
    if (CurrentNavTag == 2) {
      if (FirstVisit(2)) {
        EnableDebugPrivilege();
        Pages->FirstVisitTaskManager();
        Timer2.SetEnabled(true);
      }
      if (!Timer2.Enabled()) Timer2.SetEnabled(true);
    } else {
      if (Timer2.Enabled()) Timer2.SetEnabled(false);
      StatusBar1->SetPanelText(1, "");
      StatusBar1->SetPanelText(2, "");
    }
    ImageMiddle->SetPicture(link->Bitmap());
    LabelMiddle->SetCaption(link->Caption());
  });
}

void TFormMain::LinkLabel0301Click(TControl*) {
  // The upgrade page opens in the browser even when going to the help page failed.
  Guarded([&] { GoToHelpPage(); });
  Guarded([&] { Help->LabelWebUrlClick(); });
}

void TFormMain::GoToHelpPage() {
  PageControl->SetActivePage(TS[10].get());
  ImageMiddle->SetPicture(LinkLabel0401->Bitmap());
  LabelMiddle->SetCaption(LinkLabel0401->Caption());
}

bool TFormMain::FirstVisit(int tag) {
  if (visited_[tag]) return false;
  visited_[tag] = true;
  return true;
}

void TFormMain::RunPageActions(int tag) {
  if (tag < 1 || tag > 12) return;
  PageControl->SetActivePage(TS[tag - 1].get());
  switch (tag) {
    case 1:
      PageControl1->SetActivePageIndex(0);
      break;
    case 3:
      if (FirstVisit(3)) Pages->FirstVisitStartup();
      break;
    case 7:
      if (FirstVisit(7)) Pages->FirstVisitBrowser();
      break;
    case 11:
      Help->VisitHelpPage();
      break;
    case 12:
      if (FirstVisit(12)) Help->FirstVisitAboutPage();
      break;
  }
}

void TFormMain::PaintPanel1Paint(TPaintPanel* sender, HDC dc) {
  RECT r = sender->ClientRect();
  ImageTitleColorDemo.StretchDraw(dc, r);
  ImageTitle->Repaint();
}

void TFormMain::PageControl2Change(TPageControl*) {
  Guarded([&] {
    // The task manager's link is the second of NavLinks; before the first show it is not filled.
    const TLinkLabel* link = NavLinks.size() > 1 ? NavLinks[1] : LinkLabel0102.get();
    Pages->TaskManager->PageControl2Change(link->Caption());
  });
}

void TFormMain::Timer2Timer() {
  Guarded([&] { Pages->TaskManager->Timer2Timer(); });
}
