#include "browser/ServerPath.h"

#include <windows.h>

#include <vector>

#include "system/FileWay.h"
#include "system/FsRedirection.h"
#include "system/SysUtils.h"
#include "system/Text.h"

bool IsAbsolutePath(const std::wstring& path) {
  if (path.size() >= 3 && ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z') &&
      path[1] == L':' && path[2] == L'\\')
    return true;
  return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
}

namespace {

std::wstring ShortPathHere(const std::wstring& path) {
  const DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) return L"";
  std::vector<wchar_t> buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetShortPathNameW(path.c_str(), buf.data(), (DWORD)buf.size());
    if (n == 0) return L"";
    if (n < buf.size()) return std::wstring(buf.data(), n);
    buf.assign(n + 1, L'\0');
  }
}

std::wstring UnregisterableHere(const std::wstring& path) {
  if (ShortPathHere(path).empty() || ReachedThroughLink(path) || LiesInWindowsFolder(path))
    return L"";
  return path;
}

}  // namespace

std::wstring ShortServerPath(const std::wstring& path) {
  if (!IsAbsolutePath(path)) return L"";
  std::wstring found;
  RunWithoutRedirection([&] { found = ShortPathHere(path); });
  return found.empty() ? ShortPathHere(path) : found;
}

bool LiesInWindowsFolder(const std::wstring& path) {
  return FileLiesInFolder(path, ExcludeTrailingBackslash(GetWindowsDirW()));
}

std::wstring UnregisterableServer(const std::wstring& path) {
  if (!IsAbsolutePath(path)) return L"";
  bool foundReal = false;
  std::wstring server;
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
  wchar_t dir[MAX_PATH] = L"";
  const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "";
  return NarrowFrom(IncludeTrailingBackslash(std::wstring(dir, n)) + L"regsvr32.exe");
}

std::string UnregisterCommandLine(const std::wstring& server, TRegView view) {
  bool exact = true;
  std::string path = NarrowFrom(server, &exact);
  if (!exact) {
    exact = true;
    path = NarrowFrom(ShortServerPath(server), &exact);
  }
  const std::string regsvr32 = Regsvr32Path(view);
  if (!exact || path.empty() || regsvr32.empty()) return "";
  std::string line(1, '"');
  line.append(regsvr32).append("\" /u /s \"").append(path).append(1, '"');
  return line;
}
