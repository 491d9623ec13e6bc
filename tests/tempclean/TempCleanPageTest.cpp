// The page on a test window: its controls, the start button's job request, and a job on a
// worker that is stopped while it runs.
#include <gtest/gtest.h>

#include <memory>

#include "TmpCleanTestKit.h"
#include "system/SysUtils.h"
#include "tempclean/TempCleanPage.h"
#include "toolkit/Form.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/StatusBar.h"
#include "toolkit/Sync.h"
#include "support/TestHost.h"

using namespace tempclean_test;

namespace {

class TempCleanPage : public testing::Test {
 protected:
  TempCleanPage() : form_("TTempCleanTestForm", false), host_(form_), pages_(&form_) {
    InitSynchronize();
    TmpCleanState.Reset();
    form_.SetClientSize(554, 379);
    pages_.SetAlign(TAlign::Client);
    sheet_ = std::make_unique<TTabSheet>(&pages_, "6");
    sheet_->SetTabVisible(false);
    pages_.SetActivePage(sheet_.get());
    page_ = std::make_unique<TTempCleanPage>(*sheet_, host_);
  }
  ~TempCleanPage() override { TmpCleanState.Reset(); }
  bool Idle() {
    return page_->BitBtnCleanTmpFile.Enabled() && !page_->BitBtnStopCleanTmpFile.Enabled();
  }

  TOwnTempFolder temp_;
  TForm form_;
  TTestHost host_;
  TPageControl pages_;
  std::unique_ptr<TTabSheet> sheet_;
  std::unique_ptr<TTempCleanPage> page_;
};

}  // namespace

TEST_F(TempCleanPage, ControlsStandWhereTheyBelongAndStartOnlyAsksForJob16) {
  TTempCleanPage& p = *page_;
  EXPECT_EQ(p.BitBtnCleanTmpFile.Caption(), "开始清理");
  EXPECT_EQ(p.BitBtnStopCleanTmpFile.Caption(), "停止清理");
  EXPECT_EQ(p.LabelDelTmpFile.Caption(), "临时文件清理...");
  EXPECT_TRUE(Idle());
  EXPECT_FALSE(p.ImageDelTmpFile.Picture().Empty());
  const LONG style = GetWindowLongA(p.MemoTmpFile.Handle(), GWL_STYLE);
  EXPECT_EQ(style & (ES_READONLY | WS_VSCROLL | ES_AUTOHSCROLL),
            ES_READONLY | WS_VSCROLL | ES_AUTOHSCROLL);  // no word wrap
  // The memo fills the page but for the button column and the bottom strip.
  EXPECT_EQ(p.MemoTmpFile.Width(), p.PanelTmpButtons.Left());
  EXPECT_EQ(p.MemoTmpFile.Height(), p.PanelTmpBottom.Top());
  EXPECT_EQ(p.PanelTmpBottom.Top() + p.PanelTmpBottom.Height(), sheet_->ClientHeight());
  p.BitBtnCleanTmpFile.Click();
  EXPECT_EQ(host_.Jobs, std::vector<WORD>{16});
  EXPECT_TRUE(Idle());
}

TEST_F(TempCleanPage, StopShowsTheSummaryAtOnceAndAgainFromTheLastStep) {
  TFixedPlaceDir dir(GetWindowsDir() + "Temp\\VeldorTest_TCStop\\");
  for (int i = 0; i < 300; ++i) MakeFile(dir.Path() + "f" + std::to_string(i), 10);
  MakeFile(temp_.Path() + "later.txt", 10);
  MakeFile("C:\\VeldorTest_TCStop.tmp", 10);
  // Every report is shown as it comes: the stop is made at the first deletion shown, while the
  // worker waits for that hand-over.
  page_->SetReportInterval(0);
  bool stopped = false, runningBefore = false, idleAtOnce = false;
  std::string progressShown;
  page_->MemoTmpFile.OnChange = [&](TControl*) {
    const auto shown = page_->MemoTmpFile.Lines();
    if (stopped || shown.empty() || shown.back().find(" 成功.") == std::string::npos) return;
    stopped = true;
    progressShown = page_->LabelDelTmpFile.Caption();
    runningBefore = !page_->BitBtnCleanTmpFile.Enabled();
    page_->BitBtnStopCleanTmpFile.Click();
    idleAtOnce = Idle();
  };
  RunOnWorker([&] { page_->RunCleanJob(); });
  ASSERT_TRUE(stopped);
  EXPECT_TRUE(runningBefore);
  EXPECT_TRUE(idleAtOnce);
  EXPECT_TRUE(Idle());

  // One deletion shown, then the stop's summary and the same again from the last step. The file
  // deleted may be one that another program left in the prefix's Windows "Temp" folder, of any
  // size: the summary must give what the progress said with it.
  const std::string progress = "临时文件清理中...,成功删除了1个临时文件,释放了";
  ASSERT_EQ(progressShown.compare(0, progress.size(), progress), 0) << progressShown;
  const std::string summary =
      "临时文件清理完成,共成功删除了1个临时文件,释放了" + progressShown.substr(progress.size());
  const auto lines = page_->MemoTmpFile.Lines();
  ASSERT_GE(lines.size(), 6u);  // more when the prefix held a file that could not be deleted
  EXPECT_EQ(lines.front(), "开始清理临时文件...");
  EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
            (std::vector<std::string>{"", summary, "", summary}));
  EXPECT_EQ(page_->LabelDelTmpFile.Caption(), summary);
  int left = 0;
  for (int i = 0; i < 300; ++i) left += Exists(dir.Path() + "f" + std::to_string(i));
  EXPECT_GE(left, 299);  // the one shown may have been another file of the prefix's
  // The later steps ended at their first entry.
  EXPECT_TRUE(Exists(temp_.Path() + "later.txt"));
  EXPECT_TRUE(DeleteFileA("C:\\VeldorTest_TCStop.tmp"));
}
