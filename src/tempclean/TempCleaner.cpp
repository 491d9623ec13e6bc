#include "tempclean/TempCleaner.h"

#include <shlobj.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "system/SysUtils.h"
#include "system/FolderLinks.h"
#include "tempclean/UrlCache.h"

namespace {

class TFindGuard {
 public:
  explicit TFindGuard(HANDLE h) : h_(h) {}
  ~TFindGuard() { Close(); }
  void Close() {
    if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

bool HasTmpExtension(const char* name) {
  const char* dot = std::strrchr(name, '.');
  if (!dot || std::strlen(dot) != 4) return false;
  char ext[5] = {};
  for (int i = 0; i < 4; ++i) {
    const char c = dot[i];
    ext[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return std::strcmp(ext, ".log") == 0 || std::strcmp(ext, ".tmp") == 0;
}

// A routine that fails as a whole is skipped; the job goes on with its next step.
template <class TStep>
void RunStep(TStep&& step) {
  try {
    step();
  } catch (...) {
  }
}

// Long, upper-case form without the trailing "\" ("C:" for a drive root).
std::string FolderKey(const std::string& folder) {
  std::string f = folder;
  char longer[MAX_PATH * 2] = {};
  const DWORD n = GetLongPathNameA(f.c_str(), longer, sizeof longer);
  if (n > 0 && n < sizeof longer) f = longer;
  return AnsiUpperCase(ExcludeTrailingBackslash(f));
}

bool IsRootKey(const std::string& key) {
  if (key.size() <= 2) return true;  // "C:", "C", ""
  if (key.compare(0, 2, "\\\\") != 0) return false;
  // \\server or \\server\share
  int separators = 0;
  for (size_t i = 2; i < key.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(key[i]))) {
      ++i;
      continue;
    }
    if (key[i] == '\\') ++separators;
  }
  return separators <= 1;
}

}  // namespace

template <class THandler>
void TTempCleaner::ListFolder(const std::string& folder, THandler&& handle) {
  const std::string dir = IncludeTrailingBackslash(folder);
  if (!DirectoryExists(dir)) return;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((dir + "*.*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  TFindGuard guard(find);
  do {
    view_.Pulse();  // before the stop test: a stop made while reports are shown counts here
    if (TmpCleanState.TmpCleanStopped) break;
    if (std::strcmp(fd.cFileName, ".") == 0 || std::strcmp(fd.cFileName, "..") == 0) continue;
    try {
      handle(dir + fd.cFileName, fd);
    } catch (...) {
      // One entry's failure never ends the listing.
    }
  } while (FindNextFileA(find, &fd));
  if (TmpCleanState.TmpCleanLastStep) WriteSummary();
  guard.Close();
}

void TTempCleaner::CleanTmpDir(const std::string& folder) {
  ListFolder(folder, [this](const std::string& path, const WIN32_FIND_DATAA& fd) {
    const DWORD attr = fd.dwFileAttributes;
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) return CleanFile(path, attr);
    if (IsLinkEntry(path, attr)) {
      RemoveLinkEntry(path, attr);  // the link goes; the folder it leads to is not entered
      return;
    }
    CleanTmpDir(path);
    if (DirectoryExists(path)) RemoveDirectoryA(path.c_str());
    if (DirectoryExists(path)) CleanTmpDir(path);
  });
}

void TTempCleaner::CleanTmpFilesByExt(const std::string& folder, bool descend) {
  ListFolder(folder, [this, descend](const std::string& path, const WIN32_FIND_DATAA& fd) {
    const DWORD attr = fd.dwFileAttributes;
    if (attr & FILE_ATTRIBUTE_DIRECTORY) {
      if (descend && !IsLinkEntry(path, attr)) CleanTmpFilesByExt(path, true);
      return;
    }
    if (HasTmpExtension(fd.cFileName)) CleanFile(path, attr);
  });
}

void TTempCleaner::CleanFile(const std::string& path, DWORD attributes) {
  const bool link = IsLinkEntry(path, attributes);
  // Removing a link frees nothing of the file it leads to, whose size a read would give.
  const unsigned long size = link ? 0 : static_cast<unsigned int>(GetFileSizeOf(path));
  if (link)
    RemoveLinkEntry(path, attributes);
  else
    DeleteFileA(path.c_str());
  // Only whether the file is still there counts, not what the delete call said.
  TTmpCleanTotals totals;
  if (FileExists(path)) {
    view_.AddLine(TmpInUseLine(path));
    totals = TmpCleanState.Totals();
  } else {
    view_.AddLine(TmpDeletedLine(path));
    totals = TmpCleanState.AddDeleted(size);
  }
  view_.SetStatus(TmpProgressText(totals));
}

void TTempCleaner::WriteSummary() {
  const std::string summary = TmpSummaryText(TmpCleanState.TotalsForSummary());
  view_.AddLine("");
  view_.AddLine(summary);
  view_.SetStatus(summary);
}

void RunTmpCleanJob(ITmpCleanView& view) {
  static std::mutex oneJobAtATime;
  std::lock_guard<std::mutex> hold(oneJobAtATime);
  try {
    TmpCleanState.Reset();
    view.SetRunning(true);
    view.ClearLines();
    view.AddLine(kTmpCleanStartLine);
    TTempCleaner cleaner(view);
    const std::string windows = GetWindowsDir();
    // Without the Windows folder, "Temp" alone would name a folder under the current one.
    if (!windows.empty()) RunStep([&] { cleaner.CleanTmpDir(windows + "Temp"); });
    RunStep([&] {
      const std::string temp = GetTempDir();
      if (!IsTempFolderTooWide(temp)) cleaner.CleanTmpDir(temp);
    });
    RunStep([&] { cleaner.CleanTmpFilesByExt("C:\\", false); });
    if (!windows.empty()) RunStep([&] { cleaner.CleanTmpFilesByExt(windows, true); });
    TmpCleanState.TmpCleanLastStep = true;
    if (!windows.empty()) RunStep([&] { cleaner.CleanTmpFilesByExt(windows + "Temp", false); });
    if (CleanUrlCacheToo) RunStep(DeleteUrlCacheEntries);
  } catch (...) {
    // The buttons are put back below whatever happened.
  }
  try {
    view.SetRunning(false);
  } catch (...) {
  }
}

std::string RequestTmpCleanStop() {
  TmpCleanState.TmpCleanStopped = true;
  return TmpSummaryText(TmpCleanState.TotalsForSummary());
}

bool IsTempFolderTooWide(const std::string& folder) {
  if (folder.empty()) return true;
  const std::string key = FolderKey(folder);
  if (IsRootKey(key)) return true;
  std::vector<std::string> guarded = {
      GetWindowsDir(), GetSpecialFolder(CSIDL_PROFILE), GetSpecialFolder(CSIDL_PERSONAL),
      GetSpecialFolder(CSIDL_DESKTOPDIRECTORY), GetSpecialFolder(CSIDL_PROGRAM_FILES)};
  char buf[MAX_PATH] = {};
  DWORD n = GetSystemDirectoryA(buf, MAX_PATH);
  if (n > 0 && n < MAX_PATH) guarded.push_back(buf);
  n = GetEnvironmentVariableA("USERPROFILE", buf, MAX_PATH);  // Windows 9x has no CSIDL_PROFILE
  if (n > 0 && n < MAX_PATH) guarded.push_back(buf);
  for (const std::string& g : guarded) {
    if (g.empty()) continue;
    const std::string other = FolderKey(g);
    // The folder itself or one that holds it.
    if (other == key || other.compare(0, key.size() + 1, key + "\\") == 0) return true;
  }
  return false;
}
