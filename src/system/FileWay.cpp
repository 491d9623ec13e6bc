#include "system/FileWay.h"

#include <windows.h>

#include <vector>

#include "system/FolderIdentity.h"
#include "system/FolderLinks.h"
#include "system/Handles.h"
#include "system/Text.h"

namespace {

std::wstring FullPath(const std::wstring& path) {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetFullPathNameW(path.c_str(), (DWORD)buf.size(), buf.data(), nullptr);
    if (n == 0) return L"";
    if (n < buf.size()) return std::wstring(buf.data(), n);
    buf.resize(n + 1);
  }
}

// Positions of the "\" of a path.
std::vector<size_t> Backslashes(const std::wstring& path) {
  std::vector<size_t> at;
  for (size_t i = 0; i < path.size(); ++i)
    if (path[i] == L'\\') at.push_back(i);
  return at;
}

// The folders that hold the file of a full path, innermost first, ending with the root ("X:\" or
// "\\server\share\"). Empty for any other form ("\\?\...", "\\.\..."): those are not followed.
std::vector<std::wstring> FoldersOnTheWay(const std::wstring& full) {
  const std::vector<size_t> at = Backslashes(full);
  size_t root = 0;  // index of the "\" that ends the root
  const bool drive = full.size() >= 3 && ((full[0] | 0x20) >= L'a' && (full[0] | 0x20) <= L'z') &&
                     full[1] == L':' && full[2] == L'\\';
  if (drive) {
    root = 2;
  } else {
    // "\\server\share\": the server and share names are not empty and not "?" or ".".
    if (at.size() < 4 || at[0] != 0 || at[1] != 1 || at[2] == 2 || at[3] == at[2] + 1) return {};
    const std::wstring server = full.substr(2, at[2] - 2);
    if (server == L"?" || server == L".") return {};
    root = at[3];
  }
  // A file name must follow the last "\".
  if (at.back() < root || at.back() + 1 == full.size()) return {};
  std::vector<std::wstring> folders;
  for (auto it = at.rbegin(); it != at.rend() && *it > root; ++it)
    folders.push_back(full.substr(0, *it));
  folders.push_back(full.substr(0, root + 1));
  return folders;
}

}  // namespace

bool FileLiesInFolder(const std::string& path, const std::string& folder) {
  return FileLiesInFolder(WideFrom(path), WideFrom(folder));
}

bool FileLiesInFolder(const std::wstring& path, const std::wstring& folder) {
  // Cannot tell without the folder's identity: treat the file as lying in it.
  if (folder.empty() || !SameFileObject(folder, folder)) return true;
  const std::vector<std::wstring> folders = FoldersOnTheWay(FullPath(path));
  if (folders.empty()) return true;
  for (const std::wstring& step : folders)
    if (SameFileObject(step, folder)) return true;
  return false;
}

bool ReachedThroughLink(const std::string& path) {
  return ReachedThroughLink(WideFrom(path));
}

bool ReachedThroughLink(const std::wstring& path) {
  const std::wstring full = FullPath(path);
  const std::vector<std::wstring> folders = FoldersOnTheWay(full);
  if (folders.empty()) return true;
  std::vector<std::wstring> steps{full};
  steps.insert(steps.end(), folders.begin(), folders.end());
  for (const std::wstring& step : steps) {
    const DWORD attrs = GetFileAttributesW(step.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || IsLinkEntry(step, attrs)) return true;
  }
  // A hard link is the same file under a second name, which may be a system library's.
  const TKernelHandle h(CreateFileW(full.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return !h || !GetFileInformationByHandle(h.get(), &info) || info.nNumberOfLinks != 1;
}
