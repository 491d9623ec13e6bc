#include "system/FolderIdentity.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "system/DllFunction.h"
#include "system/FolderLinks.h"
#include "system/Handles.h"
#include "system/SysUtils.h"

namespace {

using TNtQueryInformationFile = LONG WINAPI(HANDLE, void* ioStatus, void* info, ULONG length,
                                            ULONG infoClass);
constexpr ULONG kFileInternalInformation = 6;

TKernelHandle OpenAnyway(const std::string& path) {
  return TKernelHandle(CreateFileA(path.c_str(), 0,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

char DriveLetter(const std::string& canonical) {
  const bool drive =
      canonical.size() >= 2 && canonical[1] == ':' && canonical[0] >= 'A' && canonical[0] <= 'Z';
  return drive ? canonical[0] : '\0';
}

}  // namespace

std::string CanonicalFolder(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '/') c = '\\';  // never the second byte of a double-byte character
  std::vector<char> full(32768);
  DWORD n = GetFullPathNameA(p.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return "";
  std::string s = ExcludeTrailingBackslash(std::string(full.data(), n));
  if (s.size() > 2) {  // short 8.3 parts become long ones where the path exists
    std::vector<char> longer(32768);
    n = GetLongPathNameA(s.c_str(), longer.data(), static_cast<DWORD>(longer.size()));
    if (n > 0 && n < longer.size()) s = ExcludeTrailingBackslash(std::string(longer.data(), n));
  }
  return AnsiUpperCase(s);
}

bool IdentityOf(const std::string& path, TFileIdentity& id) {
  const TKernelHandle h = OpenAnyway(path);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h || !GetFileInformationByHandle(h.get(), &info)) return false;
  id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

bool FileIndexOf(const std::string& path, ULONGLONG& index) {
  // Absent on Windows 9x.
  static const auto query =
      DllFunction<TNtQueryInformationFile>("ntdll.dll", "NtQueryInformationFile");
  const TKernelHandle h = OpenAnyway(path);
  if (!h) return false;
  if (query) {
    ULONG_PTR ioStatus[2] = {};
    LARGE_INTEGER number{};
    const bool ok = query(h.get(), ioStatus, &number, sizeof number, kFileInternalInformation) >= 0;
    index = static_cast<ULONGLONG>(number.QuadPart);
    return ok;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h.get(), &info) != FALSE;
  index = (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return ok;
}

bool SameFileObject(const std::string& a, const std::string& b) {
  TFileIdentity x, y;
  return IdentityOf(a, x) && IdentityOf(b, y) && x == y;
}

bool IsStrictlyInsideFolder(const std::string& folder, const std::string& container) {
  const std::string inner = CanonicalFolder(folder), outer = CanonicalFolder(container);
  // Only a drive letter names a local drive; a substituted drive is another letter for the same
  // folders, so the letter must be the container's own.
  const char letter = DriveLetter(inner);
  if (!letter || letter != DriveLetter(outer)) return false;
  const char root[] = {letter, ':', '\\', '\0'};
  if (GetDriveTypeA(root) != DRIVE_FIXED) return false;
  TFileIdentity target;
  if (!IdentityOf(outer, target)) return false;
  // Up from the folder itself, one real folder at a time, until the container is met.
  std::string step = inner;
  while (step.size() > 3) {
    const DWORD attr = GetFileAttributesA(step.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY) ||
        IsLinkEntry(step, attr))
      return false;
    const std::string parent = ExcludeTrailingBackslash(ExtractFilePath(step));
    if (parent.size() >= step.size()) return false;
    TFileIdentity id;
    if (IdentityOf(parent.size() == 2 ? parent + "\\" : parent, id) && id == target) return true;
    step = parent;
  }
  return false;
}
