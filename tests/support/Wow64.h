// For the tests of both registry views and both system folders, which need 64-bit Windows (the
// 64-bit prefix of tools/wine-run, VELDOR_WINEARCH=win64): their names carry "Wow64", which the
// 64-bit ctest entries select, and they skip on 32-bit Windows. Values are seeded by the 64-bit
// reg.exe, which picks a view with /reg:64 or /reg:32; they are read back on the Win32 API.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "system/RegView.h"

#define SKIP_UNLESS_WOW64() \
  if (!IsWow64()) GTEST_SKIP() << "needs 64-bit Windows (VELDOR_WINEARCH=win64)"

namespace wow64_test {

constexpr REGSAM kView64 = KEY_WOW64_64KEY, kView32 = KEY_WOW64_32KEY;

// Runs "<Windows>\Sysnative\reg.exe <args>" (the 64-bit one) and waits; true when it exits 0.
inline bool Reg64(const std::string& args) {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string app = std::string(windows) + "\\Sysnative\\reg.exe";
  std::string line = "reg.exe " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(app.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &si, &pi))
    return false;
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code == 0;
}

// One REG_SZ value in a view ("" names the default value): "HKLM\..." key, "/reg:64" or "/reg:32".
inline bool SeedString(const std::string& key, const std::string& name, const std::string& data,
                       const char* view) {
  const std::string value = name.empty() ? "/ve" : "/v \"" + name + "\"";
  return Reg64("add \"" + key + "\" " + value + " /t REG_SZ /d \"" + data + "\" /f " + view);
}

inline HKEY OpenIn(HKEY root, const std::string& path, REGSAM view) {
  HKEY key = nullptr;
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) == ERROR_SUCCESS ? key
                                                                                      : nullptr;
}

inline bool KeyIn(HKEY root, const std::string& path, REGSAM view) {
  HKEY key = OpenIn(root, path, view);
  if (key) RegCloseKey(key);
  return key != nullptr;
}

// The value's type and bytes; type REG_NONE when it is missing.
inline std::pair<DWORD, std::vector<BYTE>> ValueIn(HKEY root, const std::string& path,
                                                   const std::string& name, REGSAM view) {
  std::pair<DWORD, std::vector<BYTE>> v{REG_NONE, std::vector<BYTE>(4096)};
  HKEY key = OpenIn(root, path, view);
  DWORD size = (DWORD)v.second.size();
  if (!key || RegQueryValueExA(key, name.c_str(), nullptr, &v.first, v.second.data(), &size) != 0)
    v = {REG_NONE, {}};
  else
    v.second.resize(size);
  if (key) RegCloseKey(key);
  return v;
}

// Deletes root\path with everything below it in one view.
inline void DeleteTreeIn(HKEY root, const std::string& path, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
  char name[256];
  for (DWORD n = 256; RegEnumKeyExA(key, 0, name, &n, nullptr, nullptr, nullptr, nullptr) == 0;
       n = 256)
    if (DeleteTreeIn(key, name, view), KeyIn(key, name, view)) break;
  RegCloseKey(key);
  const auto cut = path.rfind('\\');
  HKEY parent = root;
  if (cut != std::string::npos &&
      RegOpenKeyExA(root, path.substr(0, cut).c_str(), 0, KEY_ALL_ACCESS | view, &parent) != 0)
    return;
  RegDeleteKeyA(parent, cut == std::string::npos ? path.c_str() : path.c_str() + cut + 1);
  if (parent != root) RegCloseKey(parent);
}

}  // namespace wow64_test
