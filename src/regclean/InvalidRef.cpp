#include "regclean/InvalidRef.h"

#include <windows.h>

#include "regclean/RegText.h"

bool IsValidPathRefW(const std::wstring& s) {
  if (s.size() < 3) return true;
  wchar_t drive = s[0];
  if (drive >= L'a' && drive <= L'z') drive = static_cast<wchar_t>(drive - L'a' + L'A');
  if (drive < L'C' || drive > L'Z') return true;
  // Command lines with arguments, paths with spaces and lists are never taken for paths.
  if (s.find_first_of(L";, ") != std::wstring::npos) return true;
  if (s[1] != L':' || s[2] != L'\\') return true;
  // Beyond this length the system cannot name the target reliably: leave it alone.
  if (s.size() >= MAX_PATH) return true;
  if (GetDriveTypeW(s.substr(0, 3).c_str()) != DRIVE_FIXED) return true;
  // Attributes answer for files and folders alike without entering any folder, so the process's
  // current directory stays where other features expect it.
  if (GetFileAttributesW(s.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool IsValidPathRef(const std::string& s) {
  return IsValidPathRefW(AnsiToWide(s));
}
