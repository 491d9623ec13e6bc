#include "taskmgr/PerformancePage.h"

#include "system/Handles.h"

namespace {
constexpr int kPanelWidth = 260, kPanelHeight = 90, kGroupWidth = 280, kGroupHeight = 118;

// A panel with lowered inner and outer bevels: a two-pixel sunken edge around its inside.
void Lower(TPanel& panel) {
  HWND h = panel.Handle();
  SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  SetWindowPos(h, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void PaintFrame(const TUseage& graph, TImage& image) {
  TBitmap& picture = image.Picture();
  picture.SetSize(graph.Width(), graph.Height());
  TMemoryDC dc(CreateCompatibleDC(nullptr));
  if (!dc) return;
  TSelectGuard hold(dc.get(), picture.Handle());  // goes before the DC
  graph.DrawTo(dc.get(), 0, 0);
}
}  // namespace

TPerformanceTab::TPerformanceTab(TTabSheet& sheet)
    : Sheet(sheet),
      GroupBox1(&sheet, "CPU 使用记录", 10, 8, kGroupWidth, kGroupHeight),
      CpuPanel(&GroupBox1),
      CpuImg(&CpuPanel, 0, 0, 256, 86),
      GroupBox2(&sheet, "内存使用记录", 10, 8 + kGroupHeight + 10, kGroupWidth, kGroupHeight),
      memPanel(&GroupBox2),
      memImg(&memPanel, 0, 0, 256, 86) {
  GroupBox1.SetName("GroupBox1");
  GroupBox2.SetName("GroupBox2");
  CpuPanel.SetName("CpuPanel");
  memPanel.SetName("memPanel");
  CpuImg.SetName("CpuImg");
  memImg.SetName("memImg");
  for (TPanel* panel : {&CpuPanel, &memPanel}) {
    Lower(*panel);
    panel->SetBounds(10, 20, kPanelWidth, kPanelHeight);
  }
  for (TImage* image : {&CpuImg, &memImg}) {
    image->SetAlign(TAlign::Client);
    image->Picture().SetSize(256, 86);
  }
}

TPerformanceTab::~TPerformanceTab() {
  StopSampling();
}

void TPerformanceTab::StartSampling(DWORD intervalMs) {
  if (Graphs) return;
  Graphs = std::make_shared<TGraphPair>(CpuImg.Height(), CpuImg.Width(), memImg.Height(),
                                        memImg.Width());
  Graphs->Cpu.DrawGrid();
  Graphs->Mem.DrawGrid();
  CopyGraphs();
  Sampler = std::make_unique<TSetThread>(Graphs, intervalMs);
  Sampler->Start();
}

bool TPerformanceTab::StopSampling(DWORD waitMs) {
  return !Sampler || Sampler->Stop(waitMs);
}

void TPerformanceTab::CopyGraphs() {
  if (!Graphs) return;
  {
    std::lock_guard<std::mutex> hold(Graphs->Lock);
    PaintFrame(Graphs->Cpu, CpuImg);
    PaintFrame(Graphs->Mem, memImg);
  }
  memImg.Repaint();
  CpuImg.Repaint();
}
