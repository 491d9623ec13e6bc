#include "system/ProtectedFolders.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "system/FolderIdentity.h"
#include "system/FsRedirection.h"
#include "system/ProgramFolders.h"
#include "system/SysUtils.h"
#include "system/Text.h"

namespace {

bool IsAbsolute(const std::wstring& p) {
  const auto letter = [](wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
  };
  if (p.size() >= 3 && letter(p[0]) && p[1] == L':' && p[2] == L'\\') return true;
  // UNC: \\server\..., but not the \\?\ and \\.\ device forms.
  return p.size() >= 3 && p[0] == L'\\' && p[1] == L'\\' && p[2] != L'\\' && p[2] != L'?' &&
         p[2] != L'.';
}

bool IsRoot(const std::wstring& canonical) {
  if (canonical.size() <= 2) return true;  // "C:" or less
  if (canonical.compare(0, 2, L"\\\\") != 0) return false;
  // \\server or \\server\share: at most one separator after the leading two.
  int separators = 0;
  for (size_t i = 2; i < canonical.size(); ++i)
    if (canonical[i] == L'\\') ++separators;
  return separators <= 1;
}

std::wstring EnvironmentFolder(const wchar_t* name) {
  wchar_t buf[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

// Every folder but the temporary one, which the environment may change while the program runs.
std::vector<std::wstring> FixedProtectedFolderNames() {
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
  std::vector<std::wstring> folders;
  for (int csidl : kCsidls) folders.push_back(GetSpecialFolderW(csidl));
  folders.push_back(GetWindowsDirW());
  folders.push_back(GetWindowsDirW() + L"Temp");
  wchar_t system[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n > 0 && n < MAX_PATH) folders.push_back(system);
  // Under WOW64: the 64-bit program folders, and the name that reaches the 64-bit system folder.
  for (const auto& f : ProgramFilesFolders()) folders.push_back(WideFrom(f));
  for (const auto& f : CommonFilesFolders()) folders.push_back(WideFrom(f));
  folders.push_back(WideFrom(NativeSystemDir()));
  // Windows 9x has no CSIDL_PROFILE; "All Users" has no special folder of its own.
  for (const wchar_t* name :
       {L"USERPROFILE", L"ALLUSERSPROFILE", L"ProgramFiles", L"CommonProgramFiles", L"ProgramData",
        L"PUBLIC", L"APPDATA", L"LOCALAPPDATA", L"SystemRoot"})
    folders.push_back(EnvironmentFolder(name));
  std::vector<std::wstring> canonical;
  for (const auto& f : folders) {
    if (f.empty()) continue;
    const std::wstring c = CanonicalFolder(f);
    if (!c.empty() && !IsRoot(c)) canonical.push_back(c);
  }
  return canonical;
}

// The folder itself, or one that holds it.
bool IsOrHolds(const std::wstring& folder, const std::wstring& guarded) {
  return guarded == folder || guarded.compare(0, folder.size() + 1, folder + L"\\") == 0;
}

std::wstring ParentFolder(const std::wstring& canonical) {
  return ExcludeTrailingBackslash(ExtractFilePath(canonical));
}

// A guarded folder, or one above it, with its file index as read when the list was made.
struct TGuardedFolder {
  std::wstring Path;
  ULONGLONG Index = 0;
};

// Adds a guarded folder and every folder above it, its drive root included, each once: whatever
// name a link or a drive letter gives one of them, it opens one of these.
void AddChain(const std::wstring& guarded, std::vector<TGuardedFolder>& chain) {
  for (std::wstring step = guarded;;) {
    // "C:" alone would open the current folder of drive C:.
    const std::wstring openable = step.size() == 2 ? step + L"\\" : step;
    TGuardedFolder g{openable};
    const bool listed = std::any_of(chain.begin(), chain.end(),
                                    [&](const TGuardedFolder& c) { return c.Path == openable; });
    if (!listed && FileIndexOf(openable, g.Index)) chain.push_back(g);
    if (IsRoot(step)) break;
    const std::wstring parent = ParentFolder(step);
    if (parent.size() >= step.size()) break;
    step = parent;
  }
}

// The file index picks the candidates cheaply; the identity, volume included, decides, read for
// both at the same moment: Wine changes a folder's volume serial number with its drive letters.
bool IsOneOf(const std::wstring& folder, ULONGLONG index,
             const std::vector<TGuardedFolder>& chain) {
  return std::any_of(chain.begin(), chain.end(), [&](const TGuardedFolder& g) {
    return g.Index == index && SameFileObject(folder, g.Path);
  });
}

struct TFixedGuard {
  std::vector<std::wstring> Names;    // canonical
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
  return IsProtectedFolder(WideFrom(folder), allowTempFolder);
}

bool IsProtectedFolder(const std::wstring& folder, bool allowTempFolder) {
  std::wstring p = folder;
  for (wchar_t& c : p)
    if (c == L'/') c = L'\\';
  if (!IsAbsolute(p)) return true;
  const std::wstring f = CanonicalFolder(p);
  if (f.empty() || IsRoot(f)) return true;
  // Asking the shell for every folder takes a while; they do not move while the program runs.
  static const TFixedGuard fixed = FixedGuard();
  for (const auto& guarded : fixed.Names)
    if (IsOrHolds(f, guarded)) return true;
  // The temporary folder is read each time: the environment may change it. What holds it is
  // always refused; the cleaner may have the folder itself.
  const std::wstring temp = CanonicalFolder(GetTempDirW());
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
  return IsDeletableProgramFolder(WideFrom(folder));
}

bool IsDeletableProgramFolder(const std::wstring& folder) {
  if (IsProtectedFolder(folder)) return false;
  std::vector<std::string> containers = ProgramFilesFolders();
  for (const auto& f : CommonFilesFolders()) containers.push_back(f);
  for (const std::string& container : containers)
    if (IsStrictlyInsideFolder(folder, WideFrom(container))) return true;
  return false;
}
