// The main window: title band, navigation column, page header, twelve pages, status bar; the
// start-up and shut-down sequence and the page switch.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/LinkLabel.h"
#include "controls/PaintPanel.h"
#include "controls/WinPanel.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Form.h"
#include "toolkit/Host.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/StatusBar.h"
#include "toolkit/Timer.h"

class TFeaturePages;
class TTrayIcon;
class THelpPages;

class TFormMain : public TForm, public IHost {
 public:
  TFormMain();
  ~TFormMain() override;

  // Shows the window as the program's start does; the first show runs its once-only block.
  void Show();

  // IHost
  HWND MainWindow() override { return Handle(); }
  TStatusBar& StatusBar() override { return *StatusBar1; }
  TProgressBar& ProgressBar() override { return *ProgressBar1; }
  void StartJob(WORD code) override;
  bool Closing() override { return closing_; }

  // Window events.
  void FormCreate();
  void FormShow();
  bool FormCloseQuery();
  void FormClose();
  void FormDestroy();
  void LinkLabel0101Click(TControl* sender);
  void LinkLabel0301Click(TControl* sender);
  // Shows page 11 under the help link's header; the bold link, CurrentNavTag, the status bar,
  // Timer2 and the site address label stay as they are.
  void GoToHelpPage();
  void WinPanelOpenedClosed(TWinPanel* sender, TPanelStatus status);
  void PaintPanel1Paint(TPaintPanel* sender, HDC dc);
  void PageControl2Change(TPageControl* sender);
  void Timer2Timer();

  // The one exit path of "退出程序(&E)": background work is asked to stop, the tray icon goes and
  // the message loop ends; the window is destroyed after that, when nothing runs on it any more.
  void ExitProgram();
  // Sets Closing and asks every background loop to stop, once. Pages with a loop that must end
  // with the program (a sampler, a scan) register their stop here.
  void StopBackgroundWork();
  void AddStopHook(std::function<void()> stop) override { stopHooks_.push_back(std::move(stop)); }

  // Shell state.
  std::string ApplicationDir;
  bool FirstShowDone = false;
  WORD CurrentNavTag = 0;
  std::vector<TLinkLabel*> NavLinks;
  std::vector<TWinPanel*> NavPanels;

  // Layout.
  std::unique_ptr<TPaintPanel> PaintPanel1;
  std::unique_ptr<TImage> ImageTitle;
  TBitmap ImageTitleColorDemo;
  std::unique_ptr<TStatusBar> StatusBar1;
  std::unique_ptr<TPanel> PanelLeft;
  std::unique_ptr<TPanel> PanelLeftRight;
  std::unique_ptr<TWinPanel> Panel_Clean, Panel_Tools, Panel_Update, Panel_Help, Panel_Ads;
  std::unique_ptr<TLinkLabel> LinkLabel0101, LinkLabel0102, LinkLabel0103, LinkLabel0104,
      LinkLabel0105, LinkLabel0106, LinkLabel0201, LinkLabel0202, LinkLabel0203, LinkLabel0301,
      LinkLabel0401, LinkLabel0402;
  std::unique_ptr<TPanel> PanelMiddle;  // holds the header strip over the page area
  std::unique_ptr<TPanel> PanelMiddleTop;
  std::unique_ptr<TImage> ImageMiddle;
  std::unique_ptr<TLabel> LabelMiddle;
  std::unique_ptr<TLinkLabel> LinkLabelMiddle_;
  std::unique_ptr<TPageControl> PageControl;
  std::array<std::unique_ptr<TTabSheet>, 12> TS;  // TS[0] is TS1 ... TS[11] is TS12
  std::unique_ptr<TPageControl> PageControl1;     // page 1: rogue software and immunisation
  std::unique_ptr<TTabSheet> TabRogueScan, TabRogueClean, TabComponents, TabPlugins;
  std::unique_ptr<TPageControl> PageControl2;  // page 2: task manager
  std::unique_ptr<TTabSheet> TabApplications, TabProcesses, TabPerformance;
  std::unique_ptr<TLabel> LabelNoSuspectFiles;  // page 5
  std::unique_ptr<TProgressBar> ProgressBar1;
  TTimer Timer2{1000};

  std::unique_ptr<TFeaturePages> Pages;  // the feature pages living on the sheets above
  std::unique_ptr<TTrayIcon> Tray;       // notification-area icon, its menu and the hot key
  std::unique_ptr<THelpPages> Help;      // pages 11 and 12

 protected:
  bool CloseQuery() override { return FormCloseQuery(); }
  void DoClose() override { FormClose(); }
  void DoShow() override;
  void DoDestroy() override { FormDestroy(); }
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void BuildLayout();
  void BuildNavigation();
  void RunPageActions(int tag);
  bool FirstVisit(int tag);  // true only the first time: one-shot flag per page

  bool closing_ = false;
  bool creating_ = true;
  std::array<bool, 13> visited_{};
  std::vector<std::function<void()>> stopHooks_;
  bool stopped_ = false;
};

extern TFormMain* FormMain;
