#include "system/FileWay.h"

#include <windows.h>

#include <vector>

#include "system/FolderIdentity.h"
#include "system/FolderLinks.h"
#include "system/Handles.h"

namespace {

std::string FullPath(const std::string& path) {
  std::vector<char> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetFullPathNameA(path.c_str(), (DWORD)buf.size(), buf.data(), nullptr);
    if (n == 0) return "";
    if (n < buf.size()) return std::string(buf.data(), n);
    buf.resize(n + 1);
  }
}

// Positions of the "\" of a path, stepping over double-byte characters whose second byte is one.
std::vector<size_t> Backslashes(const std::string& path) {
  std::vector<size_t> at;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size())
      ++i;
    else if (path[i] == '\\')
      at.push_back(i);
  }
  return at;
}

// The folders that hold the file of a full path, innermost first, ending with the root ("X:\" or
// "\\server\share\"). Empty for any other form ("\\?\...", "\\.\..."): those are not followed.
std::vector<std::string> FoldersOnTheWay(const std::string& full) {
  const std::vector<size_t> at = Backslashes(full);
  size_t root = 0;  // index of the "\" that ends the root
  const bool drive = full.size() >= 3 && ((full[0] | 0x20) >= 'a' && (full[0] | 0x20) <= 'z') &&
                     full[1] == ':' && full[2] == '\\';
  if (drive) {
    root = 2;
  } else {
    // "\\server\share\": the server and share names are not empty and not "?" or ".".
    if (at.size() < 4 || at[0] != 0 || at[1] != 1 || at[2] == 2 || at[3] == at[2] + 1) return {};
    const std::string server = full.substr(2, at[2] - 2);
    if (server == "?" || server == ".") return {};
    root = at[3];
  }
  // A file name must follow the last "\".
  if (at.back() < root || at.back() + 1 == full.size()) return {};
  std::vector<std::string> folders;
  for (auto it = at.rbegin(); it != at.rend() && *it > root; ++it)
    folders.push_back(full.substr(0, *it));
  folders.push_back(full.substr(0, root + 1));
  return folders;
}

}  // namespace

bool FileLiesInFolder(const std::string& path, const std::string& folder) {
  // Cannot tell without the folder's identity: treat the file as lying in it.
  if (folder.empty() || !SameFileObject(folder, folder)) return true;
  const std::vector<std::string> folders = FoldersOnTheWay(FullPath(path));
  if (folders.empty()) return true;
  for (const std::string& step : folders)
    if (SameFileObject(step, folder)) return true;
  return false;
}

bool ReachedThroughLink(const std::string& path) {
  const std::string full = FullPath(path);
  const std::vector<std::string> folders = FoldersOnTheWay(full);
  if (folders.empty()) return true;
  std::vector<std::string> steps{full};
  steps.insert(steps.end(), folders.begin(), folders.end());
  for (const std::string& step : steps) {
    const DWORD attrs = GetFileAttributesA(step.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || IsLinkEntry(step, attrs)) return true;
  }
  // A hard link is the same file under a second name, which may be a system library's.
  const TKernelHandle h(CreateFileA(full.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return !h || !GetFileInformationByHandle(h.get(), &info) || info.nNumberOfLinks != 1;
}
