#include "system/ProgramFolders.h"

#include <windows.h>
#include <shlobj.h>

#include "system/Registry.h"
#include "system/SysUtils.h"

namespace {

// The 64-bit system's own folder of that kind, from the 64-bit view (not from the environment,
// which whoever starts the program sets); "" on 32-bit Windows.
std::string NativeFolder(const char* valueName) {
  if (!IsWow64()) return "";
  try {
    TRegistry reg(KEY_READ, TRegView::Bit64);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion", false)) return "";
    return ExcludeTrailingBackslash(reg.ReadString(valueName));
  } catch (...) {
    return "";
  }
}

std::vector<std::string> BothOf(int csidl, const char* valueName) {
  std::vector<std::string> folders;
  for (const std::string& f : {GetSpecialFolder(csidl), NativeFolder(valueName)})
    if (!f.empty() && (folders.empty() || !SameText(folders[0], f))) folders.push_back(f);
  return folders;
}

}  // namespace

std::vector<std::string> ProgramFilesFolders() {
  return BothOf(CSIDL_PROGRAM_FILES, "ProgramFilesDir");
}

std::vector<std::string> CommonFilesFolders() {
  return BothOf(CSIDL_PROGRAM_FILES_COMMON, "CommonFilesDir");
}
