#include "system/FsRedirection.h"

#include "system/DllFunction.h"
#include "system/RegView.h"
#include "system/SysUtils.h"
#include "system/Text.h"

namespace {

using TDisable = BOOL WINAPI(PVOID*);
using TRevert = BOOL WINAPI(PVOID);

// Both looked up together, before redirection is ever turned off: it must always come back on.
struct TRedirectionCalls {
  TDisable* Disable = nullptr;
  TRevert* Revert = nullptr;
};

const TRedirectionCalls& Calls() {
  static const TRedirectionCalls calls = [] {
    TRedirectionCalls c;
    if (!IsWow64()) return c;
    c.Disable = DllFunction<TDisable>("kernel32.dll", "Wow64DisableWow64FsRedirection");
    c.Revert = DllFunction<TRevert>("kernel32.dll", "Wow64RevertWow64FsRedirection");
    if (!c.Disable || !c.Revert) c = {};
    return c;
  }();
  return calls;
}

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

namespace fsredirection {

bool TurnOff(void*& old) {
  const TRedirectionCalls& c = Calls();
  return c.Disable && c.Disable(&old);
}

void TurnBack(void* old) {
  Calls().Revert(old);
}

}  // namespace fsredirection

DWORD FileAttributesEitherWay(const std::wstring& path, DWORD& error) {
  DWORD attrs = INVALID_FILE_ATTRIBUTES, realError = ERROR_FILE_NOT_FOUND;
  const bool asked = RunWithoutRedirection([&] {
    attrs = GetFileAttributesW(path.c_str());
    realError = GetLastError();
  });
  if (asked && attrs != INVALID_FILE_ATTRIBUTES) return attrs;
  attrs = GetFileAttributesW(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES) return attrs;
  error = GetLastError();
  // Missing one way and unknown the other: unknown.
  if (asked && IsMissing(error) && !IsMissing(realError)) error = realError;
  return INVALID_FILE_ATTRIBUTES;
}

bool PathExistsEitherWay(const std::string& path) {
  DWORD error = 0;
  return FileAttributesEitherWay(WideFrom(path), error) != INVALID_FILE_ATTRIBUTES;
}

std::string NativeSystemDir() {
  if (IsWow64()) {
    const std::string windows = GetWindowsDir();
    return windows.empty() ? "" : windows + "Sysnative\\";
  }
  char dir[MAX_PATH] = "";
  const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? "" : IncludeTrailingBackslash(std::string(dir, n));
}
