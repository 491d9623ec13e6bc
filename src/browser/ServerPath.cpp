#include "browser/ServerPath.h"

#include <windows.h>

#include <vector>

#include "system/SysUtils.h"

namespace {

struct TFileId {
  DWORD Volume = 0, High = 0, Low = 0;
  bool operator==(const TFileId&) const = default;
};

bool FolderId(const std::string& folder, TFileId& id) {
  HANDLE h = CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (ok) id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return ok;
}

std::string FullPath(const std::string& path) {
  std::vector<char> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetFullPathNameA(path.c_str(), (DWORD)buf.size(), buf.data(), nullptr);
    if (n == 0) return "";
    if (n < buf.size()) return std::string(buf.data(), n);
    buf.resize(n + 1);
  }
}

}  // namespace

bool IsAbsolutePath(const std::string& path) {
  if (path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' &&
      path[2] == '\\')
    return true;
  return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

std::string ShortServerPath(const std::string& path) {
  if (!IsAbsolutePath(path)) return "";
  const DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) return "";
  std::vector<char> buf(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetShortPathNameA(path.c_str(), buf.data(), (DWORD)buf.size());
    if (n == 0) return "";
    if (n < buf.size()) return std::string(buf.data(), n);
    buf.assign(n + 1, '\0');
  }
}

bool LiesInWindowsFolder(const std::string& path) {
  const std::string windows = ExcludeTrailingBackslash(GetWindowsDir());
  const std::string full = FullPath(path);
  if (windows.empty() || full.empty()) return true;  // cannot tell: treat as a system file
  TFileId windowsId;
  const bool haveId = FolderId(windows, windowsId);
  const std::string upperWindows = AnsiUpperCase(windows) + "\\";
  if (AnsiUpperCase(full).compare(0, upperWindows.size(), upperWindows) == 0) return true;
  if (!haveId) return false;
  // Walk up the folders holding the file; any of them may be the Windows folder by another name.
  std::string folder = full;
  for (;;) {
    const auto cut = LastDelimiter(folder, "\\");
    if (cut == std::string::npos || cut == 0) return false;
    folder.resize(cut);
    if (folder.size() <= 2) return false;  // "C:" or "\\" : the drive or share root
    TFileId id;
    if (FolderId(folder, id) && id == windowsId) return true;
  }
}

std::string UnregisterableServer(const std::string& path) {
  if (ShortServerPath(path).empty() || LiesInWindowsFolder(path)) return "";
  return path;
}

std::string Regsvr32Path() {
  char dir[MAX_PATH] = "";
  const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "";
  return IncludeTrailingBackslash(dir) + "regsvr32.exe";
}

std::string UnregisterCommandLine(const std::string& server) {
  std::string line(1, '"');
  line.append(Regsvr32Path()).append("\" /u /s \"").append(server).append(1, '"');
  return line;
}
