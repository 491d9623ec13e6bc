#include "tempclean/TempCleaner.h"

#include <cstring>
#include <mutex>

#include "system/FolderLinks.h"
#include "system/ProtectedFolders.h"
#include "system/SysUtils.h"
#include "system/Text.h"
#include "tempclean/UrlCache.h"
#include "system/Handles.h"

namespace {

bool HasTmpExtension(const wchar_t* name) {
  const wchar_t* dot = std::wcsrchr(name, L'.');
  if (!dot || std::wcslen(dot) != 4) return false;
  wchar_t ext[5] = {};
  for (int i = 0; i < 4; ++i) {
    const wchar_t c = dot[i];
    ext[i] = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  }
  return std::wcscmp(ext, L".log") == 0 || std::wcscmp(ext, L".tmp") == 0;
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
bool IsLinkFolder(const std::wstring& folder) {
  const std::wstring f = ExcludeTrailingBackslash(folder);
  if (f.size() <= 3) return false;  // a drive root is no link
  const DWORD attr = GetFileAttributesW(f.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && IsLinkEntry(f, attr);
}

// After a successful delete call. Another program holding the file open (shared for deletion)
// keeps it: Wine lists it as before, Windows refuses to open it (access denied) until it is closed.
bool StillThere(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

}  // namespace

template <class THandler>
void TTempCleaner::ListFolder(const std::wstring& folder, THandler&& handle) {
  const std::wstring dir = IncludeTrailingBackslash(folder);
  if (!DirectoryExists(dir)) return;
  WIN32_FIND_DATAW fd;
  TFindHandle find(FindFirstFileW((dir + L"*.*").c_str(), &fd));
  if (!find) return;
  do {
    view_.Pulse();  // before the stop test: a stop made while reports are shown counts here
    if (TmpCleanState.TmpCleanStopped) break;
    if (std::wcscmp(fd.cFileName, L".") == 0 || std::wcscmp(fd.cFileName, L"..") == 0) continue;
    try {
      handle(dir + fd.cFileName, fd);
    } catch (...) {
      // One entry's failure never ends the listing.
    }
  } while (FindNextFileW(find.get(), &fd));
  if (TmpCleanState.TmpCleanLastStep) WriteSummary();
}

void TTempCleaner::CleanTmpDir(const std::string& folder) {
  CleanTmpDir(WideFrom(folder));
}

void TTempCleaner::CleanTmpFilesByExt(const std::string& folder, bool descend) {
  CleanTmpFilesByExt(WideFrom(folder), descend);
}

void TTempCleaner::CleanTmpDir(const std::wstring& folder) {
  ListFolder(folder, [this](const std::wstring& path, const WIN32_FIND_DATAW& fd) {
    const DWORD attr = fd.dwFileAttributes;
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) return CleanFile(path, attr);
    if (IsLinkEntry(path, attr)) {
      RemoveLinkEntry(path, attr);  // the link goes; the folder it leads to is not entered
      return;
    }
    CleanTmpDir(path);
    if (DirectoryExists(path)) RemoveDirectoryW(path.c_str());
    if (DirectoryExists(path)) CleanTmpDir(path);
  });
}

void TTempCleaner::CleanTmpFilesByExt(const std::wstring& folder, bool descend) {
  ListFolder(folder, [this, descend](const std::wstring& path, const WIN32_FIND_DATAW& fd) {
    const DWORD attr = fd.dwFileAttributes;
    if (attr & FILE_ATTRIBUTE_DIRECTORY) {
      if (descend && !IsLinkEntry(path, attr)) CleanTmpFilesByExt(path, true);
      return;
    }
    if (HasTmpExtension(fd.cFileName)) CleanFile(path, attr);
  });
}

void TTempCleaner::CleanFile(const std::wstring& path, DWORD attributes) {
  const bool link = IsLinkEntry(path, attributes);
  // Removing a link frees nothing of the file it leads to, whose size a read would give.
  const unsigned long size = link ? 0 : static_cast<unsigned int>(GetFileSizeOf(path));
  const bool removed =
      link ? RemoveLinkEntry(path, attributes) : DeleteFileW(path.c_str()) != FALSE;
  // The delete call must have succeeded: the existence test alone cannot see a path of MAX_PATH
  // or more, and would call such files deleted. A file the call marked for deletion but that is
  // still there is not gone either.
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
  view_.AddLine(L"");
  view_.AddLine(WideFrom(summary));
  view_.SetStatus(summary);
}

void RunTmpCleanJob(ITmpCleanView& view) {
  static std::mutex oneJobAtATime;
  std::lock_guard<std::mutex> hold(oneJobAtATime);
  try {
    TmpCleanState.Reset();
    view.SetRunning(true);
    view.ClearLines();
    view.AddLine(WideFrom(kTmpCleanStartLine));
    TTempCleaner cleaner(view);
    const std::wstring windows = GetWindowsDirW();
    // Without the Windows folder, "Temp" alone would name a folder under the current one.
    if (!windows.empty() && !IsLinkFolder(windows + L"Temp"))
      RunStep([&] { cleaner.CleanTmpDir(windows + L"Temp"); });
    RunStep([&] {
      const std::wstring temp = GetTempDirW();
      if (!IsTempFolderTooWide(temp) && !IsLinkFolder(temp)) cleaner.CleanTmpDir(temp);
    });
    RunStep([&] { cleaner.CleanTmpFilesByExt(std::wstring(L"C:\\"), false); });
    if (!windows.empty() && !IsLinkFolder(windows))
      RunStep([&] { cleaner.CleanTmpFilesByExt(windows, true); });
    TmpCleanState.TmpCleanLastStep = true;
    if (!windows.empty() && !IsLinkFolder(windows + L"Temp"))
      RunStep([&] { cleaner.CleanTmpFilesByExt(windows + L"Temp", false); });
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

bool IsTempFolderTooWide(const std::wstring& folder) {
  return folder.empty() || IsProtectedFolder(folder, true);
}

bool IsTempFolderTooWide(const std::string& folder) {
  return IsTempFolderTooWide(WideFrom(folder));
}
