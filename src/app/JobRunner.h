// Long jobs run on short-lived worker threads. The starter sets the process-wide job code and
// starts a worker; the worker reads the code once, runs that one job and frees itself.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

// The code the next worker reads. Written on the window thread just before a worker starts;
// keeps its last value afterwards.
extern std::atomic<WORD> JobCode;

// The job each code runs. Codes without a job end their worker at once.
void RegisterJob(WORD code, std::function<void()> job);
void UnregisterJobs();

// A worker thread for one job: not referenced after creation, frees itself when done.
class RunProcess {
 public:
  // Starts a running worker for the code the starter just set; returns false when the thread
  // could not be created. The code travels with the worker, so two starts in quick succession
  // cannot both run the second job.
  static bool Start(WORD code);

 private:
  explicit RunProcess(WORD code) : code_(code) {}
  static DWORD WINAPI ThreadProc(LPVOID self);
  void Execute();
  WORD code_;
};

// Sets the job code and starts a worker, as every starter does.
void StartJob(WORD code);

// Number of workers still running (for orderly tests).
int RunningWorkers();

// The registry backup folder (with a trailing "\") that jobs 7-9 export into; set by the
// settings at first show.
extern std::string RegBakDir;
// Where an export job records its written backup: "RegBackDate" := Day in the settings file
// ConfigPath (empty: nowhere). Set by the automatic backup's start just before the job starts.
struct TBackupDateNote {
  std::string ConfigPath;
  std::string Day;
};
extern TBackupDateNote RegBackDateNote;
// Registers jobs 7, 8 and 9: the registry editor's whole-registry export into slot 1, 2 or 3 of
// RegBakDir. The worker waits for the editor (bounded), and only once the new export is complete
// drops the slot named by RotationDrop and records the date. Undoes StopRegistryExportJobs.
void RegisterRegistryExportJobs();
// For the program's close: a running export job ends its editor, puts the slot's earlier file
// back, drops nothing and records no date, so the next start backs up again; a job that has not
// begun yet does nothing. Waits at most `timeoutMs` for the jobs to end; false when one still runs.
bool StopRegistryExportJobs(DWORD timeoutMs = 2000);
