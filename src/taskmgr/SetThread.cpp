#include "taskmgr/SetThread.h"

#include <cmath>

#include "system/DllFunction.h"
#include "system/NativeInfo.h"

std::atomic<int> CpuUsagePercent{0};

namespace {

std::atomic<int> g_liveThreads{0};

int RoundHalfEven(double v) {
  return static_cast<int>(std::nearbyint(v));
}

}  // namespace

std::optional<int> CpuPercentFrom(double idleDelta, double timeDelta, int processors) {
  if (!(timeDelta > 0.0) || idleDelta < 0.0) return std::nullopt;
  if (processors < 1) processors = 1;
  const double usage = 100.0 - idleDelta / timeDelta * 100.0 / processors;
  const double floored = std::floor(usage);
  if (!(floored > 0.0)) return 0;
  return floored >= 100.0 ? 100 : static_cast<int>(floored);
}

int TCpuMeter::Sample() {
  TProcessorTimes times;
  if (!ReadProcessorTimes(times)) return 0;
  int result = 0;
  if (hasPrevious_) {
    const double idleDelta = static_cast<double>(times.Idle) - static_cast<double>(previousIdle_);
    const double timeDelta = static_cast<double>(times.Now) - static_cast<double>(previousTime_);
    if (auto percent = CpuPercentFrom(idleDelta, timeDelta, times.Processors)) {
      result = *percent;
      CpuUsagePercent = result;
    } else {
      result = CpuUsagePercent;  // a clock step back: measure against this point next time
    }
  }
  hasPrevious_ = true;
  previousIdle_ = times.Idle;
  previousTime_ = times.Now;
  return result;
}

int GetCpuUsage() {
  static TCpuMeter meter;
  return meter.Sample();
}

TMemorySample ReadMemoryStatus() {
  using TGlobalMemoryStatusEx = BOOL WINAPI(MEMORYSTATUSEX*);
  const auto extended = DllFunction<TGlobalMemoryStatusEx>("kernel32.dll", "GlobalMemoryStatusEx");
  TMemorySample sample;
  MEMORYSTATUSEX ex{};
  ex.dwLength = sizeof ex;
  if (extended && extended(&ex)) {
    sample.Load = ex.dwMemoryLoad;
    sample.TotalPhys = ex.ullTotalPhys;
    sample.AvailPhys = ex.ullAvailPhys;
    sample.TotalPageFile = ex.ullTotalPageFile;
    return sample;
  }
  MEMORYSTATUS plain{};
  plain.dwLength = sizeof plain;
  GlobalMemoryStatus(&plain);
  sample.Load = plain.dwMemoryLoad;
  sample.TotalPhys = plain.dwTotalPhys;
  sample.AvailPhys = plain.dwAvailPhys;
  sample.TotalPageFile = plain.dwTotalPageFile;
  return sample;
}

std::optional<int> MemoryCurveHeight(const TMemorySample& s, int height) {
  if (s.TotalPageFile == 0) return std::nullopt;
  const unsigned long long used = s.TotalPhys >= s.AvailPhys ? s.TotalPhys - s.AvailPhys : 0;
  return RoundHalfEven(static_cast<double>(used) / static_cast<double>(s.TotalPageFile) * height);
}

void DrawHistoryFrame(TUseage& graph, std::vector<int>& history, COLORREF color) {
  graph.ClearToBlack();
  graph.DrawGrid();
  graph.SetPenColor(color);
  const int base = graph.Height() + 1;
  const size_t n = history.size() < static_cast<size_t>(graph.Width())
                       ? history.size()
                       : static_cast<size_t>(graph.Width());
  for (size_t i = 0; i + 1 < n; ++i) {
    graph.Line(static_cast<int>(i), base - history[i], static_cast<int>(i + 1),
               base - history[i + 1]);
    history[i] = history[i + 1];
  }
  GdiFlush();
}

struct TSetThread::TShared {
  std::shared_ptr<TGraphPair> graphs;
  DWORD intervalMs;
  TKernelHandle stop;
  explicit TShared(std::shared_ptr<TGraphPair> g, DWORD interval)
      : graphs(std::move(g)),
        intervalMs(interval),
        stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
};

TSetThread::TSetThread(std::shared_ptr<TGraphPair> graphs, DWORD intervalMs)
    : shared_(std::make_shared<TShared>(std::move(graphs), intervalMs)) {}

TSetThread::~TSetThread() {
  Stop();
}

bool TSetThread::Start() {
  if (thread_ || !shared_->stop || !shared_->graphs) return false;
  // The thread holds its own reference, so nothing it uses goes away under it.
  auto* param = new std::shared_ptr<TShared>(shared_);
  thread_.reset(CreateThread(nullptr, 0, ThreadProc, param, 0, nullptr));
  if (!thread_) {
    delete param;
    return false;
  }
  return true;
}

bool TSetThread::Stop(DWORD waitMs) {
  if (!thread_) return true;
  SetEvent(shared_->stop.get());
  const bool ended = WaitForSingleObject(thread_.get(), waitMs) == WAIT_OBJECT_0;
  thread_.reset();
  return ended;
}

bool TSetThread::Running() const {
  return thread_ && WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT;
}

int TSetThread::LiveThreads() {
  return g_liveThreads;
}

DWORD WINAPI TSetThread::ThreadProc(LPVOID param) {
  std::unique_ptr<std::shared_ptr<TShared>> shared(static_cast<std::shared_ptr<TShared>*>(param));
  ++g_liveThreads;
  try {
    Execute(**shared);
  } catch (...) {
    // A failure ends the sampling quietly; the window keeps the last frame.
  }
  --g_liveThreads;
  return 0;
}

void TSetThread::Execute(TShared& shared) {
  if (WaitForSingleObject(shared.stop.get(), 0) == WAIT_OBJECT_0) return;
  TGraphPair& out = *shared.graphs;
  // The frames are drawn here and only finished ones are copied out.
  TUseage cpu(out.Cpu.Height(), out.Cpu.Width());
  TUseage mem(out.Mem.Height(), out.Mem.Width());
  {
    // Go on from the first frame the window shows, grid position included.
    std::lock_guard<std::mutex> hold(out.Lock);
    cpu.CopyFrom(out.Cpu);
    mem.CopyFrom(out.Mem);
  }
  std::vector<int> cpuHistory(cpu.Width(), 0), memHistory(mem.Width(), 0);
  const int cpuScale = RoundHalfEven(cpu.Height() / 100.0);
  auto sample = [&] {
    cpuHistory.back() = GetCpuUsage() * cpuScale;
    if (auto h = MemoryCurveHeight(ReadMemoryStatus(), mem.Height())) memHistory.back() = *h;
  };
  sample();
  do {
    DrawHistoryFrame(cpu, cpuHistory, kCpuCurveColor);
    DrawHistoryFrame(mem, memHistory, kMemoryCurveColor);
    {
      std::lock_guard<std::mutex> hold(out.Lock);
      out.Cpu.CopyFrom(cpu);
      out.Mem.CopyFrom(mem);
    }
    sample();
  } while (WaitForSingleObject(shared.stop.get(), shared.intervalMs) == WAIT_TIMEOUT);
}
