// The running processes as the system lists them, their working sets and program files, and
// ending a process. Names and paths are held as the system gives them (UTF-16).
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

struct TProcessEntry {
  std::wstring ImageName;  // file name only; "" for the system's nameless entry
  DWORD ProcessId = 0;
  unsigned long long CpuTime = 0;  // user + kernel time in 100-ns units
};

// The system's process list in the order it reports it. False, with `out` untouched, when the
// list cannot be read; a record whose name lies outside what the system wrote is left out.
bool QueryProcessList(std::vector<TProcessEntry>& out);

// Working-set size in bytes; 0 when the process cannot be opened or queried, or when the system
// lacks the memory query.
SIZE_T GetProcessMemory(DWORD processId);

// The full path of a process's program file ("" when unknown).
std::wstring GetProcessImagePath(DWORD processId);

// Folders of program files, each process asked once: by its own id first, where the program
// file's name must equal the image name (any letter case); by name for processes that cannot be
// asked, taking the first process of that name that could.
class TProgramFolders {
 public:
  // Asks the process for its program file and keeps the folder when the file is `imageName`.
  void Add(DWORD processId, const std::wstring& imageName);
  // Ends in "\"; "" when not found.
  std::wstring FolderOf(DWORD processId, const std::wstring& imageName) const;

 private:
  std::unordered_map<DWORD, std::wstring> byId_;
  std::unordered_map<std::wstring, std::wstring> byName_;  // upper-case image name
};

// Ends the process with exit code 0; nothing for id 0. True when it was told to end.
bool EndProcessById(DWORD processId);
// Ends the process only while the id still belongs to a process of that image name: the handle
// is opened first, which keeps the id from being reused while the name is checked.
bool EndProcessIfNamed(DWORD processId, const std::wstring& imageName);
