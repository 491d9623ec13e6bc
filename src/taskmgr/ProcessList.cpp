#include "taskmgr/ProcessList.h"

#include <cstdio>

#include "system/SysUtils.h"

namespace {
bool IsIdleName(const std::wstring& name) {
  return name == kIdleProcessName || name == L"System Idle Process";
}
}  // namespace

bool TakeProcessSnapshot(std::vector<TProcInfo>& out) {
  std::vector<TProcessEntry> entries;
  if (!QueryProcessList(entries)) return false;
  std::vector<TProcInfo> list;
  list.reserve(entries.size());
  for (TProcessEntry& e : entries) {
    TProcInfo p;
    p.ProcessId = e.ProcessId;
    p.CpuSeconds = e.CpuTime / 10000000ull;
    if (e.ImageName.empty()) {
      p.ImageName = kIdleProcessName;
      p.MemoryKB = 16;
    } else {
      p.ImageName = std::move(e.ImageName);
      p.MemoryKB = MemoryKBOf(GetProcessMemory(p.ProcessId));
    }
    list.push_back(std::move(p));
  }
  out = std::move(list);
  return true;
}

unsigned long long MemoryKBOf(unsigned long long bytes) {
  unsigned long long kb = bytes / 1024;
  const unsigned long long rest = bytes % 1024;
  if (rest > 512 || (rest == 512 && (kb & 1))) ++kb;
  return kb;
}

std::string FormatMemory(unsigned long long kb) {
  return std::to_string(kb) + " K";
}

std::string FormatCpuTime(unsigned long long seconds) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%02llu:%02u:%02u", seconds / 3600,
                static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
  return buf;
}

TProcessFolders::TProcessFolders(const std::vector<TProcInfo>& processes) {
  for (const TProcInfo& p : processes)
    if (!IsIdleName(p.ImageName)) folders_.Add(p.ProcessId, p.ImageName);
}

std::wstring TProcessFolders::FolderOf(const TProcInfo& p) const {
  if (IsIdleName(p.ImageName)) return p.ImageName;
  return folders_.FolderOf(p.ProcessId, p.ImageName);
}

std::wstring GetProcessFolder(const std::wstring& imageName) {
  if (IsIdleName(imageName)) return imageName;
  std::vector<TProcessEntry> list;
  if (!QueryProcessList(list)) return {};
  TProgramFolders folders;
  for (const TProcessEntry& p : list)
    if (SameText(p.ImageName, imageName)) folders.Add(p.ProcessId, p.ImageName);
  return folders.FolderOf(0, imageName);
}
