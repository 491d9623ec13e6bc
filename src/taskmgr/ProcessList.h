// The running processes as the process tab shows them: one row record per process with its
// working set in KB and its CPU time in seconds, the texts of those figures, and the folder column.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "system/ProcessQuery.h"

struct TProcInfo {
  std::wstring ImageName;  // file name only, as the system gives it; "System Idle" for the
                           // nameless entry
  DWORD ProcessId = 0;
  unsigned long long MemoryKB = 0;    // working set in KB, rounded to the nearest
  unsigned long long CpuSeconds = 0;  // user + kernel time in whole seconds
};

inline constexpr wchar_t kIdleProcessName[] = L"System Idle";

// The system's process list with each process's working set; the nameless entry becomes the
// idle entry. False, with `out` untouched, when the list cannot be read.
bool TakeProcessSnapshot(std::vector<TProcInfo>& out);

// Working-set bytes to KB, rounded to the nearest (halves to the even neighbour).
unsigned long long MemoryKBOf(unsigned long long bytes);
std::string FormatMemory(unsigned long long kb);        // "1234 K"
std::string FormatCpuTime(unsigned long long seconds);  // "hh:nn:ss", hours past 24 kept

// The folder column of the listed processes, each process asked once (see TProgramFolders).
class TProcessFolders {
 public:
  explicit TProcessFolders(const std::vector<TProcInfo>& processes);
  // Ends in "\"; the idle entry's folder is its name; "" when not found.
  std::wstring FolderOf(const TProcInfo& process) const;

 private:
  TProgramFolders folders_;
};

// The folder of a single image name (a lookup over all processes).
std::wstring GetProcessFolder(const std::wstring& imageName);
