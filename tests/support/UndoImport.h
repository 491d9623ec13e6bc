// Putting an undo file back the way a user would: the registry editor, silently.
#pragma once

#include <windows.h>

#include <string>

#include "system/Seams.h"
#include "system/UndoFolder.h"

inline bool ImportRegFile(const std::string& file) {
  return Seams::RealProcesses().RunAndWait("", "regedit.exe /s \"" + file + "\"");
}

// Deletes the undo files "<what>-....reg" left in `folder` by earlier runs, so that the next one
// found there is the test's own.
inline void ClearUndoFiles(const std::string& what, const std::string& folder = UndoFolder()) {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + what + "-*.reg").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  do
    DeleteFileA((folder + fd.cFileName).c_str());
  while (FindNextFileA(find, &fd));
  FindClose(find);
}

// The last undo file "<what>-....reg" written to `folder`; "" when there is none.
inline std::string NewestUndoFile(const std::string& what, const std::string& folder = UndoFolder()) {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + what + "-*.reg").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return {};
  std::string best;
  FILETIME bestTime{};
  do {
    const std::string name = fd.cFileName;
    const LONG order = CompareFileTime(&fd.ftLastWriteTime, &bestTime);
    // Within one second a later file has a longer name ("-2", "-3" ...).
    if (best.empty() || order > 0 || (order == 0 && name.size() >= best.size())) {
      best = name;
      bestTime = fd.ftLastWriteTime;
    }
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return folder + best;
}
