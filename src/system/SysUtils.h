// Operating-system queries shared by every feature. None of them throws: failures give an empty
// text, 0 or false.
#pragma once

#include <windows.h>

#include <string>

std::string GetWindowsDir();              // ends in "\"
std::string GetTempDir();                 // ends in "\"
std::string GetSpecialFolder(int csidl);  // no trailing "\"; "" when it cannot be resolved
// The same folders as the system names them, for code that acts on names code page 936 lacks.
std::wstring GetWindowsDirW();
std::wstring GetTempDirW();
std::wstring GetSpecialFolderW(int csidl);
std::string GetDatePart(int selector);  // 1 year .. 6 second; "" for other selectors
std::string FormatDatePart(const SYSTEMTIME& t, int selector);  // the pure part of GetDatePart
int GetFileSizeOf(const std::string& path);  // low 32 bits; 0 when it cannot be opened
int GetFileSizeOf(const std::wstring& path);
bool SetTokenPrivilege(HANDLE token, const std::string& privilege, bool enable);
bool EnableDebugPrivilege();
std::string GetWindowsVersionName(int detail = 1);
// The pure table behind GetWindowsVersionName, for an already filled version record.
std::string WindowsVersionNameOf(const OSVERSIONINFOA& v);

// Small path helpers used everywhere folders are built; the wide forms serve names from the
// system.
std::string IncludeTrailingBackslash(const std::string& path);  // "" stays ""
std::wstring IncludeTrailingBackslash(const std::wstring& path);
bool DirectoryExists(const std::string& path);
bool DirectoryExists(const std::wstring& path);
bool FileExists(const std::string& path);
bool FileExists(const std::wstring& path);
std::string ExtractFilePath(const std::string& path);  // up to and including the last "\" or ":"
std::wstring ExtractFilePath(const std::wstring& path);
std::string ExtractFileName(const std::string& path);
std::wstring ExtractFileName(const std::wstring& path);
std::string ExeFileName();  // full path of the running program
std::wstring ExeFileNameW();
// Narrow text may hold double-byte characters whose second byte is "\"; these helpers step over
// such characters instead of matching them.
std::string ExcludeTrailingBackslash(const std::string& path);
std::wstring ExcludeTrailingBackslash(const std::wstring& path);
std::string::size_type LastDelimiter(const std::string& text, const std::string& delimiters);
std::string AnsiUpperCase(const std::string& text);
std::wstring WideUpperCase(const std::wstring& text);
bool SameText(const std::string& a, const std::string& b);  // case-insensitive
bool SameText(const std::wstring& a, const std::wstring& b);
