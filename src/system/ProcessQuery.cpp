#include "system/ProcessQuery.h"

#include <tlhelp32.h>

#include <cstring>
#include <string_view>

#include "system/DllFunction.h"
#include "system/Handles.h"
#include "system/NativeInfo.h"
#include "system/SysUtils.h"
#include "system/Text.h"

namespace {

// Looked up at run time, so the program still starts on systems that lack any of them.
using TGetProcessMemoryInfo = BOOL WINAPI(HANDLE, native::TMemoryCounters*, DWORD);
using TQueryFullProcessImageNameW = BOOL WINAPI(HANDLE, DWORD, LPWSTR, PDWORD);
using TCreateToolhelp32Snapshot = HANDLE WINAPI(DWORD, DWORD);
using TModule32FirstW = BOOL WINAPI(HANDLE, MODULEENTRY32W*);

constexpr ULONG kFirstBufferSize = 300000, kMaxBufferSize = 64u << 20;

std::wstring Trimmed(const std::wstring& s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == L' ') ++b;
  while (e > b && s[e - 1] == L' ') --e;
  return s.substr(b, e - b);
}

std::wstring ModulePathOf(DWORD processId) {
  const auto snapshot =
      DllFunction<TCreateToolhelp32Snapshot>("kernel32.dll", "CreateToolhelp32Snapshot");
  const auto firstModule = DllFunction<TModule32FirstW>("kernel32.dll", "Module32FirstW");
  if (!snapshot || !firstModule) return {};
  TKernelHandle snap(snapshot(TH32CS_SNAPMODULE, processId));
  if (!snap) return {};
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!firstModule(snap.get(), &entry)) return {};
  return std::wstring(entry.szExePath, wcsnlen(entry.szExePath, MAX_PATH));
}

// Splits a program path into its folder (ending in "\", blanks trimmed) and its file name.
void SplitPath(const std::wstring& path, std::wstring& folder, std::wstring& file) {
  const auto cut = path.rfind(L'\\');
  if (cut == std::wstring::npos) {
    folder.clear();
    file = path;
    return;
  }
  folder = Trimmed(path.substr(0, cut + 1));
  file = path.substr(cut + 1);
}

}  // namespace

bool QueryProcessList(std::vector<TProcessEntry>& out) {
  std::vector<unsigned char> buf;
  ULONG size = kFirstBufferSize, returned = 0;
  LONG status;
  for (;;) {
    buf.assign(size, 0);
    returned = 0;
    status =
        native::QuerySystemInformation(native::kProcessInformation, buf.data(), size, &returned);
    if (status != native::kStatusInfoLengthMismatch && status != native::kStatusBufferTooSmall)
      break;
    if (size >= kMaxBufferSize) return false;
    // Processes may start between the two calls: ask for more than was said to be needed.
    ULONG next = returned > size ? returned + returned / 4 : size * 2;
    size = next > kMaxBufferSize ? kMaxBufferSize : next;
  }
  if (status < 0) return false;
  const size_t end = returned > 0 && returned <= size ? returned : size;
  const auto base = reinterpret_cast<uintptr_t>(buf.data());

  std::vector<TProcessEntry> list;
  for (size_t at = 0; at + sizeof(native::TProcessRecord) <= end;) {
    native::TProcessRecord record;
    std::memcpy(&record, buf.data() + at, sizeof record);
    TProcessEntry entry;
    entry.ProcessId = record.ProcessId;
    entry.CpuTime = record.UserTime + record.KernelTime;
    const auto name = static_cast<uintptr_t>(record.NameBuffer);
    const USHORT nameBytes = record.NameLength;
    bool ok = true;
    if (name != 0 && nameBytes != 0) {
      // The name must lie inside what the system wrote.
      ok = name >= base && name - base <= end && nameBytes <= end - (name - base) &&
           name % sizeof(wchar_t) == 0;
      if (ok)
        entry.ImageName.assign(reinterpret_cast<const wchar_t*>(name), nameBytes / sizeof(wchar_t));
    }
    if (ok) list.push_back(std::move(entry));
    if (record.NextEntryOffset == 0) break;
    at += record.NextEntryOffset;
  }
  out = std::move(list);
  return true;
}

namespace {
// Windows Vista and later grant this to more processes than full query rights, and it is all a
// 32-bit program needs to ask a 64-bit process for its image name and memory use.
constexpr DWORD kQueryLimitedInformation = 0x1000;

TKernelHandle OpenForQuery(DWORD processId, DWORD extra) {
  TKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | extra, FALSE, processId));
  if (!process) process.reset(OpenProcess(kQueryLimitedInformation | extra, FALSE, processId));
  return process;
}
}  // namespace

SIZE_T GetProcessMemory(DWORD processId) {
  const auto memoryInfo = DllFunction<TGetProcessMemoryInfo>("psapi.dll", "GetProcessMemoryInfo");
  if (!memoryInfo) return 0;
  TKernelHandle process = OpenForQuery(processId, PROCESS_VM_READ);
  if (!process) return 0;
  native::TMemoryCounters counters{};
  counters.Size = sizeof counters;
  if (!memoryInfo(process.get(), &counters, sizeof counters)) return 0;
  return counters.WorkingSetSize;
}

std::wstring GetProcessImagePath(DWORD processId) {
  if (processId == 0) return {};
  if (const auto imageName =
          DllFunction<TQueryFullProcessImageNameW>("kernel32.dll", "QueryFullProcessImageNameW")) {
    // Asked of the process by its handle: it names the file of a 64-bit process too, where the
    // module list below, read from a 32-bit program, cannot.
    TKernelHandle process = OpenForQuery(processId, 0);
    wchar_t path[MAX_PATH * 2];
    DWORD length = MAX_PATH * 2;
    if (process && imageName(process.get(), 0, path, &length) && length > 0)
      return std::wstring(path, length);
  }
  return ModulePathOf(processId);
}

void TProgramFolders::Add(DWORD processId, const std::wstring& imageName) {
  std::wstring folder, file;
  SplitPath(GetProcessImagePath(processId), folder, file);
  if (folder.empty() || !SameText(file, imageName)) return;
  byId_.emplace(processId, folder);
  byName_.emplace(WideUpperCase(imageName), folder);
}

std::wstring TProgramFolders::FolderOf(DWORD processId, const std::wstring& imageName) const {
  if (auto it = byId_.find(processId); it != byId_.end()) return it->second;
  if (auto it = byName_.find(WideUpperCase(imageName)); it != byName_.end()) return it->second;
  return {};
}

namespace {
// Ending takes a moment; waiting briefly lets the refresh that follows show the outcome.
constexpr DWORD kEndAccess = PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE;
constexpr DWORD kEndWaitMs = 500;

bool Terminate(const TKernelHandle& process) {
  if (!TerminateProcess(process.get(), 0)) return false;
  WaitForSingleObject(process.get(), kEndWaitMs);
  return true;
}
}  // namespace

bool EndProcessById(DWORD processId) {
  if (processId == 0) return false;
  TKernelHandle process(OpenProcess(kEndAccess, FALSE, processId));
  return process && Terminate(process);
}

bool EndProcessIfNamed(DWORD processId, const std::wstring& imageName) {
  if (processId == 0) return false;
  TKernelHandle process(OpenProcess(kEndAccess, FALSE, processId));
  if (!process) return false;
  std::vector<TProcessEntry> list;
  if (!QueryProcessList(list)) return false;
  for (const TProcessEntry& p : list)
    if (p.ProcessId == processId) return p.ImageName == imageName && Terminate(process);
  return false;
}
