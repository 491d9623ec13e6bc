// The "性能" tab: the CPU and memory graphs that the sampler draws, copied in by the tick.
#pragma once

#include <memory>

#include "taskmgr/SetThread.h"
#include "toolkit/Image.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"

class TPerformanceTab {
 public:
  explicit TPerformanceTab(TTabSheet& sheet);
  ~TPerformanceTab();
  TPerformanceTab(const TPerformanceTab&) = delete;
  TPerformanceTab& operator=(const TPerformanceTab&) = delete;

  // Creates the graphs and starts the sampler; later calls do nothing.
  void StartSampling(DWORD intervalMs = 1000);
  // Stops the sampler, waiting for it at most `waitMs`; true when it has ended (or never ran).
  bool StopSampling(DWORD waitMs = 2000);
  // Copies the latest finished frames into the two images and repaints them.
  void CopyGraphs();

  TTabSheet& Sheet;
  TGroupBox GroupBox1;
  TPanel CpuPanel;
  TImage CpuImg;
  TGroupBox GroupBox2;
  TPanel memPanel;
  TImage memImg;

  std::shared_ptr<TGraphPair> Graphs;  // from the first visit on
  std::unique_ptr<TSetThread> Sampler;
};
