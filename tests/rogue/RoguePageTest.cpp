#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "RogueScratch.h"
#include "rogue/RoguePage.h"
#include "support/RecordingSeams.h"
#include "system/Text.h"
#include "toolkit/Form.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/StatusBar.h"
#include "toolkit/Sync.h"
#include "support/TestHost.h"

using namespace rogue_test;

namespace {
const char kGoogle[] = "Google Toolbar for Internet Explorer";
const char kSogou[] = "搜狐播放器";

// Runs job 6 on a real worker thread as the job runner does, and records the jobs started.
class TRogueHost : public TTestHost {
 public:
  explicit TRogueHost(TControl& form) : TTestHost(form) {
    OnStartJob = [this](WORD code) {
      if (code == 6) worker_ = CreateThread(nullptr, 0, Body, page, 0, nullptr);
    };
  }
  static DWORD WINAPI Body(LPVOID page) {
    static_cast<TRoguePage*>(page)->RunRemoval();
    return 0;
  }
  // Answers the worker's hand-overs on this (the window) thread until the worker has ended.
  bool WaitForWorker() {
    for (DWORD start = GetTickCount(); worker_;) {
      if (MsgWaitForMultipleObjects(1, &worker_, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
        CloseHandle(worker_);
        worker_ = nullptr;
        break;
      }
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      if (GetTickCount() - start > 30000) return false;
    }
    return true;
  }
  TRoguePage* page = nullptr;

 private:
  HANDLE worker_ = nullptr;
};

// Collects the texts given to one window (the scan sets them without pumping messages), in code
// page 936 as the program writes them; the window is a Unicode one, so they come wide.
std::vector<std::string>* g_texts = nullptr;
HWND g_textWindow = nullptr;
LRESULT CALLBACK TextHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* m = reinterpret_cast<CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && m->hwnd == g_textWindow && m->message == WM_SETTEXT)
    g_texts->push_back(NarrowFrom(reinterpret_cast<const wchar_t*>(m->lParam)));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Records process starts and lets the test act in the middle of the removal's work.
class THookedProcesses : public TRecordingProcesses {
 public:
  UINT WinExec(const std::string& commandLine, UINT showCommand) override {
    UINT r = TRecordingProcesses::WinExec(commandLine, showCommand);
    if (OnWinExec) OnWinExec();
    return r;
  }
  std::function<void()> OnWinExec;
};

class RoguePage : public testing::Test {
 protected:
  RoguePage() : form_("TRogueTestForm", false), host_(form_), pages_(&form_) {
    InitSynchronize();
    form_.SetClientSize(554, 379);
    pages_.SetAlign(TAlign::Client);
    scan_ = std::make_unique<TTabSheet>(&pages_, "恶意软件检测");
    clean_ = std::make_unique<TTabSheet>(&pages_, "恶意软件清理");
    page_ = std::make_unique<TRoguePage>(*scan_, *clean_, host_);
    host_.page = page_.get();
    Seams::SetProcesses(&processes_);
  }
  ~RoguePage() override {
    host_.WaitForWorker();
    Seams::SetProcesses(nullptr);
  }
  TListView& List() { return page_->ListView_; }
  std::vector<std::string> Rows() {
    std::vector<std::string> names;
    for (int i = 0; i < List().Count(); ++i) names.push_back(List().Caption(i));
    return names;
  }
  // Installs all three (Google's key without an uninstall command), scans and checks `names`.
  void ScanAllAndCheck(const std::vector<std::string>& names) {
    scratch_.InstallKeyProgram(kGoogleKey);
    scratch_.InstallKeyProgram(kAlexaKey, TestUninstaller(), " /S");
    scratch_.InstallFolderProgram();
    page_->BitBtnStartScan.Click();
    for (int i = 0; i < List().Count(); ++i)
      for (const std::string& n : names)
        if (List().Caption(i) == n) List().SetChecked(i, true);
  }
  void RemoveChecked() {
    page_->BitBtnClear.Click();
    ASSERT_TRUE(host_.WaitForWorker());
  }

  TRogueScratch scratch_;
  THookedProcesses processes_;
  TForm form_;
  TRogueHost host_;
  TPageControl pages_;
  std::unique_ptr<TTabSheet> scan_, clean_;
  std::unique_ptr<TRoguePage> page_;
};
}  // namespace

