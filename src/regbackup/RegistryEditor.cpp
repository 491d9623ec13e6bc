#include "regbackup/RegistryEditor.h"

#include <cstring>

#include "system/Text.h"
#include "system/FolderLinks.h"
#include "system/Seams.h"
#include "system/SysUtils.h"
#include "system/Handles.h"

namespace {
std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}
}  // namespace

std::string RegistryEditorPath() {
  return GetWindowsDir() + "regedit.exe";
}

std::string RegistryExportCommand(const std::string& file) {
  return Quoted(RegistryEditorPath()) + " /e " + Quoted(file);
}

std::string RegistryImportCommand(const std::string& file) {
  return Quoted(RegistryEditorPath()) + " /c " + Quoted(file);
}

bool ExportRegistry(const std::string& file, DWORD timeoutMs, HANDLE stop) {
  const int ended = Seams::Processes().RunAndWaitStoppable(
      RegistryEditorPath(), RegistryExportCommand(file), timeoutMs, stop);
  return ended == kProcessEnded && IsCompleteExport(file);
}

bool ImportRegistry(const std::string& file, DWORD timeoutMs) {
  return Seams::Processes().RunAndWaitAtMost(RegistryEditorPath(), RegistryImportCommand(file),
                                             timeoutMs) == kProcessEnded;
}

bool FileHasContent(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(WideFrom(path).c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  return data.nFileSizeHigh != 0 || data.nFileSizeLow != 0;
}

bool IsCompleteExport(const std::string& path) {
  static const char kAnsiHeader[] = "REGEDIT4";
  static const wchar_t kWideHeader[] = L"\xFEFFWindows Registry Editor Version 5.00";
  const TKernelHandle file(CreateFileW(WideFrom(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const HANDLE h = file.get();
  auto readAt = [&](DWORD offset, void* buffer, DWORD size) {
    DWORD got = 0;
    return SetFilePointer(h, static_cast<LONG>(offset), nullptr, FILE_BEGIN) == offset &&
           ReadFile(h, buffer, size, &got, nullptr) && got == size;
  };
  DWORD high = 0;
  const DWORD size = GetFileSize(h, &high);
  bool complete = false;
  if (size != INVALID_FILE_SIZE && high == 0) {
    // The header, then its line end; and the last character is a line feed.
    char head[sizeof kWideHeader + 4] = {};
    char tail[2] = {};
    const DWORD wideHeader = sizeof kWideHeader - sizeof(wchar_t);  // without the final NUL
    const DWORD ansiHeader = sizeof kAnsiHeader - 1;
    if (size >= wideHeader + 2 && readAt(0, head, wideHeader + 2) && readAt(size - 2, tail, 2) &&
        std::memcmp(head, kWideHeader, wideHeader) == 0) {
      const bool lineEnd =
          (head[wideHeader] == '\r' || head[wideHeader] == '\n') && head[wideHeader + 1] == 0;
      complete = lineEnd && size % 2 == 0 && tail[0] == '\n' && tail[1] == 0;
    } else if (size >= ansiHeader + 1 && readAt(0, head, ansiHeader + 1) &&
               readAt(size - 1, tail, 1) && std::memcmp(head, kAnsiHeader, ansiHeader) == 0) {
      complete = (head[ansiHeader] == '\r' || head[ansiHeader] == '\n') && tail[0] == '\n';
    }
  }
  return complete;
}

bool IsLinkPath(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WideFrom(path).c_str());
  // A link whose target is missing has no attributes of its own to show; its name still exists.
  return IsLinkEntry(path, attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes);
}

bool DeleteFileEntry(const std::string& path) {
  const std::wstring wide = WideFrom(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (IsLinkEntry(wide, attributes)) return RemoveLinkEntry(wide, attributes);
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return DeleteFileW(wide.c_str()) != FALSE;
}
