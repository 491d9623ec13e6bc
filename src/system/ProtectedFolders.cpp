#include "system/ProtectedFolders.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "system/FolderIdentity.h"
#include "system/FsRedirection.h"
#include "system/ProgramFolders.h"
#include "system/SysUtils.h"

namespace {

bool IsAbsolute(const std::string& p) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (p.size() >= 3 && letter(p[0]) && p[1] == ':' && p[2] == '\\') return true;
  // UNC: \\server\..., but not the \\?\ and \\.\ device forms.
  return p.size() >= 3 && p[0] == '\\' && p[1] == '\\' && p[2] != '\\' && p[2] != '?' &&
         p[2] != '.';
}

bool IsRoot(const std::string& canonical) {
  if (canonical.size() <= 2) return true;  // "C:" or less
  if (canonical.compare(0, 2, "\\\\") != 0) return false;
  // \\server or \\server\share: at most one separator after the leading two.
  int separators = 0;
  for (size_t i = 2; i < canonical.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(canonical[i]))) {
      ++i;
      continue;
    }
    if (canonical[i] == '\\') ++separators;
  }
  return separators <= 1;
}

std::string EnvironmentFolder(const char* name) {
  char buf[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA(name, buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(buf, n) : std::string();
}

// Every folder but the temporary one, which the environment may change while the program runs.
std::vector<std::string> FixedProtectedFolderNames() {
  static const int kCsidls[] = {CSIDL_WINDOWS,
                                CSIDL_SYSTEM,
                                CSIDL_SYSTEMX86,
                                CSIDL_PROGRAM_FILES,
                                CSIDL_PROGRAM_FILESX86,
                                CSIDL_PROGRAM_FILES_COMMON,
                                CSIDL_PROGRAM_FILES_COMMONX86,
                                CSIDL_PROFILE,
                                CSIDL_DESKTOPDIRECTORY,
                                CSIDL_PERSONAL,
                                CSIDL_MYMUSIC,
                                CSIDL_MYPICTURES,
                                CSIDL_MYVIDEO,
                                CSIDL_APPDATA,
                                CSIDL_LOCAL_APPDATA,
                                CSIDL_STARTMENU,
                                CSIDL_PROGRAMS,
                                CSIDL_STARTUP,
                                CSIDL_FAVORITES,
                                CSIDL_SENDTO,
                                CSIDL_RECENT,
                                CSIDL_TEMPLATES,
                                CSIDL_NETHOOD,
                                CSIDL_PRINTHOOD,
                                CSIDL_FONTS,
                                CSIDL_INTERNET_CACHE,
                                CSIDL_COOKIES,
                                CSIDL_HISTORY,
                                CSIDL_ADMINTOOLS,
                                CSIDL_CDBURN_AREA,
                                CSIDL_COMMON_APPDATA,
                                CSIDL_COMMON_DESKTOPDIRECTORY,
                                CSIDL_COMMON_DOCUMENTS,
                                CSIDL_COMMON_MUSIC,
                                CSIDL_COMMON_PICTURES,
                                CSIDL_COMMON_VIDEO,
                                CSIDL_COMMON_STARTMENU,
                                CSIDL_COMMON_PROGRAMS,
                                CSIDL_COMMON_STARTUP,
                                CSIDL_COMMON_FAVORITES,
                                CSIDL_COMMON_TEMPLATES,
                                CSIDL_COMMON_ADMINTOOLS,
                                CSIDL_RESOURCES};
  std::vector<std::string> folders;
  for (int csidl : kCsidls) folders.push_back(GetSpecialFolder(csidl));
  folders.push_back(GetWindowsDir());
  folders.push_back(GetWindowsDir() + "Temp");
  char system[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryA(system, MAX_PATH);
  if (n > 0 && n < MAX_PATH) folders.push_back(system);
  // Under WOW64: the 64-bit program folders, and the name that reaches the 64-bit system folder.
  for (const auto& f : ProgramFilesFolders()) folders.push_back(f);
  for (const auto& f : CommonFilesFolders()) folders.push_back(f);
  folders.push_back(NativeSystemDir());
  // Windows 9x has no CSIDL_PROFILE; "All Users" has no special folder of its own.
  for (const char* name : {"USERPROFILE", "ALLUSERSPROFILE", "ProgramFiles", "CommonProgramFiles",
                           "ProgramData", "PUBLIC", "APPDATA", "LOCALAPPDATA", "SystemRoot"})
    folders.push_back(EnvironmentFolder(name));
  std::vector<std::string> canonical;
  for (const auto& f : folders) {
    if (f.empty()) continue;
    const std::string c = CanonicalFolder(f);
    if (!c.empty() && !IsRoot(c)) canonical.push_back(c);
  }
  return canonical;
}

// The folder itself, or one that holds it.
bool IsOrHolds(const std::string& folder, const std::string& guarded) {
  return guarded == folder || guarded.compare(0, folder.size() + 1, folder + "\\") == 0;
}

std::string ParentFolder(const std::string& canonical) {
  return ExcludeTrailingBackslash(ExtractFilePath(canonical));
}

// A guarded folder, or one above it, with its file index as read when the list was made.
struct TGuardedFolder {
  std::string Path;
  ULONGLONG Index = 0;
};

// Adds a guarded folder and every folder above it, its drive root included, each once: whatever
// name a link or a drive letter gives one of them, it opens one of these.
void AddChain(const std::string& guarded, std::vector<TGuardedFolder>& chain) {
  for (std::string step = guarded;;) {
    // "C:" alone would open the current folder of drive C:.
    const std::string openable = step.size() == 2 ? step + "\\" : step;
    TGuardedFolder g{openable};
    const bool listed = std::any_of(chain.begin(), chain.end(),
                                    [&](const TGuardedFolder& c) { return c.Path == openable; });
    if (!listed && FileIndexOf(openable, g.Index)) chain.push_back(g);
    if (IsRoot(step)) break;
    const std::string parent = ParentFolder(step);
    if (parent.size() >= step.size()) break;
    step = parent;
  }
}

// The file index picks the candidates cheaply; the identity, volume included, decides, read for
// both at the same moment: Wine changes a folder's volume serial number with its drive letters.
bool IsOneOf(const std::string& folder, ULONGLONG index, const std::vector<TGuardedFolder>& chain) {
  return std::any_of(chain.begin(), chain.end(), [&](const TGuardedFolder& g) {
    return g.Index == index && SameFileObject(folder, g.Path);
  });
}

struct TFixedGuard {
  std::vector<std::string> Names;     // canonical
  std::vector<TGuardedFolder> Chain;  // the folders above them too
};

TFixedGuard FixedGuard() {
  TFixedGuard g;
  g.Names = FixedProtectedFolderNames();
  for (const auto& name : g.Names) AddChain(name, g.Chain);
  return g;
}

}  // namespace

bool IsProtectedFolder(const std::string& folder, bool allowTempFolder) {
  std::string p = folder;
  for (char& c : p)
    if (c == '/') c = '\\';
  if (!IsAbsolute(p)) return true;
  const std::string f = CanonicalFolder(p);
  if (f.empty() || IsRoot(f)) return true;
  // Asking the shell for every folder takes a while; they do not move while the program runs.
  static const TFixedGuard fixed = FixedGuard();
  for (const auto& guarded : fixed.Names)
    if (IsOrHolds(f, guarded)) return true;
  // The temporary folder is read each time: the environment may change it. What holds it is
  // always refused; the cleaner may have the folder itself.
  const std::string temp = CanonicalFolder(GetTempDir());
  if (!temp.empty() && IsOrHolds(f, temp) && !(allowTempFolder && f == temp)) return true;
  // Names alone let a link or a drive letter through that leads to one of these folders.
  ULONGLONG index = 0;
  if (!FileIndexOf(f, index)) return false;
  if (IsOneOf(f, index, fixed.Chain)) return true;
  if (temp.empty()) return false;
  ULONGLONG tempIndex = 0;
  if (allowTempFolder && FileIndexOf(temp, tempIndex) && tempIndex == index &&
      SameFileObject(f, temp))
    return false;
  std::vector<TGuardedFolder> tempChain;
  AddChain(temp, tempChain);
  return IsOneOf(f, index, tempChain);
}

bool IsDeletableProgramFolder(const std::string& folder) {
  if (IsProtectedFolder(folder)) return false;
  std::vector<std::string> containers = ProgramFilesFolders();
  for (const auto& f : CommonFilesFolders()) containers.push_back(f);
  for (const std::string& container : containers)
    if (IsStrictlyInsideFolder(folder, container)) return true;
  return false;
}
