// The temporary-file cleaning job (job 16): the two folder routines and the job's steps. The job
// reports through ITmpCleanView, which the page turns into control changes on the window thread.
#pragma once

#include <windows.h>

#include <string>

#include "tempclean/TmpCleanState.h"

// What the cleaning changes on its page, in the job's order. Called on the worker thread.
class ITmpCleanView {
 public:
  virtual ~ITmpCleanView() = default;
  // running: the start button disabled and the stop button enabled; otherwise the reverse.
  virtual void SetRunning(bool running) = 0;
  virtual void ClearLines() = 0;
  // Wide: a line names a file as the system does.
  virtual void AddLine(const std::wstring& line) = 0;
  virtual void SetStatus(const std::string& text) = 0;
  // Called before every folder entry, where no file is half reported: a view that gathers
  // reports may hand them over here.
  virtual void Pulse() {}
};

// Whether the job ends by clearing the Internet Explorer URL cache. Off in this build; nothing
// turns it on.
constexpr bool CleanUrlCacheToo = false;

class TTempCleaner {
 public:
  explicit TTempCleaner(ITmpCleanView& view) : view_(view) {}
  // Every file of the folder tree; subfolders are emptied and removed, the folder itself stays.
  // Folders are walked by the names the file system gives, so every name is reached.
  void CleanTmpDir(const std::wstring& folder);
  void CleanTmpDir(const std::string& folder);
  // Only files whose extension is ".log" or ".tmp" in any letter case; subfolders are entered
  // only with `descend` and never removed.
  void CleanTmpFilesByExt(const std::wstring& folder, bool descend);
  void CleanTmpFilesByExt(const std::string& folder, bool descend);

 private:
  template <class THandler>
  void ListFolder(const std::wstring& folder, THandler&& handle);
  void CleanFile(const std::wstring& path, DWORD attributes);
  void WriteSummary();

  ITmpCleanView& view_;
};

// Job 16, from the reset of the state to the buttons put back (also after a failure). Jobs run
// one at a time: a job started while another runs waits for it to end, so a stopped job's last
// steps never share the state with the next job.
void RunTmpCleanJob(ITmpCleanView& view);

// The stop action's part on the job state: sets the stop request and returns the summary to show
// at once (the size text becomes "0.0KB" when nothing was deleted yet).
std::string RequestTmpCleanStop();

// True for a temporary folder that must not be emptied as a whole: no folder at all, or one the
// protected-folder list refuses (ProtectedFolders.h: roots, the Windows, system, profile,
// application-data, Start menu, Favorites, Program Files and Common Files folders and the like,
// or a folder holding one of them), the temporary folder itself excepted. (A program started from
// inside the temporary folder does not stop the cleaning: its running file cannot be deleted and
// simply stays.) GetTempPathW falls back to the profile or the Windows folder (the current folder
// on Windows 9x) when TMP and TEMP are not set.
bool IsTempFolderTooWide(const std::wstring& folder);
bool IsTempFolderTooWide(const std::string& folder);
