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
#include "system/UndoCapture.h"

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

// The real path of a source's key in a view; the user's keys are the same in both.
std::string KeyPathIn(const TStartupSource& source, TRegView view) {
  return source.Root == HKEY_LOCAL_MACHINE ? ViewKeyPath(view, source.KeyPath) : source.KeyPath;
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

std::string StartupLocation(const TStartupSource& source, TRegView view) {
  return std::string(source.RootName) + "\\" + KeyPathIn(source, view) + "," + source.Code;
}

std::vector<TRegView> StartupViews(const TStartupSource& source) {
  if (source.Root == HKEY_LOCAL_MACHINE) return MachineViews();
  return {TRegView::Own};
}

void EnumStartupRegistryEntries(const TStartupSource& source, const TStartupSink& add,
                                TRegView view) {
  // Listing needs no write access, so users without administrator rights still see the
  // HKEY_LOCAL_MACHINE entries. The key is opened by its real path in the 64-bit view, which
  // reaches the 32-bit view's key too.
  TRegistry reg(KEY_READ, TRegView::Bit64);
  reg.SetRootKey(source.Root);
  // Appended rather than added to a literal: GCC 12 warns falsely about the latter.
  std::string path = "\\";
  path += KeyPathIn(source, view);
  if (!reg.OpenKey(path, false)) return;
  const std::wstring location = WideFrom(StartupLocation(source, view));
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
    for (TRegView view : StartupViews(source)) EnumStartupRegistryEntries(source, add, view);
  EnumStartupFolderEntries(GetSpecialFolderW(kCsidlStartup), add);
}

std::vector<TStartupEntry> ListStartupEntries() {
  std::vector<TStartupEntry> entries;
  EnumStartupEntries([&entries](const TStartupEntry& e) { entries.push_back(e); });
  return entries;
}

bool DeleteRegistryValue(HKEY root, const std::string& keyPath, const std::wstring& name,
                         bool* undoFailed, const std::string& undoFolder) {
  try {
    TRegistry reg(KEY_ALL_ACCESS, TRegView::Bit64);  // the real path reaches either view
    reg.SetRootKey(root);
    if (!reg.OpenKey("\\" + keyPath, false)) return false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (ReadRegValue(reg.CurrentKey(), name, type, data) != ERROR_SUCCESS) return false;
    TUndoWriter undo;
    const wchar_t* rootName =
        root == HKEY_CURRENT_USER ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE";
    const std::string file = UndoCapture::AddValueBefore(undo, root, rootName, WideFrom(keyPath),
                                                         name, RegViewFlag(TRegView::Bit64))
                                 ? SaveUndoFile(undo, "Startup", undoFolder)
                                 : std::string();
    if (file.empty()) {
      if (undoFailed) *undoFailed = true;
      return false;
    }
    if (RegDeleteValueW(reg.CurrentKey(), name.c_str()) == ERROR_SUCCESS) return true;
    DeleteFileW(WideFrom(file).c_str());  // nothing was changed that it could undo
    return false;
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

bool DeleteStartupFolderEntry(const std::wstring& folder, const std::wstring& name,
                              bool* undoFailed, const std::string& undoFolder) {
  // Without a resolved folder the path would fall back to the root of the current drive; a name
  // that is more than one entry's name would reach past the folder or match other entries.
  if (folder.empty() || name.empty() || name == L"." || name == L".." ||
      name.find_first_of(L"\\/:*?") != std::wstring::npos)
    return false;
  const std::wstring path = IncludeTrailingBackslash(folder) + name;
  WIN32_FIND_DATAW fd;
  TFindHandle find(FindFirstFileW(path.c_str(), &fd));
  if (!find) return false;
  const bool link = IsLinkEntry(path, fd.dwFileAttributes);
  if (!link && (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;  // sub-folders stay
  find.reset();
  // Moved aside rather than deleted, so that it can be put back. A link moves as a link and only
  // by a rename: a copy to another drive would copy what it points to, and under Wine a file call
  // on a link moves what it points to instead.
  const std::wstring aside = WideFrom(MakeUndoSubfolder("Startup", undoFolder));
  if (!aside.empty() &&
      (link ? MoveLinkEntry(path, fd.dwFileAttributes, aside + name)
            : MoveFileExW(path.c_str(), (aside + name).c_str(), MOVEFILE_COPY_ALLOWED) != FALSE))
    return true;
  if (!aside.empty()) RemoveDirectoryW(aside.c_str());
  if (undoFailed) *undoFailed = true;
  return false;
}

bool DeleteStartupFolderEntry(const std::string& folder, const std::string& name, bool* undoFailed,
                              const std::string& undoFolder) {
  return DeleteStartupFolderEntry(WideFrom(folder), WideFrom(name), undoFailed, undoFolder);
}

bool DeleteStartupEntry(const std::wstring& name, const std::wstring& location, bool* undoFailed,
                        const std::string& undoFolder) {
  const std::wstring code = StartupLocationCode(location);
  if (code == WideFrom(kStartupFolderCode))
    return DeleteStartupFolderEntry(GetSpecialFolderW(kCsidlStartup), name, undoFailed, undoFolder);
  // The location names the key, and so the view: a value of the same name in the other view is
  // another entry, which stays.
  for (const TStartupSource& source : StartupRegistrySources())
    for (TRegView view : StartupViews(source))
      if (code == WideFrom(source.Code) && location == WideFrom(StartupLocation(source, view)))
        return DeleteRegistryValue(source.Root, KeyPathIn(source, view), name, undoFailed,
                                   undoFolder);
  return false;
}

bool DeleteStartupEntry(const std::string& name, const std::string& location, bool* undoFailed,
                        const std::string& undoFolder) {
  return DeleteStartupEntry(WideFrom(name), WideFrom(location), undoFailed, undoFolder);
}
