#include "system/UndoFolder.h"

#include <cstdio>

#include "system/Seams.h"
#include "system/SysUtils.h"
#include "system/Text.h"

namespace {

std::string Stamp() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u%02u%02u-%02u%02u%02u", (unsigned)t.wYear,
                (unsigned)t.wMonth, (unsigned)t.wDay, (unsigned)t.wHour, (unsigned)t.wMinute,
                (unsigned)t.wSecond);
  return stamp;
}

// The folder with its trailing "\", made when missing; "" when it cannot be.
std::string ReadyFolder(const std::string& folder) {
  const std::string dir = IncludeTrailingBackslash(folder);
  if (dir.empty() || (!DirectoryExists(dir) && !CreateDirectoryW(WideFrom(dir).c_str(), nullptr)))
    return {};
  return dir;
}

}  // namespace

std::string UndoFolder() {
  return ExtractFilePath(ExeFileName()) + "Undo\\";
}

std::string SaveUndoFile(const TUndoWriter& undo, const std::string& what,
                         const std::string& folder) {
  const std::string dir = ReadyFolder(folder);
  if (dir.empty()) return {};
  const std::string base = dir + what + "-" + Stamp();
  // Written only as a new file: a name already taken, or taken meanwhile, fails the write and the
  // next one is tried; any other failure ends it.
  for (int n = 1; n < 100; ++n) {
    const std::string path = n == 1 ? base + ".reg" : base + "-" + std::to_string(n) + ".reg";
    if (undo.SaveAsNew(path)) return path;
    if (GetFileAttributesW(WideFrom(path).c_str()) == INVALID_FILE_ATTRIBUTES) return {};
  }
  return {};
}

std::string MakeUndoSubfolder(const std::string& what, const std::string& folder) {
  const std::string dir = ReadyFolder(folder);
  if (dir.empty()) return {};
  const std::string base = dir + what + "-" + Stamp();
  for (int n = 1; n < 100; ++n) {
    const std::string path = n == 1 ? base : base + "-" + std::to_string(n);
    if (CreateDirectoryW(WideFrom(path).c_str(), nullptr)) return path + "\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

void ShowUndoFailure(HWND owner) {
  Seams::MessageBoxes().Show(owner, "无法保存撤销文件, 操作已取消!", "提示", MB_OK | MB_ICONERROR);
}
