// The performance sampler: a thread that measures CPU and memory use once a second and draws the
// two scrolling graphs. It draws into pictures of its own and hands each finished frame over
// under a lock, so the window thread never copies a half-drawn one.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "system/Handles.h"
#include "taskmgr/Useage.h"

// The latest CPU use in percent, 0..100; 0 until the second measurement.
extern std::atomic<int> CpuUsagePercent;

inline constexpr COLORREF kCpuCurveColor = RGB(53, 255, 88);
inline constexpr COLORREF kMemoryCurveColor = RGB(255, 255, 88);

// CPU use from the idle time summed over all processors and the elapsed time between two
// measurements: floor(100 - idle / elapsed * 100 / processors), kept within 0..100. No answer
// when the elapsed time is not positive or the idle time went backwards.
std::optional<int> CpuPercentFrom(double idleDelta, double timeDelta, int processors);

// Keeps the previous idle and system time between measurements.
class TCpuMeter {
 public:
  // Percent since the previous call; 0 on the first call and when the system cannot be asked.
  // A valid measurement is also stored in CpuUsagePercent.
  int Sample();

 private:
  bool hasPrevious_ = false;
  unsigned long long previousIdle_ = 0, previousTime_ = 0;
};

// The program's one meter (the sampler's).
int GetCpuUsage();

// Physical memory and page file as the memory graph uses them.
struct TMemorySample {
  DWORD Load = 0;  // percent of physical memory in use
  unsigned long long TotalPhys = 0, AvailPhys = 0, TotalPageFile = 0;
};
// The extended query where the system has it: the plain one stops at 2 or 4 GiB and then shows
// no memory in use at all.
TMemorySample ReadMemoryStatus();

// Height of the memory curve: used physical memory as a share of the page file total, in pixels
// of a graph `height` high. No answer when the total is 0.
std::optional<int> MemoryCurveHeight(const TMemorySample& sample, int height);

// One pass of a graph: clear, grid, the curve of `history` (heights above the base line one row
// below the picture), and the history moved one place to the left for the next sample.
void DrawHistoryFrame(TUseage& graph, std::vector<int>& history, COLORREF color);

// The pictures the window thread copies from, and the lock around them.
struct TGraphPair {
  TGraphPair(int cpuHeight, int cpuWidth, int memHeight, int memWidth)
      : Cpu(cpuHeight, cpuWidth), Mem(memHeight, memWidth) {}
  TUseage Cpu;
  TUseage Mem;
  std::mutex Lock;
};

class TSetThread {
 public:
  explicit TSetThread(std::shared_ptr<TGraphPair> graphs, DWORD intervalMs = 1000);
  ~TSetThread();  // stops the thread as Stop() does
  TSetThread(const TSetThread&) = delete;
  TSetThread& operator=(const TSetThread&) = delete;

  bool Start();
  // Tells the thread to end and waits for it at most `waitMs`; true when it has ended. A thread
  // that has not ended keeps what it uses alive on its own.
  bool Stop(DWORD waitMs = 2000);
  bool Running() const;
  // Sampler threads alive in this process.
  static int LiveThreads();

 private:
  struct TShared;
  static DWORD WINAPI ThreadProc(LPVOID param);
  static void Execute(TShared& shared);

  std::shared_ptr<TShared> shared_;
  TKernelHandle thread_;
};
