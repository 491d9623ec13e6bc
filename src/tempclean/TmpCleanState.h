// The process-wide state of the temporary-file cleaning job and the texts built from it. The
// worker writes the totals while the window thread's stop action reads them, so the totals are
// only ever read and written whole, under a lock; the two flags are atomic.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

struct TTmpCleanTotals {
  int DelTmpCount = 0;         // files deleted in this job
  int DelTmpSizeKB = 0;        // sum over the deleted files of each one's size div 1024
  bool DelTmpInMB = false;     // the freed space is shown in megabytes
  std::string DelTmpSizeText;  // the freed space as shown; empty until the first deletion
};

class TTmpCleanJobState {
 public:
  // Job start: totals to zero, both flags cleared.
  void Reset();
  // Counts one deleted file of `sizeBytes` (the low 32 bits of its size) and returns the totals
  // after it.
  TTmpCleanTotals AddDeleted(unsigned long sizeBytes);
  TTmpCleanTotals Totals() const;
  // For a summary: an empty size text becomes "0.0KB" first.
  TTmpCleanTotals TotalsForSummary();

  std::atomic<bool> TmpCleanStopped{false};   // stop request, cleared at job start
  std::atomic<bool> TmpCleanLastStep{false};  // a listing ending now writes the summary

 private:
  mutable std::mutex lock_;
  TTmpCleanTotals totals_;
};

// The one job state of the process; it keeps its values after a job until the next start.
extern TTmpCleanJobState TmpCleanState;

// Texts of the cleaner. `path` is the folder (ending in "\") followed by the file name.
extern const char kTmpCleanStartLine[];  // "开始清理临时文件..."
std::wstring TmpDeletedLine(const std::wstring& path);
std::wstring TmpInUseLine(const std::wstring& path);
std::string TmpProgressText(const TTmpCleanTotals& totals);
std::string TmpSummaryText(const TTmpCleanTotals& totals);
