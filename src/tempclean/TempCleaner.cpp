#include "tempclean/TempCleaner.h"

#include <cstring>
#include <mutex>

#include "system/FolderLinks.h"
#include "system/ProtectedFolders.h"
#include "system/SysUtils.h"
#include "tempclean/UrlCache.h"
#include "system/Handles.h"

namespace {

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

// A step's starting folder that is itself a link may lead anywhere: it is not entered.
bool IsLinkFolder(const std::string& folder) {
  const std::string f = ExcludeTrailingBackslash(folder);
  if (f.size() <= 3) return false;  // a drive root is no link
  const DWORD attr = GetFileAttributesA(f.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && IsLinkEntry(f, attr);
}

// After a successful delete call. Another program holding the file open (shared for deletion)
// keeps it: Wine lists it as before, Windows refuses to open it (access denied) until it is closed.
bool StillThere(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

}  // namespace

template <class THandler>
void TTempCleaner::ListFolder(const std::string& folder, THandler&& handle) {
  const std::string dir = IncludeTrailingBackslash(folder);
  if (!DirectoryExists(dir)) return;
  WIN32_FIND_DATAA fd;
  TFindHandle find(FindFirstFileA((dir + "*.*").c_str(), &fd));
  if (!find) return;
  do {
    view_.Pulse();  // before the stop test: a stop made while reports are shown counts here
    if (TmpCleanState.TmpCleanStopped) break;
    if (std::strcmp(fd.cFileName, ".") == 0 || std::strcmp(fd.cFileName, "..") == 0) continue;
    try {
      handle(dir + fd.cFileName, fd);
    } catch (...) {
      // One entry's failure never ends the listing.
    }
  } while (FindNextFileA(find.get(), &fd));
  if (TmpCleanState.TmpCleanLastStep) WriteSummary();
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
  const bool removed =
      link ? RemoveLinkEntry(path, attributes) : DeleteFileA(path.c_str()) != FALSE;
  // The delete call must have succeeded: the existence test alone cannot see a path of MAX_PATH
  // or more, or a name that does not survive the code page, and would call such files deleted.
  // A file the call marked for deletion but that is still there is not gone either.
  TTmpCleanTotals totals;
  if (!removed || StillThere(path)) {
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
    if (!windows.empty() && !IsLinkFolder(windows + "Temp"))
      RunStep([&] { cleaner.CleanTmpDir(windows + "Temp"); });
    RunStep([&] {
      const std::string temp = GetTempDir();
      if (!IsTempFolderTooWide(temp) && !IsLinkFolder(temp)) cleaner.CleanTmpDir(temp);
    });
    RunStep([&] { cleaner.CleanTmpFilesByExt("C:\\", false); });
    if (!windows.empty() && !IsLinkFolder(windows))
      RunStep([&] { cleaner.CleanTmpFilesByExt(windows, true); });
    TmpCleanState.TmpCleanLastStep = true;
    if (!windows.empty() && !IsLinkFolder(windows + "Temp"))
      RunStep([&] { cleaner.CleanTmpFilesByExt(windows + "Temp", false); });
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
  return folder.empty() || IsProtectedFolder(folder, true);
}
