// Operating-system queries shared by every feature. None of them throws: failures give an empty
// text, 0 or false.
#pragma once

#include <windows.h>

#include <string>

std::string GetWindowsDir();              // ends in "\"
std::string GetTempDir();                 // ends in "\"
std::string GetSpecialFolder(int csidl);  // no trailing "\"; "" when it cannot be resolved
std::string GetDatePart(int selector);    // 1 year .. 6 second; "" for other selectors
std::string FormatDatePart(const SYSTEMTIME& t, int selector);  // the pure part of GetDatePart
int GetFileSizeOf(const std::string& path);  // low 32 bits; 0 when it cannot be opened
bool SetTokenPrivilege(HANDLE token, const std::string& privilege, bool enable);
bool EnableDebugPrivilege();
std::string GetWindowsVersionName(int detail = 1);
// The pure table behind GetWindowsVersionName, for an already filled version record.
std::string WindowsVersionNameOf(const OSVERSIONINFOA& v);

// Small path helpers used everywhere folders are built.
std::string IncludeTrailingBackslash(const std::string& path);  // "" stays ""
bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);
std::string ExtractFilePath(const std::string& path);  // up to and including the last "\" or ":"
std::string ExtractFileName(const std::string& path);
std::string ExeFileName();  // full path of the running program
// Text in the ANSI code page may hold double-byte characters whose second byte is "\";
// these helpers step over such characters instead of matching them.
std::string ExcludeTrailingBackslash(const std::string& path);
std::string::size_type LastDelimiter(const std::string& text, const std::string& delimiters);
std::string AnsiUpperCase(const std::string& text);
bool SameText(const std::string& a, const std::string& b);  // case-insensitive
