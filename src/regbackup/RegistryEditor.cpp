#include "regbackup/RegistryEditor.h"

#include "system/FolderLinks.h"
#include "system/Seams.h"
#include "system/SysUtils.h"

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

bool ExportRegistry(const std::string& file, DWORD timeoutMs) {
  const int ended = Seams::Processes().RunAndWaitAtMost(RegistryEditorPath(),
                                                        RegistryExportCommand(file), timeoutMs);
  return ended == kProcessEnded && FileHasContent(file);
}

bool ImportRegistry(const std::string& file, DWORD timeoutMs) {
  return Seams::Processes().RunAndWaitAtMost(RegistryEditorPath(), RegistryImportCommand(file),
                                             timeoutMs) == kProcessEnded;
}

bool FileHasContent(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  return data.nFileSizeHigh != 0 || data.nFileSizeLow != 0;
}

bool DeleteFileEntry(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (IsLinkEntry(path, attributes)) return RemoveLinkEntry(path, attributes);
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return DeleteFileA(path.c_str()) != FALSE;
}
