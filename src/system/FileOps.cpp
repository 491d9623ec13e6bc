#include "system/FileOps.h"

#include "system/FolderLinks.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "system/DllFunction.h"
#include "system/ProtectedFolders.h"
#include "system/SysUtils.h"
#include "system/Text.h"
#include "system/Handles.h"

namespace {

// ---- What a path really opens ---------------------------------------------------------------

using TNtQueryInformationFile = LONG WINAPI(HANDLE, void* ioStatus, void* info, ULONG length,
                                            ULONG infoClass);
constexpr ULONG kFileNameInformation = 9;
constexpr LONG kStatusBufferOverflow = static_cast<LONG>(0x80000005);

// Absent on Windows 9x, which has no links.
TNtQueryInformationFile* NtQueryInformationFileFn() {
  static const auto fn =
      DllFunction<TNtQueryInformationFile>("ntdll.dll", "NtQueryInformationFile");
  return fn;
}

// The volume and the path (without drive) of the object that opening `path` reaches, asking not
// to follow a final link. Windows honours that and names the link; Wine follows the link anyway
// and names the target, which is how a link shows itself there.
struct TOpenedName {
  bool Known = false;
  DWORD Volume = 0;
  std::wstring Name;  // upper case
};

TOpenedName OpenedName(const std::wstring& path) {
  TOpenedName r;
  const auto query = NtQueryInformationFileFn();
  if (!query) return r;
  const TKernelHandle handle(CreateFileW(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) return r;
  const HANDLE h = handle.get();
  std::vector<BYTE> buf(4 + 2 * 1024);  // FILE_NAME_INFORMATION: byte length, then the name
  ULONG_PTR ioStatus[2] = {};
  LONG status =
      query(h, ioStatus, buf.data(), static_cast<ULONG>(buf.size()), kFileNameInformation);
  if (status == kStatusBufferOverflow) {
    buf.assign(4 + 2 * 32768, 0);
    status = query(h, ioStatus, buf.data(), static_cast<ULONG>(buf.size()), kFileNameInformation);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL haveInfo = GetFileInformationByHandle(h, &info);
  if (status < 0 || !haveInfo) return r;
  ULONG length = 0;
  std::memcpy(&length, buf.data(), sizeof length);
  length = std::min<ULONG>(length, static_cast<ULONG>(buf.size() - 4));
  r.Name.assign(reinterpret_cast<const wchar_t*>(buf.data() + 4), length / sizeof(wchar_t));
  CharUpperBuffW(r.Name.data(), static_cast<DWORD>(r.Name.size()));
  r.Volume = info.dwVolumeSerialNumber;
  r.Known = true;
  return r;
}

// True when `entry` (opened at parent + name) is that directory entry itself and not something a
// link leads to. Where the check cannot be made although links exist, the answer is no.
bool IsEntryItself(const TOpenedName& parent, const TOpenedName& entry, const std::wstring& name) {
  if (!NtQueryInformationFileFn()) return true;
  if (!parent.Known || !entry.Known) return false;
  std::wstring expected = parent.Name;
  if (expected.empty() || expected.back() != L'\\') expected += L'\\';
  expected += WideUpperCase(name);
  return entry.Volume == parent.Volume && entry.Name == expected;
}

// ---- The walk ---------------------------------------------------------------------------------

bool DeleteEntry(const std::wstring& path, const std::wstring& name, DWORD attr,
                 const TOpenedName& parent);

void DeleteContents(const std::wstring& dir, const TOpenedName& dirName) {
  const std::wstring prefix = IncludeTrailingBackslash(dir);
  WIN32_FIND_DATAW fd;
  TFindHandle find(FindFirstFileW((prefix + L"*.*").c_str(), &fd));
  if (!find) return;
  do {
    const std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    DeleteEntry(prefix + name, name, fd.dwFileAttributes, dirName);
  } while (FindNextFileW(find.get(), &fd));
}

bool DeleteEntry(const std::wstring& path, const std::wstring& name, DWORD attr,
                 const TOpenedName& parent) {
  const TOpenedName self = OpenedName(path);
  // A link is removed as a link and never entered. Where every Win32 call on the path would land
  // on the link's target (Wine), only the link-removal routine may touch it.
  if (!IsEntryItself(parent, self, name) || (attr & FILE_ATTRIBUTE_REPARSE_POINT))
    return IsLinkEntry(path, attr) && RemoveLinkEntry(path, attr);
  if (attr & FILE_ATTRIBUTE_DIRECTORY) {
    // A read-only folder keeps its entries on some file systems (Wine maps it to a Unix mode).
    if (attr & FILE_ATTRIBUTE_READONLY)
      SetFileAttributesW(path.c_str(), attr & ~FILE_ATTRIBUTE_READONLY);
    DeleteContents(path, self);
    return RemoveDirectoryW(path.c_str()) != FALSE;
  }
  if (DeleteFileW(path.c_str())) return true;
  if (!(attr & FILE_ATTRIBUTE_READONLY)) return false;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(path.c_str()) != FALSE;
}

}  // namespace

bool IsFolderTooWideToDelete(const std::string& folder) {
  return IsProtectedFolder(folder);
}

bool IsFolderTooWideToDelete(const std::wstring& folder) {
  return IsProtectedFolder(folder);
}

bool DeleteDirectoryTree(const std::string& folder) {
  return DeleteDirectoryTree(WideFrom(folder));
}

bool DeleteDirectoryTree(const std::wstring& folder) {
  if (IsFolderTooWideToDelete(folder)) return false;
  std::wstring dir = ExcludeTrailingBackslash(folder);
  // Entries are matched by their long names below; an 8.3 form of the folder itself would not be.
  wchar_t longer[MAX_PATH];
  const DWORD n = GetLongPathNameW(dir.c_str(), longer, MAX_PATH);
  if (n > 0 && n < MAX_PATH) dir = ExcludeTrailingBackslash(std::wstring(longer, n));
  const DWORD attr = GetFileAttributesW(dir.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return false;
  std::wstring parent = ExtractFilePath(dir);
  if (parent.size() > 3) parent = ExcludeTrailingBackslash(parent);
  // The folder itself may be a link: judged like any entry below it.
  return DeleteEntry(dir, ExtractFileName(dir), attr, OpenedName(parent));
}
