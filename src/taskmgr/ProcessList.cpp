#include "taskmgr/ProcessList.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

#include "system/SysUtils.h"

namespace {

// Closes a kernel handle on every path.
class THandle {
 public:
  explicit THandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~THandle() {
    if (h_) CloseHandle(h_);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HANDLE h_;
};

typedef LONG(WINAPI* TNtQuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);
typedef BOOL(WINAPI* TGetProcessMemoryInfo)(HANDLE, void*, DWORD);
typedef BOOL(WINAPI* TQueryFullProcessImageNameW)(HANDLE, DWORD, LPWSTR, PDWORD);
typedef HANDLE(WINAPI* TCreateToolhelp32Snapshot)(DWORD, DWORD);
typedef BOOL(WINAPI* TModule32FirstW)(HANDLE, MODULEENTRY32W*);

// Bound at run time, so the program still starts on systems that lack any of them.
struct TBindings {
  TNtQuerySystemInformation query = nullptr;
  TGetProcessMemoryInfo memoryInfo = nullptr;
  TQueryFullProcessImageNameW imageName = nullptr;
  TCreateToolhelp32Snapshot snapshot = nullptr;
  TModule32FirstW firstModule = nullptr;

  TBindings() {
    if (HMODULE ntdll = GetModuleHandleA("ntdll.dll"))
      query = (TNtQuerySystemInformation)(void*)GetProcAddress(ntdll, "NtQuerySystemInformation");
    if (HMODULE psapi = LoadLibraryA("psapi.dll"))
      memoryInfo = (TGetProcessMemoryInfo)(void*)GetProcAddress(psapi, "GetProcessMemoryInfo");
    if (HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
      imageName =
          (TQueryFullProcessImageNameW)(void*)GetProcAddress(kernel, "QueryFullProcessImageNameW");
      snapshot =
          (TCreateToolhelp32Snapshot)(void*)GetProcAddress(kernel, "CreateToolhelp32Snapshot");
      firstModule = (TModule32FirstW)(void*)GetProcAddress(kernel, "Module32FirstW");
    }
  }
};

const TBindings& Bound() {
  static const TBindings bindings;
  return bindings;
}

// Record layout of the system process information (32-bit).
constexpr size_t kUserTimeAt = 40, kKernelTimeAt = 48, kNameLengthAt = 56, kNameBufferAt = 60,
                 kProcessIdAt = 68, kRecordMin = 72;
constexpr LONG kInfoLengthMismatch = (LONG)0xC0000004, kBufferTooSmall = (LONG)0xC0000023;
constexpr ULONG kFirstBufferSize = 300000, kMaxBufferSize = 64u << 20;

template <typename T>
T ReadAt(const std::vector<unsigned char>& buf, size_t at) {
  T v;
  std::memcpy(&v, buf.data() + at, sizeof v);
  return v;
}

// Wide text to the ANSI code page without best-fit guesses: what cannot be held becomes "?",
// which no real file name contains. False when the conversion fails.
bool ToAnsi(const wchar_t* text, int length, std::string& out) {
  out.clear();
  if (length == 0) return true;
  const int n =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  out.resize(n);
  return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, length, out.data(), n, nullptr,
                             nullptr) == n;
}

std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

bool IsIdleName(const std::string& name) {
  return name == kIdleProcessName || name == "System Idle Process";
}

std::string ModulePathOf(DWORD processId) {
  const TBindings& b = Bound();
  if (!b.snapshot || !b.firstModule) return {};
  THandle snap(b.snapshot(TH32CS_SNAPMODULE, processId));
  if (!snap) return {};
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!b.firstModule(snap.Get(), &entry)) return {};
  std::string path;
  return ToAnsi(entry.szExePath, (int)wcsnlen(entry.szExePath, MAX_PATH), path) ? path : "";
}

// Splits a program path into its folder (ending in "\", blanks trimmed) and its file name.
void SplitPath(const std::string& path, std::string& folder, std::string& file) {
  const auto cut = LastDelimiter(path, "\\");
  if (cut == std::string::npos) {
    folder.clear();
    file = path;
    return;
  }
  folder = Trimmed(path.substr(0, cut + 1));
  file = path.substr(cut + 1);
}

}  // namespace

