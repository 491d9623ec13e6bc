#include "regbackup/SafeExport.h"

#include "system/Text.h"
#include "system/SysUtils.h"

std::string MoveAside(const std::string& file) {
  for (int n = 1; n < 1000; ++n) {
    const std::string aside = file + ".~" + std::to_string(n);
    if (GetFileAttributesW(WideFrom(aside).c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    if (MoveFileW(WideFrom(file).c_str(), WideFrom(aside).c_str())) return aside;
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return {};
}

TExportOutcome ExportRegistryReplacing(const std::string& file, DWORD timeoutMs, HANDLE stop) {
  if (stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) return TExportOutcome::NotWritten;
  // Moving a link moves what it points to, and the export would be written into that.
  if (IsLinkPath(file)) return TExportOutcome::Link;
  // A folder of that name is never moved: no export can be written there anyway.
  if (DirectoryExists(file)) return TExportOutcome::NotWritten;
  std::string aside;
  if (GetFileAttributesW(WideFrom(file).c_str()) != INVALID_FILE_ATTRIBUTES) {
    aside = MoveAside(file);
    if (aside.empty()) return TExportOutcome::AsideFailed;
  }
  if (ExportRegistry(file, timeoutMs, stop)) {
    if (!aside.empty()) DeleteFileEntry(aside);
    return TExportOutcome::Written;
  }
  // The failed export may have left an empty or partial file: the earlier one replaces it, and
  // without one it goes, so that no cut-off export passes for a backup.
  if (aside.empty()) {
    if (FileExists(file)) DeleteFileEntry(file);
  } else if (!MoveFileExW(WideFrom(aside).c_str(), WideFrom(file).c_str(),
                          MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileEntry(file);
    MoveFileW(WideFrom(aside).c_str(), WideFrom(file).c_str());
  }
  return TExportOutcome::NotWritten;
}