TEST_F(RoguePage, ControlsAsDesigned) {
  TRoguePage& p = *page_;
  EXPECT_EQ(GetParent(p.LabelScanStatus.Handle()), scan_->Handle());
  EXPECT_EQ(GetParent(p.Label20.Handle()), p.GroupBoxBaseInfo.Handle());
  EXPECT_FALSE(p.BitBtn10.Visible());
  EXPECT_FALSE(p.BitBtnClear.Enabled());
  EXPECT_EQ(GetParent(List().Handle()), clean_->Handle());
  std::string columns;
  for (int i = 0; i < List().ColumnCount(); ++i)
    columns += List().ColumnCaption(i) + ":" + std::to_string(List().ColumnWidth(i)) + " ";
  EXPECT_EQ(columns, "名称:180 清理引擎版本:100 风险值:70 相关值:200 ");
  LVCOLUMNA c{};
  c.mask = LVCF_FMT;
  SendMessageA(List().Handle(), LVM_GETCOLUMNA, 2, (LPARAM)&c);
  EXPECT_EQ(c.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
  const DWORD wanted = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT;
  EXPECT_EQ(ListView_GetExtendedListViewStyle(List().Handle()) & wanted, wanted);
  EXPECT_FALSE(GetWindowLongA(List().Handle(), GWL_STYLE) & LVS_EDITLABELS);
}

TEST_F(RoguePage, ScanStatusFoundCountAndRows) {
  std::vector<std::string> texts;
  g_texts = &texts;
  g_textWindow = page_->LabelScanStatus.Handle();
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, TextHook, nullptr, GetCurrentThreadId());
  page_->BitBtn9.Click();  // the detect tab's button scans through the clean tab's one
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       std::string("正在检测：") + kGoogle + "...", "正在检测：Alexa Toolbar...",
                       std::string("正在检测：") + kSogou + "...", "检测状态：检测完毕。"}));
  EXPECT_EQ(List().Count(), 0);
  EXPECT_EQ(page_->LabelScanFoundCout.Caption(), "发现恶意软件数：0。");
  EXPECT_FALSE(page_->BitBtnClear.Enabled());

  scratch_.InstallFolderProgram();
  page_->BitBtnStartScan.Click();
  ASSERT_EQ(Rows(), std::vector<std::string>{kSogou});
  EXPECT_EQ(List().SubItem(0, 0) + "|" + List().SubItem(0, 1) + "|" + List().SubItem(0, 2),
            "1.01|3|3%33^&Sogou PXP");
  EXPECT_FALSE(List().Checked(0));
  EXPECT_EQ(page_->LabelScanFoundCout.Caption(), "发现恶意软件数：1。");
  EXPECT_TRUE(page_->BitBtnClear.Enabled()) << "rows added by a scan enable the removal";
  page_->BitBtnClear.SetEnabled(false);
  List().SetChecked(0, true);
  EXPECT_TRUE(page_->BitBtnClear.Enabled()) << "a check mark enables the removal";

  ScanAllAndCheck({});  // a new scan replaces the rows
  EXPECT_EQ(Rows(), (std::vector<std::string>{kGoogle, "Alexa Toolbar", kSogou}));
  EXPECT_EQ(List().SubItem(0, 2), std::string("1%11^HKEY_LOCAL_MACHINE&\\") + kGoogleKey);
  EXPECT_EQ(List().SubItem(1, 0) + "|" + List().SubItem(1, 1) + "|" + List().SubItem(1, 2),
            std::string("1.2|3|2%11^HKEY_LOCAL_MACHINE&\\") + kAlexaKey);
  EXPECT_EQ(page_->LabelScanStatus.Caption(), "检测状态：检测完毕。");
  EXPECT_EQ(page_->LabelScanFoundCout.Caption(), "发现恶意软件数：3。");
}

