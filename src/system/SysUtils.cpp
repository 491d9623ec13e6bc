#include "system/SysUtils.h"

#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "system/DllFunction.h"
#include "system/Handles.h"
#include "system/Text.h"

namespace {

// Index of the last byte of `text` that starts a character, or npos for empty text.
std::string::size_type LastCharStart(const std::string& text) {
  std::string::size_type last = std::string::npos;
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    last = i;
    if (IsNarrowLeadByte(text[i]) && i + 1 < text.size()) ++i;
  }
  return last;
}

bool EndsWithBackslash(const std::string& path) {
  const auto last = LastCharStart(path);
  return last != std::string::npos && path[last] == '\\' && last == path.size() - 1;
}

std::string TwoDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

}  // namespace

std::wstring GetWindowsDirW() {
  wchar_t buf[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return L"";
  return IncludeTrailingBackslash(std::wstring(buf, n));
}

std::string GetWindowsDir() {
  return NarrowFrom(GetWindowsDirW());
}

std::wstring GetTempDirW() {
  wchar_t buf[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  if (n == 0 || n >= MAX_PATH + 1) return L"";
  return IncludeTrailingBackslash(std::wstring(buf, n));
}

std::string GetTempDir() {
  return NarrowFrom(GetTempDirW());
}

std::wstring GetSpecialFolderW(int csidl) {
  // shell32 is loaded on the first folder asked for, not at start.
  const auto location = DllFunction<decltype(::SHGetSpecialFolderLocation)>(
      "shell32.dll", "SHGetSpecialFolderLocation");
  const auto toPath =
      DllFunction<decltype(::SHGetPathFromIDListW)>("shell32.dll", "SHGetPathFromIDListW");
  const auto getMalloc = DllFunction<decltype(::SHGetMalloc)>("shell32.dll", "SHGetMalloc");
  if (!location || !toPath || !getMalloc) return L"";
  LPITEMIDLIST pidl = nullptr;
  if (location(nullptr, csidl, &pidl) != S_OK || !pidl) return L"";
  wchar_t buf[MAX_PATH + 1] = {};
  const BOOL ok = toPath(pidl, buf);
  // The shell's own allocator, which every system since Windows 95 provides.
  IMalloc* malloc = nullptr;
  if (SUCCEEDED(getMalloc(&malloc)) && malloc) {
    malloc->Free(pidl);
    malloc->Release();
  }
  return ok ? std::wstring(buf) : std::wstring();
}

std::string GetSpecialFolder(int csidl) {
  return NarrowFrom(GetSpecialFolderW(csidl));
}

std::string FormatDatePart(const SYSTEMTIME& t, int selector) {
  switch (selector) {
    case 1:
      return std::to_string(t.wYear);
    case 2:
      return TwoDigits(t.wMonth);
    case 3:
      return TwoDigits(t.wDay);
    case 4:
      return TwoDigits(t.wHour);
    case 5:
      return TwoDigits(t.wMinute);
    case 6:
      return TwoDigits(t.wSecond);
    default:
      return "";
  }
}

std::string GetDatePart(int selector) {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return FormatDatePart(t, selector);
}

int GetFileSizeOf(const std::string& path) {
  return GetFileSizeOf(WideFrom(path));
}

int GetFileSizeOf(const std::wstring& path) {
  const TKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 0;
  const DWORD low = GetFileSize(file.get(), nullptr);
  // All bits set is also a valid low part of a size over 4 GiB; only the error code tells.
  const bool failed = low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR;
  return failed ? 0 : static_cast<int>(low);
}

bool SetTokenPrivilege(HANDLE token, const std::string& privilege, bool enable) {
  LUID luid{};
  if (!LookupPrivilegeValueW(nullptr, WideFrom(privilege).c_str(), &luid)) return false;
  TOKEN_PRIVILEGES tp{};
  tp.PrivilegeCount = 1;
  tp.Privileges[0].Luid = luid;
  tp.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  if (!AdjustTokenPrivileges(token, FALSE, &tp, sizeof tp, nullptr, nullptr)) return false;
  // Success with ERROR_NOT_ALL_ASSIGNED means the privilege is not held: not enabled.
  return GetLastError() == ERROR_SUCCESS;
}

bool EnableDebugPrivilege() {
  TKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.out())) return false;
  return SetTokenPrivilege(token.get(), "SeDebugPrivilege", true);
}

