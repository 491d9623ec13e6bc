#include "system/FolderIdentity.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "system/DllFunction.h"
#include "system/FolderLinks.h"
#include "system/Handles.h"
#include "system/SysUtils.h"
#include "system/Text.h"

namespace {

using TNtQueryInformationFile = LONG WINAPI(HANDLE, void* ioStatus, void* info, ULONG length,
                                            ULONG infoClass);
constexpr ULONG kFileInternalInformation = 6;

TKernelHandle OpenAnyway(const std::wstring& path) {
  return TKernelHandle(CreateFileW(path.c_str(), 0,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

wchar_t DriveLetter(const std::wstring& canonical) {
  const bool drive =
      canonical.size() >= 2 && canonical[1] == L':' && canonical[0] >= L'A' && canonical[0] <= L'Z';
  return drive ? canonical[0] : L'\0';
}

}  // namespace

std::string CanonicalFolder(const std::string& path) {
  return NarrowFrom(CanonicalFolder(WideFrom(path)));
}

std::wstring CanonicalFolder(const std::wstring& path) {
  std::wstring p = path;
  for (wchar_t& c : p)
    if (c == L'/') c = L'\\';
  std::vector<wchar_t> full(32768);
  DWORD n = GetFullPathNameW(p.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return L"";
  std::wstring s = ExcludeTrailingBackslash(std::wstring(full.data(), n));
  if (s.size() > 2) {  // short 8.3 parts become long ones where the path exists
    std::vector<wchar_t> longer(32768);
    n = GetLongPathNameW(s.c_str(), longer.data(), static_cast<DWORD>(longer.size()));
    if (n > 0 && n < longer.size()) s = ExcludeTrailingBackslash(std::wstring(longer.data(), n));
  }
  return WideUpperCase(s);
}

bool IdentityOf(const std::string& path, TFileIdentity& id) {
  return IdentityOf(WideFrom(path), id);
}

bool IdentityOf(const std::wstring& path, TFileIdentity& id) {
  const TKernelHandle h = OpenAnyway(path);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h || !GetFileInformationByHandle(h.get(), &info)) return false;
  id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

bool FileIndexOf(const std::string& path, ULONGLONG& index) {
  return FileIndexOf(WideFrom(path), index);
}

bool FileIndexOf(const std::wstring& path, ULONGLONG& index) {
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
  return SameFileObject(WideFrom(a), WideFrom(b));
}

bool SameFileObject(const std::wstring& a, const std::wstring& b) {
  TFileIdentity x, y;
  return IdentityOf(a, x) && IdentityOf(b, y) && x == y;
}

bool IsStrictlyInsideFolder(const std::string& folder, const std::string& container) {
  return IsStrictlyInsideFolder(WideFrom(folder), WideFrom(container));
}

bool IsStrictlyInsideFolder(const std::wstring& folder, const std::wstring& container) {
  const std::wstring inner = CanonicalFolder(folder), outer = CanonicalFolder(container);
  // Only a drive letter names a local drive; a substituted drive is another letter for the same
  // folders, so the letter must be the container's own.
  const wchar_t letter = DriveLetter(inner);
  if (!letter || letter != DriveLetter(outer)) return false;
  const wchar_t root[] = {letter, L':', L'\\', L'\0'};
  if (GetDriveTypeW(root) != DRIVE_FIXED) return false;
  TFileIdentity target;
  if (!IdentityOf(outer, target)) return false;
  // Up from the folder itself, one real folder at a time, until the container is met.
  std::wstring step = inner;
  while (step.size() > 3) {
    const DWORD attr = GetFileAttributesW(step.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY) ||
        IsLinkEntry(step, attr))
      return false;
    const std::wstring parent = ExcludeTrailingBackslash(ExtractFilePath(step));
    if (parent.size() >= step.size()) return false;
    TFileIdentity id;
    if (IdentityOf(parent.size() == 2 ? parent + L"\\" : parent, id) && id == target) return true;
    step = parent;
  }
  return false;
}
