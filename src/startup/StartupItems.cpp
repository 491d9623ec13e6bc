#include "startup/StartupItems.h"

#include "system/FolderLinks.h"
#include "system/Handles.h"
#include "system/Registry.h"
#include "system/SysUtils.h"

namespace {
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kRunOnceEx[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const char kRunServices[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
}  // namespace

const std::vector<TStartupSource>& StartupRegistrySources() {
  static const std::vector<TStartupSource> sources = {
      {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", kRun, "10"},
      {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kRun, "00"},
      {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kRunOnce, "01"},
      {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kRunOnceEx, "02"},
      {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kRunServices, "03"},
  };
  return sources;
}

std::string StartupLocation(const TStartupSource& source) {
  return std::string(source.RootName) + "\\" + source.KeyPath + "," + source.Code;
}

void EnumStartupRegistryEntries(const TStartupSource& source, const TStartupSink& add) {
  // Listing needs no write access, so users without administrator rights still see the
  // HKEY_LOCAL_MACHINE entries.
  std::vector<std::string> names;
  {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(source.Root);
    if (!reg.OpenKey(std::string("\\") + source.KeyPath, false)) return;
    names = reg.GetValueNames();
  }
  const std::string location = StartupLocation(source);
  for (const std::string& name : names)
    add({name, ReadRegistryString(source.Root, source.KeyPath, name), location});
}

void EnumStartupFolderEntries(const std::string& folder, const TStartupSink& add) {
  if (folder.empty()) return;
  const std::string dir = IncludeTrailingBackslash(folder);
  WIN32_FIND_DATAA fd;
  TFindHandle find(FindFirstFileA((dir + "*.*").c_str(), &fd));
  if (!find) return;
  do {
    const std::string name = fd.cFileName;
    // Only the exact lower-case "desktop.ini" is the shell's own file; other spellings are listed.
    if (name == "." || name == ".." || name == "desktop.ini") continue;
    add({name, dir + name, dir + name + "," + kStartupFolderCode});
  } while (FindNextFileA(find.get(), &fd));
}

void EnumStartupEntries(const TStartupSink& add) {
  for (const TStartupSource& source : StartupRegistrySources())
    EnumStartupRegistryEntries(source, add);
  EnumStartupFolderEntries(GetSpecialFolder(kCsidlStartup), add);
}

std::vector<TStartupEntry> ListStartupEntries() {
  std::vector<TStartupEntry> entries;
  EnumStartupEntries([&entries](const TStartupEntry& e) { entries.push_back(e); });
  return entries;
}

std::string ReadRegistryString(HKEY root, const std::string& keyPath, const std::string& name) {
  try {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(root);
    if (!reg.OpenKey("\\" + keyPath, false)) return {};
    const DWORD type = reg.ValueType(name);
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    return reg.ReadString(name);
  } catch (...) {
    return {};
  }
}

bool DeleteRegistryValue(HKEY root, const std::string& keyPath, const std::string& name) {
  try {
    TRegistry reg;  // full access
    reg.SetRootKey(root);
    if (!reg.OpenKey("\\" + keyPath, true)) return false;
    if (!reg.ValueExists(name)) return false;
    return reg.DeleteValue(name);
  } catch (...) {
    return false;
  }
}

std::string StartupLocationCode(const std::string& location) {
  return location.size() < 2 ? std::string() : location.substr(location.size() - 2);
}

bool DeleteStartupFolderEntry(const std::string& folder, const std::string& name) {
  // Without a resolved folder the path would fall back to the root of the current drive; a name
  // that is more than one entry's name would reach past the folder or match other entries.
  if (folder.empty() || name.empty() || name == "." || name == ".." ||
      LastDelimiter(name, "\\/:*?") != std::string::npos)
    return false;
  const std::string path = IncludeTrailingBackslash(folder) + name;
  WIN32_FIND_DATAA fd;
  TFindHandle find(FindFirstFileA(path.c_str(), &fd));
  if (!find) return false;
  // A link goes as a link: under Wine DeleteFileA on a link to a file deletes that file instead.
  if (IsLinkEntry(path, fd.dwFileAttributes)) return RemoveLinkEntry(path, fd.dwFileAttributes);
  if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;  // sub-folders stay
  return DeleteFileA(path.c_str()) != FALSE;
}

bool DeleteStartupEntry(const std::string& name, const std::string& location) {
  const std::string code = StartupLocationCode(location);
  if (code == kStartupFolderCode)
    return DeleteStartupFolderEntry(GetSpecialFolder(kCsidlStartup), name);
  for (const TStartupSource& source : StartupRegistrySources())
    if (code == source.Code) return DeleteRegistryValue(source.Root, source.KeyPath, name);
  return false;
}