std::string WindowsVersionNameOf(const OSVERSIONINFOA& v) {
  std::string name = "Windows";
  char buf[64];
  const char sp = v.szCSDVersion[0] ? v.szCSDVersion[1] : '\0';
  switch (v.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
      std::snprintf(buf, sizeof buf, " %lu.%lu", v.dwMajorVersion, v.dwMinorVersion);
      name += buf;
      break;
    case VER_PLATFORM_WIN32_WINDOWS:
      if (v.dwMajorVersion == 4 && v.dwMinorVersion == 0) {
        name += " 95";
        if (sp == 'B' || sp == 'C') name += " OSR2";
      } else if (v.dwMajorVersion == 4 && v.dwMinorVersion == 10) {
        name += " 98";
        if (sp == 'A') name += " Second Edition";
      } else if (v.dwMajorVersion == 4 && v.dwMinorVersion == 90) {
        name += " Millenium Edition";
      }
      break;
    case VER_PLATFORM_WIN32_NT:
      if (v.dwMajorVersion == 3 || v.dwMajorVersion == 4) {
        std::snprintf(buf, sizeof buf, " NT %lu.%lu", v.dwMajorVersion, v.dwMinorVersion);
        name += buf;
      } else if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) {
        name += " 2000";
      } else if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1) {
        name += " XP";
      } else if (v.dwMajorVersion == 5 && v.dwMinorVersion == 2) {
        name += " 2003 Server";
      }
      break;
    default:
      break;
  }
  return name;
}

// Only the one detail level the program uses exists; every level gives that name.
std::string GetWindowsVersionName(int /*detail*/) {
  OSVERSIONINFOEXA ex{};
  ex.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);  // 156
  auto* v = reinterpret_cast<OSVERSIONINFOA*>(&ex);
  if (!GetVersionExA(v)) {
    // Systems before NT 4 SP6 know only the basic record.
    ex = OSVERSIONINFOEXA{};
    ex.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);  // 148
    if (!GetVersionExA(v)) return "Windows";
  }
  return WindowsVersionNameOf(*v);
}

std::string IncludeTrailingBackslash(const std::string& path) {
  if (path.empty() || EndsWithBackslash(path)) return path;
  return path + "\\";
}

std::wstring IncludeTrailingBackslash(const std::wstring& path) {
  if (path.empty() || path.back() == L'\\') return path;
  return path + L"\\";
}

std::string ExcludeTrailingBackslash(const std::string& path) {
  std::string s = path;
  while (EndsWithBackslash(s)) s.pop_back();
  return s;
}

std::wstring ExcludeTrailingBackslash(const std::wstring& path) {
  std::wstring s = path;
  while (!s.empty() && s.back() == L'\\') s.pop_back();
  return s;
}

std::string::size_type LastDelimiter(const std::string& text, const std::string& delimiters) {
  std::string::size_type found = std::string::npos;
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    if (IsNarrowLeadByte(text[i]) && i + 1 < text.size()) {
      ++i;  // the second byte of a double-byte character is never a delimiter
      continue;
    }
    if (delimiters.find(text[i]) != std::string::npos) found = i;
  }
  return found;
}

bool DirectoryExists(const std::string& path) {
  return DirectoryExists(WideFrom(path));
}

bool DirectoryExists(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
  return FileExists(WideFrom(path));
}

bool FileExists(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ExtractFilePath(const std::string& path) {
  const auto i = LastDelimiter(path, "\\:");
  return i == std::string::npos ? std::string() : path.substr(0, i + 1);
}

std::wstring ExtractFilePath(const std::wstring& path) {
  const auto i = path.find_last_of(L"\\:");
  return i == std::wstring::npos ? std::wstring() : path.substr(0, i + 1);
}

std::string ExtractFileName(const std::string& path) {
  const auto i = LastDelimiter(path, "\\:");
  return i == std::string::npos ? path : path.substr(i + 1);
}

std::wstring ExtractFileName(const std::wstring& path) {
  const auto i = path.find_last_of(L"\\:");
  return i == std::wstring::npos ? path : path.substr(i + 1);
}

std::wstring ExeFileNameW() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return L"";
    if (n < buf.size() - 1) return std::wstring(buf.data(), n);
    buf.resize(buf.size() * 2);
  }
}

std::string ExeFileName() {
  return NarrowFrom(ExeFileNameW());
}

std::wstring WideUpperCase(const std::wstring& text) {
  std::wstring s = text;
  if (!s.empty()) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

std::string AnsiUpperCase(const std::string& text) {
  // Through wide text: the bytes of a double-byte character are never taken for letters.
  return NarrowFrom(WideUpperCase(WideFrom(text)));
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && AnsiUpperCase(a) == AnsiUpperCase(b);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && WideUpperCase(a) == WideUpperCase(b);
}
