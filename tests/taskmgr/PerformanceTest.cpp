// Graphs, the CPU figure, the sampler's life, and the page's tick and tab change.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "support/RecordingSeams.h"
#include "support/TestHost.h"
#include "taskmgr/SetThread.h"
#include "taskmgr/TaskManagerPage.h"
#include "toolkit/Form.h"

namespace {
constexpr COLORREF kBlack = RGB(0, 0, 0);

bool WaitForLiveThreads(int n) {
  for (int i = 0; i < 200; ++i) {
    if (TSetThread::LiveThreads() == n) return true;
    Sleep(10);
  }
  return false;
}
}  // namespace

TEST(Graph, GridMovesOnePixelLeftPerPassAndCurvesHaveTheirColours) {
  TUseage graph(86, 256);
  graph.DrawGrid();
  EXPECT_EQ(graph.Pixel(12, 5), TUseage::kGridColor);
  EXPECT_EQ(graph.Pixel(11, 5), kBlack);
  EXPECT_EQ(graph.Pixel(5, 84), TUseage::kGridColor);
  EXPECT_EQ(graph.Pixel(5, 85), kBlack);

  std::vector<int> history(256, 0);
  history[253] = history[254] = history[255] = 40;  // a level stretch at the right edge
  DrawHistoryFrame(graph, history, kCpuCurveColor);
  EXPECT_EQ(graph.Pixel(11, 5), TUseage::kGridColor) << "the vertical lines moved one pixel";
  EXPECT_EQ(graph.Pixel(12, 5), kBlack);
  EXPECT_EQ(graph.Pixel(5, 12), TUseage::kGridColor) << "the horizontal lines stay";
  EXPECT_EQ(graph.Pixel(253, 87 - 40), kCpuCurveColor);
  EXPECT_EQ(graph.Pixel(100, 86), kBlack) << "a zero lies below the last row";
  EXPECT_EQ(history[252], 40) << "the history moved one place left";
  EXPECT_EQ(history[255], 40);

  TUseage memory(86, 256);
  history.assign(256, 30);
  DrawHistoryFrame(memory, history, kMemoryCurveColor);
  EXPECT_EQ(memory.Pixel(100, 87 - 30), kMemoryCurveColor);
  EXPECT_TRUE(graph.CopyFrom(memory));
  EXPECT_EQ(graph.Pixel(100, 87 - 30), kMemoryCurveColor);
  EXPECT_FALSE(graph.CopyFrom(TUseage(10, 10)));
}

TEST(CpuFigure, FormulaOnTwoProcessorsAndItsLimits) {
  EXPECT_EQ(CpuPercentFrom(1e7, 1e7, 2), 50) << "one of two processors idle";
  EXPECT_EQ(CpuPercentFrom(2e7, 1e7, 2), 0);
  EXPECT_EQ(CpuPercentFrom(0, 1e7, 2), 100);
  EXPECT_EQ(CpuPercentFrom(1.01e7, 1e7, 1), 0) << "more idle than elapsed is not below 0";
  EXPECT_EQ(CpuPercentFrom(0.5e7, 1e7, 0), 50) << "no processor count counts as one";
  EXPECT_FALSE(CpuPercentFrom(1e7, 0, 1).has_value());
  EXPECT_FALSE(CpuPercentFrom(1e7, -1e7, 1).has_value());
  EXPECT_FALSE(CpuPercentFrom(-1, 1e7, 1).has_value());

  TCpuMeter meter;
  EXPECT_EQ(meter.Sample(), 0) << "the first measurement has nothing to compare with";
  Sleep(50);
  const int second = meter.Sample();
  EXPECT_GE(second, 0);
  EXPECT_LE(second, 100);

  TMemorySample s;
  EXPECT_FALSE(MemoryCurveHeight(s, 86).has_value()) << "no page file total";
  s.TotalPhys = 0xF0000000u;  // above 2 GiB
  s.AvailPhys = 0x10000000u;
  s.TotalPageFile = 0xF0000000u;
  EXPECT_EQ(MemoryCurveHeight(s, 86), 80);
  s.TotalPhys = 48ull << 30;  // and above 4 GiB
  s.AvailPhys = 24ull << 30;
  s.TotalPageFile = 64ull << 30;
  EXPECT_EQ(MemoryCurveHeight(s, 86), 32);  // 32.25
  s.AvailPhys = 50ull << 30;                // more available than total gives an empty graph
  EXPECT_EQ(MemoryCurveHeight(s, 86), 0);
  const TMemorySample now = ReadMemoryStatus();
  EXPECT_GT(now.TotalPhys, 0u);
  EXPECT_LE(now.AvailPhys, now.TotalPhys);
}