TEST_F(RoguePage, RemovalOnAWorkerDropsCheckedRowsOnly) {
  ScanAllAndCheck({});
  RemoveChecked();  // nothing checked: nothing happens
  EXPECT_EQ(Rows().size(), 3u);
  EXPECT_EQ(processes_.Count(), 0u);

  List().SetChecked(0, true);  // Google: no uninstall command, its row goes all the same
  List().SetChecked(1, true);
  RemoveChecked();
  EXPECT_EQ(host_.Jobs, (std::vector<WORD>{6, 6}));
  auto calls = processes_.Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].CommandLine, TestUninstaller() + " /S");
  EXPECT_NE(calls[0].ThreadId, GetCurrentThreadId()) << "uninstallers start on the worker";
  EXPECT_FALSE(Exists(TestProgramFolder()));
  EXPECT_EQ(Rows(), std::vector<std::string>{kSogou});
  EXPECT_FALSE(List().Checked(0));
  EXPECT_TRUE(Exists(SogouFolder() + "\\Uninstall.exe"));
  EXPECT_TRUE(page_->BitBtnClear.Enabled());

  RemoveTree(SogouFolder());  // vanished since the scan: nothing starts, the row goes
  List().SetChecked(0, true);
  RemoveChecked();
  EXPECT_EQ(processes_.Count(), 1u);
  EXPECT_TRUE(Rows().empty());
}

TEST_F(RoguePage, RowWhoseRemovalFailsStaysListed) {
  ScanAllAndCheck({kGoogle, "Alexa Toolbar", kSogou});
  DWORD number = 1;  // an uninstall command that is not text cannot be read
  SetValue(kGoogleKey, "UninstallString", REG_DWORD, &number, sizeof number);
  page_->RemovalPauseMs = 0;
  RemoveChecked();
  EXPECT_EQ(Rows(), std::vector<std::string>{kGoogle});
  EXPECT_FALSE(Exists(TestProgramFolder()));
  EXPECT_FALSE(Exists(SogouFolder()));
}

TEST_F(RoguePage, SecondPressAndRescanDuringARemovalLeaveItIntact) {
  ScanAllAndCheck({kGoogle, "Alexa Toolbar"});
  bool runningDuring = false, enabledDuring = true;
  processes_.OnWinExec = [&] {  // on the worker, inside the removal: the user acts
    Synchronize([&] {
      runningDuring = page_->RemovalRunning();
      page_->BitBtnClearClick();
      page_->BitBtnStartScanClick();
      List().SetChecked(0, true);
      enabledDuring = page_->BitBtnClear.Enabled();
    });
  };
  RemoveChecked();
  EXPECT_TRUE(runningDuring);
  EXPECT_FALSE(enabledDuring);
  EXPECT_EQ(host_.Jobs, std::vector<WORD>{6}) << "the second press must not start a removal";
  // The rescan's rows are not the rows the removal took: all of them stay.
  EXPECT_EQ(Rows(), (std::vector<std::string>{kGoogle, "Alexa Toolbar", kSogou}));
  EXPECT_TRUE(page_->BitBtnClear.Enabled());

  processes_.OnWinExec = nullptr;
  RemoveChecked();  // and afterwards the button works again
  EXPECT_EQ(Rows(), (std::vector<std::string>{"Alexa Toolbar", kSogou}));
}

TEST_F(RoguePage, UninstallersStartAPauseApart) {
  scratch_.InstallKeyProgram(kGoogleKey, "C:\\VeldorTest\\Google\\uninst.exe");
  ScanAllAndCheck({kGoogle, "Alexa Toolbar", kSogou});
  page_->RemovalPauseMs = 300;
  std::vector<DWORD> starts;  // only the worker writes, before the test reads
  processes_.OnWinExec = [&] { starts.push_back(GetTickCount()); };
  RemoveChecked();
  EXPECT_TRUE(Rows().empty());
  ASSERT_EQ(starts.size(), 3u);
  // Never shorter than the pause; a slow machine may make it longer (the tick is 16 ms coarse).
  for (size_t i = 1; i < starts.size(); ++i) EXPECT_GE(starts[i] - starts[i - 1] + 32, 300u);
}

TEST_F(RoguePage, ReportButtonRunsTheInstalledProgramAndWaits) {
  page_->BitBtn10Click();
  auto calls = processes_.Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].Waited);
  EXPECT_EQ(calls[0].ApplicationPath, "C:\\Program Files\\Veldor\\veldor.exe");
}
