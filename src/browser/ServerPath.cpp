#include "browser/ServerPath.h"

#include <windows.h>

#include <vector>

#include "system/FileWay.h"
#include "system/FsRedirection.h"
#include "system/SysUtils.h"

bool IsAbsolutePath(const std::string& path) {
  if (path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' &&
      path[2] == '\\')
    return true;
  return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

namespace {

std::string ShortPathHere(const std::string& path) {
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

std::string UnregisterableHere(const std::string& path) {
  if (ShortPathHere(path).empty() || ReachedThroughLink(path) || LiesInWindowsFolder(path))
    return "";
  return path;
}

}  // namespace

std::string ShortServerPath(const std::string& path) {
  if (!IsAbsolutePath(path)) return "";
  std::string found;
  RunWithoutRedirection([&] { found = ShortPathHere(path); });
  return found.empty() ? ShortPathHere(path) : found;
}

bool LiesInWindowsFolder(const std::string& path) {
  return FileLiesInFolder(path, ExcludeTrailingBackslash(GetWindowsDir()));
}

std::string UnregisterableServer(const std::string& path) {
  if (!IsAbsolutePath(path)) return "";
  bool foundReal = false;
  std::string server;
  RunWithoutRedirection([&] {
    foundReal = !ShortPathHere(path).empty();
    if (foundReal) server = UnregisterableHere(path);
  });
  return foundReal ? server : UnregisterableHere(path);
}

std::string Regsvr32Path(TRegView view) {
  if (view == TRegView::Bit64 && IsWow64()) {
    const std::string native = NativeSystemDir();
    return native.empty() ? "" : native + "regsvr32.exe";
  }
  char dir[MAX_PATH] = "";
  const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "";
  return IncludeTrailingBackslash(dir) + "regsvr32.exe";
}

std::string UnregisterCommandLine(const std::string& server, TRegView view) {
  std::string line(1, '"');
  line.append(Regsvr32Path(view)).append("\" /u /s \"").append(server).append(1, '"');
  return line;
}