namespace {
class TaskManager : public testing::Test {
 protected:
  TaskManager()
      : form_("TTaskManagerTestForm", false),
        host_(form_),
        outer_(&form_),
        ts1_(&outer_, "1"),
        ts2_(&outer_, "2"),
        inner_(&ts2_),
        apps_(&inner_, "应用程序"),
        procs_(&inner_, "进程"),
        perf_(&inner_, "性能") {
    form_.SetClientSize(554, 379);
    form_.SetCaption("Veldor task manager test");
    outer_.SetAlign(TAlign::Client);
    inner_.SetAlign(TAlign::Client);
    page_ = std::make_unique<TTaskManagerPage>(ts2_, inner_, timer_, host_);
    ShowWindow(form_.Handle(), SW_SHOWNOACTIVATE);
    outer_.SetActivePage(&ts2_);
  }
  TStatusBar& Bar() { return host_.StatusBar(); }
  TListView& List() { return page_->Applications.TaskListView; }

  TSeamGuard seams_;
  TForm form_;
  TTestHost host_;
  TPageControl outer_;
  TTabSheet ts1_, ts2_;
  TPageControl inner_;
  TTabSheet apps_, procs_, perf_;
  TTimer timer_{1000};
  std::unique_ptr<TTaskManagerPage> page_;
};
}  // namespace

TEST_F(TaskManager, OneSamplerThatStopsInTimeAndATickOnlyWhileThePageShows) {
  ASSERT_EQ(TSetThread::LiveThreads(), 0);
  page_->FirstVisit();
  const TGraphPair* graphs = page_->Performance.Graphs.get();
  page_->FirstVisit();  // leaving and coming back
  EXPECT_EQ(page_->Performance.Graphs.get(), graphs);
  EXPECT_TRUE(WaitForLiveThreads(1));
  Sleep(100);
  EXPECT_EQ(TSetThread::LiveThreads(), 1) << "no second sampler";
  // The first frame is black with the grid.
  EXPECT_EQ(page_->Performance.CpuImg.Picture().Pixel(12, 5), TUseage::kGridColor);
  EXPECT_EQ(page_->Performance.memImg.Picture().Pixel(13, 5), kBlack);

  // Another page is shown (as the help page is, without the navigation): the tick stays quiet.
  outer_.SetActivePage(&ts1_);
  page_->Timer2Timer();
  EXPECT_EQ(Bar().PanelText(1), "");
  EXPECT_EQ(List().Count(), 0);

  outer_.SetActivePage(&ts2_);
  page_->Timer2Timer();
  EXPECT_EQ(Bar().PanelText(1).rfind("CPU 使用：", 0), 0u) << Bar().PanelText(1);
  EXPECT_EQ(Bar().PanelText(2).rfind("总内存使用比率：", 0), 0u);
  bool ownListed = false;
  for (int i = 0; i < List().Count(); ++i)
    ownListed = ownListed || List().Caption(i) == "Veldor task manager test";
  EXPECT_TRUE(ownListed) << "the program's own window is listed like any other";

  EXPECT_TRUE(page_->Shutdown());
  EXPECT_EQ(TSetThread::LiveThreads(), 0);
}

TEST_F(TaskManager, TabChangeNamesTheTabAndFillsTheProcessListOnFirstDisplay) {
  inner_.SetActivePageIndex(2);
  page_->PageControl2Change("系统进程清理");
  EXPECT_EQ(Bar().PanelText(0), "系统进程清理/性能");
  EXPECT_EQ(page_->Processes.procListView.Count(), 0) << "filled on demand only";
  inner_.SetActivePageIndex(1);
  page_->PageControl2Change("系统进程清理");
  EXPECT_GT(page_->Processes.procListView.Count(), 0);
  EXPECT_EQ(Bar().PanelText(0).rfind("进程数：", 0), 0u) << Bar().PanelText(0);
}
