#include "app/JobRunner.h"

#include <map>
#include <mutex>

#include "app/Settings.h"
#include "regbackup/Rotation.h"
#include "toolkit/Host.h"
#include "system/Seams.h"
#include "toolkit/Guarded.h"

std::atomic<WORD> JobCode{0};
std::string RegBakDir;
TBackupDateNote RegBackDateNote;

namespace {
std::mutex g_jobsLock;
std::map<WORD, std::function<void()>> g_jobs;
std::atomic<int> g_running{0};
}  // namespace

void RegisterJob(WORD code, std::function<void()> job) {
  std::lock_guard<std::mutex> lock(g_jobsLock);
  g_jobs[code] = std::move(job);
}

void UnregisterJobs() {
  std::lock_guard<std::mutex> lock(g_jobsLock);
  g_jobs.clear();
}

bool RunProcess::Start(WORD code) {
  auto* worker = new RunProcess(code);
  ++g_running;
  HANDLE h = CreateThread(nullptr, 0, ThreadProc, worker, 0, nullptr);
  if (!h) {
    --g_running;
    delete worker;
    return false;
  }
  CloseHandle(h);  // nobody waits for a worker
  return true;
}

DWORD WINAPI RunProcess::ThreadProc(LPVOID self) {
  auto* worker = static_cast<RunProcess*>(self);
  // A failing job ends its worker quietly; nothing is reported.
  Guarded([&] { worker->Execute(); });
  delete worker;
  --g_running;
  return 0;
}

void RunProcess::Execute() {
  WORD code = code_;
  std::function<void()> job;
  {
    std::lock_guard<std::mutex> lock(g_jobsLock);
    auto it = g_jobs.find(code);
    if (it != g_jobs.end()) job = it->second;
  }
  if (job) job();
}

void StartJob(WORD code) {
  JobCode = code;
  RunProcess::Start(code);
}

int RunningWorkers() {
  return g_running.load();
}

namespace {
// Set for the close; lives as long as the program (the system releases it at exit).
HANDLE ExportStop() {
  static const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return event;
}

// Export jobs between their start and their end. A job counts itself before it looks at the stop,
// so a stop either waits for it or is seen by it before anything is moved.
std::atomic<int> g_exportJobs{0};

void RunExportJob(int slot) {
  struct TCounted {
    TCounted() { ++g_exportJobs; }
    ~TCounted() { --g_exportJobs; }
  } counted;
  const TBackupDateNote note = RegBackDateNote;
  if (!RunRotationExport(RegBakDir, slot, RotationDrop.load(), kRegistryEditorWaitMs, ExportStop()))
    return;
  if (!note.ConfigPath.empty()) TSettingsFile(note.ConfigPath).Write("RegBackDate", note.Day);
}
}  // namespace

void RegisterRegistryExportJobs() {
  ResetEvent(ExportStop());
  for (WORD code = kJobExportSlot1; code <= kJobExportSlot3; ++code)
    RegisterJob(code, [code] { RunExportJob(code - kJobExportSlot1 + 1); });
}

bool StopRegistryExportJobs(DWORD timeoutMs) {
  SetEvent(ExportStop());
  const DWORD start = GetTickCount();
  while (g_exportJobs.load() > 0) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(10);
  }
  return true;
}