bool QueryProcessList(std::vector<TProcInfo>& out) {
  const auto query = Bound().query;
  if (!query) return false;
  std::vector<unsigned char> buf;
  ULONG size = kFirstBufferSize, returned = 0;
  LONG status;
  for (;;) {
    buf.assign(size, 0);
    returned = 0;
    status = query(5, buf.data(), size, &returned);
    if (status != kInfoLengthMismatch && status != kBufferTooSmall) break;
    if (size >= kMaxBufferSize) return false;
    // Processes may start between the two calls: ask for more than was said to be needed.
    ULONG next = returned > size ? returned + returned / 4 : size * 2;
    size = next > kMaxBufferSize ? kMaxBufferSize : next;
  }
  if (status < 0) return false;
  const size_t end = returned > 0 && returned <= size ? returned : size;
  const auto base = reinterpret_cast<uintptr_t>(buf.data());

  std::vector<TProcInfo> list;
  for (size_t at = 0; at + kRecordMin <= end;) {
    const ULONG next = ReadAt<ULONG>(buf, at);
    const USHORT nameBytes = ReadAt<USHORT>(buf, at + kNameLengthAt);
    const auto namePtr = static_cast<uintptr_t>(ReadAt<ULONG>(buf, at + kNameBufferAt));
    TProcInfo info;
    info.ProcessId = ReadAt<ULONG>(buf, at + kProcessIdAt);
    const unsigned long long ticks = ReadAt<unsigned long long>(buf, at + kUserTimeAt) +
                                     ReadAt<unsigned long long>(buf, at + kKernelTimeAt);
    info.CpuSeconds = ticks / 10000000ull;
    bool ok = true;
    if (namePtr != 0 && nameBytes != 0) {
      // The name must lie inside what the system wrote.
      ok = namePtr >= base && namePtr - base <= end && nameBytes <= end - (namePtr - base) &&
           namePtr % sizeof(wchar_t) == 0;
      ok = ok && ToAnsi(reinterpret_cast<const wchar_t*>(namePtr), nameBytes / 2, info.ImageName);
    }
    if (ok) list.push_back(std::move(info));
    if (next == 0) break;
    at += next;
  }
  out = std::move(list);
  return true;
}

SIZE_T GetProcessMemory(DWORD processId) {
  const auto memoryInfo = Bound().memoryInfo;
  if (!memoryInfo) return 0;
  THandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) return 0;
  // PROCESS_MEMORY_COUNTERS: cb, page faults, peak working set, working set, ... (40 bytes).
  struct {
    DWORD cb;
    DWORD PageFaultCount;
    SIZE_T PeakWorkingSetSize;
    SIZE_T WorkingSetSize;
    SIZE_T rest[6];
  } counters{};
  counters.cb = sizeof counters;
  static_assert(sizeof counters == 40, "memory counters have the 32-bit layout");
  if (!memoryInfo(process.Get(), &counters, sizeof counters)) return 0;
  return counters.WorkingSetSize;
}

bool TakeProcessSnapshot(std::vector<TProcInfo>& out) {
  std::vector<TProcInfo> list;
  if (!QueryProcessList(list)) return false;
  for (TProcInfo& p : list) {
    if (p.ImageName.empty()) {
      p.ImageName = kIdleProcessName;
      p.MemoryKB = 16;
    } else {
      p.MemoryKB = MemoryKBOf(GetProcessMemory(p.ProcessId));
    }
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

std::string GetProcessImagePath(DWORD processId) {
  if (processId == 0) return {};
  if (const auto imageName = Bound().imageName) {
    THandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    wchar_t path[MAX_PATH * 2];
    DWORD length = MAX_PATH * 2;
    std::string ansi;
    if (process && imageName(process.Get(), 0, path, &length) && ToAnsi(path, (int)length, ansi))
      return ansi;
  }
  return ModulePathOf(processId);
}

TProcessFolders::TProcessFolders(const std::vector<TProcInfo>& processes) {
  for (const TProcInfo& p : processes) {
    if (IsIdleName(p.ImageName)) continue;
    std::string folder, file;
    SplitPath(GetProcessImagePath(p.ProcessId), folder, file);
    if (folder.empty() || !SameText(file, p.ImageName)) continue;
    byId_.emplace(p.ProcessId, folder);
    byName_.emplace(AnsiUpperCase(p.ImageName), folder);
  }
}

std::string TProcessFolders::FolderOf(const TProcInfo& p) const {
  if (IsIdleName(p.ImageName)) return p.ImageName;
  if (auto it = byId_.find(p.ProcessId); it != byId_.end()) return it->second;
  if (auto it = byName_.find(AnsiUpperCase(p.ImageName)); it != byName_.end()) return it->second;
  return {};
}

std::string GetProcessFolder(const std::string& imageName) {
  if (IsIdleName(imageName)) return imageName;
  std::vector<TProcInfo> list;
  if (!QueryProcessList(list)) return {};
  TProcInfo wanted;
  wanted.ImageName = imageName;
  wanted.ProcessId = 0;
  std::vector<TProcInfo> named;
  for (const TProcInfo& p : list)
    if (SameText(p.ImageName, imageName)) named.push_back(p);
  return TProcessFolders(named).FolderOf(wanted);
}

namespace {
// Ending takes a moment; waiting briefly lets the refresh that follows show the outcome.
constexpr DWORD kEndAccess = PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE;
constexpr DWORD kEndWaitMs = 500;

bool Terminate(const THandle& process) {
  if (!TerminateProcess(process.Get(), 0)) return false;
  WaitForSingleObject(process.Get(), kEndWaitMs);
  return true;
}
}  // namespace

bool EndProcessById(DWORD processId) {
  if (processId == 0) return false;
  THandle process(OpenProcess(kEndAccess, FALSE, processId));
  return process && Terminate(process);
}

bool EndProcessIfNamed(DWORD processId, const std::string& imageName) {
  if (processId == 0) return false;
  THandle process(OpenProcess(kEndAccess, FALSE, processId));
  if (!process) return false;
  std::vector<TProcInfo> list;
  if (!QueryProcessList(list)) return false;
  for (const TProcInfo& p : list)
    if (p.ProcessId == processId) return p.ImageName == imageName && Terminate(process);
  return false;
}
