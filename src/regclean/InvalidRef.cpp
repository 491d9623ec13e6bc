#include "regclean/InvalidRef.h"

#include <windows.h>

#include "regclean/RegText.h"
#include "system/FsRedirection.h"
#include "system/Text.h"

namespace {
// Asking for a drive's type costs several system calls; a scan asks for the same few drives a
// hundred thousand times. A drive's answer is kept for a second, so a disk plugged in meanwhile is
// still seen soon.
UINT DriveTypeOf(wchar_t letter) {
  static UINT types[26];
  static DWORD asked[26];
  static bool known[26];
  const int i = letter - L'A';
  const DWORD now = GetTickCount();
  if (!known[i] || now - asked[i] > 1000) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    types[i] = GetDriveTypeW(root);
    asked[i] = now;
    known[i] = true;
  }
  return types[i];
}
}  // namespace

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
  if (DriveTypeOf(drive) != DRIVE_FIXED) return true;
  // Attributes answer for files and folders alike without entering any folder, so the process's
  // current directory stays where other features expect it. A 64-bit program's path names the
  // real system folder: missing only when missing both ways.
  DWORD error = 0;
  if (FileAttributesEitherWay(s, error) != INVALID_FILE_ATTRIBUTES) return true;
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool IsValidPathRef(const std::string& s) {
  return IsValidPathRefW(WideFrom(s));
}
