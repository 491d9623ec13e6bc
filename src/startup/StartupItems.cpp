#include "startup/StartupItems.h"

#include <algorithm>
#include <cstring>

#include "system/FolderLinks.h"
#include "system/Handles.h"
#include "system/RegNameEnum.h"
#include "system/RegValue.h"
#include "system/Registry.h"
#include "system/SysUtils.h"
#include "system/Text.h"

namespace {
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kRunOnceEx[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const char kRunServices[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";

std::vector<std::wstring> WideNamesOf(HKEY key) {
  DWORD maxLen = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxLen,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  return WideValueNames(key, maxLen);
}

// The value's text read by its real name, when it is REG_SZ or REG_EXPAND_SZ (unexpanded).
std::wstring TextOf(HKEY key, const std::wstring& name) {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
  if (ReadRegValue(key, name, type, bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return {};
  std::wstring data(bytes.size() / sizeof(wchar_t), L'\0');
  std::memcpy(data.data(), bytes.data(), data.size() * sizeof(wchar_t));
  return data.substr(0, data.find(L'\0'));
}
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
  TRegistry reg(KEY_READ);
  reg.SetRootKey(source.Root);
  if (!reg.OpenKey(std::string("\\") + source.KeyPath, false)) return;
  const std::wstring location = WideFrom(StartupLocation(source));
  for (const std::wstring& name : WideNamesOf(reg.CurrentKey())) {
    TStartupEntry entry;
    entry.Name = name;
    entry.Command = TextOf(reg.CurrentKey(), name);
    entry.Location = location;
    add(entry);
  }
}

void EnumStartupFolderEntries(const std::wstring& folder, const TStartupSink& add) {
  if (folder.empty()) return;
  const std::wstring dir = IncludeTrailingBackslash(folder);
  WIN32_FIND_DATAW fd;
  TFindHandle find(FindFirstFileW((dir + L"*.*").c_str(), &fd));
  if (!find) return;
  do {
    TStartupEntry entry;
    entry.Name = fd.cFileName;
    // Only the exact lower-case "desktop.ini" is the shell's own file; other spellings are listed.
    if (entry.Name == L"." || entry.Name == L".." || entry.Name == L"desktop.ini") continue;
    entry.Command = dir + entry.Name;
    entry.Location = entry.Command + L"," + WideFrom(kStartupFolderCode);
    add(entry);
  } while (FindNextFileW(find.get(), &fd));
}

void EnumStartupEntries(const TStartupSink& add) {
  for (const TStartupSource& source : StartupRegistrySources())
    EnumStartupRegistryEntries(source, add);
  EnumStartupFolderEntries(GetSpecialFolderW(kCsidlStartup), add);
}

std::vector<TStartupEntry> ListStartupEntries() {
  std::vector<TStartupEntry> entries;
  EnumStartupEntries([&entries](const TStartupEntry& e) { entries.push_back(e); });
  return entries;
}

bool DeleteRegistryValue(HKEY root, const std::string& keyPath, const std::wstring& name) {
  try {
    TRegistry reg;  // full access
    reg.SetRootKey(root);
    if (!reg.OpenKey("\\" + keyPath, false)) return false;
    return RegDeleteValueW(reg.CurrentKey(), name.c_str()) == ERROR_SUCCESS;
  } catch (...) {
    return false;
  }
}

std::string StartupLocationCode(const std::string& location) {
  return location.size() < 2 ? std::string() : location.substr(location.size() - 2);
}

std::wstring StartupLocationCode(const std::wstring& location) {
  return location.size() < 2 ? std::wstring() : location.substr(location.size() - 2);
}

bool DeleteStartupFolderEntry(const std::wstring& folder, const std::wstring& name) {
  // Without a resolved folder the path would fall back to the root of the current drive; a name
  // that is more than one entry's name would reach past the folder or match other entries.
  if (folder.empty() || name.empty() || name == L"." || name == L".." ||
      name.find_first_of(L"\\/:*?") != std::wstring::npos)
    return false;
  const std::wstring path = IncludeTrailingBackslash(folder) + name;
  WIN32_FIND_DATAW fd;
  TFindHandle find(FindFirstFileW(path.c_str(), &fd));
  if (!find) return false;
  // A link goes as a link: under Wine DeleteFileW on a link to a file deletes that file instead.
  if (IsLinkEntry(path, fd.dwFileAttributes)) return RemoveLinkEntry(path, fd.dwFileAttributes);
  if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;  // sub-folders stay
  return DeleteFileW(path.c_str()) != FALSE;
}

bool DeleteStartupFolderEntry(const std::string& folder, const std::string& name) {
  return DeleteStartupFolderEntry(WideFrom(folder), WideFrom(name));
}

bool DeleteStartupEntry(const std::wstring& name, const std::wstring& location) {
  const std::wstring code = StartupLocationCode(location);
  if (code == WideFrom(kStartupFolderCode))
    return DeleteStartupFolderEntry(GetSpecialFolderW(kCsidlStartup), name);
  for (const TStartupSource& source : StartupRegistrySources())
    if (code == WideFrom(source.Code))
      return DeleteRegistryValue(source.Root, source.KeyPath, name);
  return false;
}

bool DeleteStartupEntry(const std::string& name, const std::string& location) {
  return DeleteStartupEntry(WideFrom(name), WideFrom(location));
}
