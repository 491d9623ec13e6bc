// The running processes as the task manager lists them: one snapshot record per process, the
// working set, the folder of the program file, and ending a process.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

struct TProcInfo {
  std::string ImageName;  // file name only; "System Idle" for the nameless entry
  DWORD ProcessId = 0;
  unsigned long long MemoryKB = 0;    // working set in KB, rounded to the nearest
  unsigned long long CpuSeconds = 0;  // user + kernel time in whole seconds
};

inline constexpr char kIdleProcessName[] = "System Idle";

// The system's process list in the order it reports it. False, with `out` untouched, when the
// list cannot be read; a record whose name cannot be converted is left out.
bool QueryProcessList(std::vector<TProcInfo>& out);
// QueryProcessList plus each process's working set; the nameless entry becomes the idle entry.
bool TakeProcessSnapshot(std::vector<TProcInfo>& out);
// Working-set size in bytes; 0 when the process cannot be opened or queried, or when the system
// lacks the memory query.
SIZE_T GetProcessMemory(DWORD processId);

// Working-set bytes to KB, rounded to the nearest (halves to the even neighbour).
unsigned long long MemoryKBOf(unsigned long long bytes);
std::string FormatMemory(unsigned long long kb);        // "1234 K"
std::string FormatCpuTime(unsigned long long seconds);  // "hh:nn:ss", hours past 24 kept

// The full path of a process's program file ("" when unknown). Text that the ANSI code page
// cannot hold shows as "?".
std::string GetProcessImagePath(DWORD processId);

// Folders of the listed processes, looked up once: by each process's own id first, where the
// program file's name must equal the image name (any letter case); by name only for processes
// that cannot be asked, taking the first process of that name that could.
class TProcessFolders {
 public:
  explicit TProcessFolders(const std::vector<TProcInfo>& processes);
  // Ends in "\"; the idle entry's folder is its name; "" when not found.
  std::string FolderOf(const TProcInfo& process) const;

 private:
  std::unordered_map<DWORD, std::string> byId_;
  std::unordered_map<std::string, std::string> byName_;  // upper-case image name
};

// The folder of a single image name (a lookup over all processes).
std::string GetProcessFolder(const std::string& imageName);

// Ends the process with exit code 0; nothing for id 0. True when it was told to end.
bool EndProcessById(DWORD processId);
// Ends the process only while the id still belongs to a process of that image name: the handle
// is opened first, which keeps the id from being reused while the name is checked.
bool EndProcessIfNamed(DWORD processId, const std::string& imageName);
