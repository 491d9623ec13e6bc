#include "browser/IESweeper.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "browser/RegNames.h"
#include "system/DllFunction.h"
#include "system/Handles.h"
#include "system/Text.h"
#include "system/UndoCapture.h"

namespace {
const char kMenuExtKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\MenuExt";
const char kToolbarKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
const char kExtensionsKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

// A name from the registry becomes part of a key path: it must stay one key below its parent.
bool IsSingleKeyName(const std::string& name) {
  return !name.empty() && name.find('\\') == std::string::npos;
}

// The key's default value when it is text; "" otherwise.
std::string ReadDefaultText(HKEY key) {
  DWORD type = REG_NONE, size = 0;
  if (RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return "";
  std::string text(size + 1, '\0');
  DWORD got = size;
  if (RegQueryValueExA(key, nullptr, nullptr, &type, (BYTE*)text.data(), &got) != ERROR_SUCCESS)
    return "";
  text.resize(std::min<size_t>(got, size));
  return text.substr(0, text.find('\0'));
}
}  // namespace

TIESweeper::TIESweeper() : reg_(KEY_ALL_ACCESS) {}

TIESweeper::~TIESweeper() = default;

bool TIESweeper::OpenInView(HKEY root, const std::string& path) {
  reg_.SetView(view_);
  reg_.SetRootKey(root);
  return reg_.OpenKey(path, false);
}

bool TIESweeper::DeleteMenuExt(const std::string& keyName) {
  reg_.SetView(TRegView::Own);  // the user's keys are the same in both views
  reg_.SetRootKey(HKEY_CURRENT_USER);
  if (!reg_.OpenKey(kMenuExtKey, false)) return false;
  if (!FindExactName(ListSubKeyNames(reg_.CurrentKey()), keyName)) return false;
  return reg_.DeleteKey(keyName);
}

bool TIESweeper::DeleteToolbar(const std::string& valueName) {
  if (!OpenInView(HKEY_LOCAL_MACHINE, kToolbarKey)) return false;
  if (!FindExactName(ListValueNames(reg_.CurrentKey()), valueName)) return false;
  return reg_.DeleteValue(valueName);
}

bool TIESweeper::DeleteExtension(const std::string& keyName) {
  if (!OpenInView(HKEY_LOCAL_MACHINE, kExtensionsKey)) return false;
  if (!FindExactName(ListSubKeyNames(reg_.CurrentKey()), keyName)) return false;
  return reg_.DeleteKey(keyName);
}

bool TIESweeper::AddMenuExtToUndo(TUndoWriter& undo, const std::string& keyName) {
  reg_.SetView(TRegView::Own);  // the user's keys are the same in both views
  reg_.SetRootKey(HKEY_CURRENT_USER);
  if (!reg_.OpenKey(kMenuExtKey, false)) return true;
  const std::vector<TRegName> names = ListSubKeyNames(reg_.CurrentKey());
  const TRegName* name = FindExactName(names, keyName);
  if (!name) return true;  // nothing there to delete
  const std::wstring path = WideFrom(kMenuExtKey) + L"\\" + name->Wide;
  return UndoCapture::AddKeyTree(undo, HKEY_CURRENT_USER, path, L"HKEY_CURRENT_USER\\" + path);
}

bool TIESweeper::AddToolbarToUndo(TUndoWriter& undo, const std::string& classId, bool withClass) {
  // Kept by real path, in the view the row came from.
  const REGSAM real = RegViewFlag(TRegView::Bit64);
  std::wstring wide;
  if (OpenInView(HKEY_LOCAL_MACHINE, kToolbarKey)) {
    const std::vector<TRegName> names = ListValueNames(reg_.CurrentKey());
    if (const TRegName* name = FindExactName(names, classId)) {
      wide = name->Wide;
      if (!UndoCapture::AddValueBefore(undo, HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE",
                                       WideFrom(ViewKeyPath(view_, kToolbarKey)), wide, real))
        return false;
    }
  }
  if (!withClass) return true;
  if (wide.empty()) wide = WideFrom(classId);
  // The class is registered for all users, or for one user over that.
  const std::wstring machineKey =
      WideFrom(ViewKeyPath(view_, "Software\\Classes\\CLSID")) + L"\\" + wide;
  const std::wstring userKey = L"Software\\Classes\\CLSID\\" + wide;
  const std::tuple<HKEY, const wchar_t*, std::wstring> places[] = {
      {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", machineKey},
      {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", userKey}};
  for (const auto& [root, rootName, key] : places) {
    TKeyHandle there;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | real, there.out()) != ERROR_SUCCESS)
      continue;
    if (!UndoCapture::AddKeyTree(undo, root, key, std::wstring(rootName) + L"\\" + key, real))
      return false;
  }
  return true;
}

int TIESweeper::AddFileIcon(const std::string& path, HIMAGELIST images, int replaceIndex) {
  return AddIcon(path, 0, images, replaceIndex);
}

int TIESweeper::AddIconFromSpec(const std::vector<std::string>& lines, HIMAGELIST images,
                                int replaceIndex) {
  if (lines.size() < 2) return AddFileIcon(lines.empty() ? "" : lines[0], images, replaceIndex);
  char* end = nullptr;
  const long n = std::strtol(lines[1].c_str(), &end, 10);
  const bool number = !lines[1].empty() && end && *end == '\0' && n >= 0 && n <= 0xFFFF;
  return AddIcon(lines[0], number ? (WORD)n : 0, images, replaceIndex);
}

int TIESweeper::AddIcon(const std::string& path, WORD index, HIMAGELIST images, int replaceIndex) {
  if (!images) return -1;
  // The shell writes the icon's file into the buffer: give it room for any path.
  std::vector<char> file(path.size() + MAX_PATH + 1, '\0');
  path.copy(file.data(), path.size());
  const auto extract =
      DllFunction<decltype(::ExtractAssociatedIconA)>("shell32.dll", "ExtractAssociatedIconA");
  // The image list keeps its own copy; ours goes on the way out.
  const TIconHandle icon(extract ? extract(GetModuleHandleA(nullptr), file.data(), &index)
                                 : nullptr);
  if (!icon) return -1;
  if (replaceIndex >= 0 && replaceIndex < ImageList_GetImageCount(images))
    return ImageList_ReplaceIcon(images, replaceIndex, icon.get());
  return ImageList_AddIcon(images, icon.get());
}

std::string TIESweeper::ReadText(const std::string& valueName) {
  try {
    return reg_.ReadString(valueName);
  } catch (const ERegistryError&) {
    return "";  // not text
  }
}

bool TIESweeper::OpenClassKey(const std::string& classId) {
  if (!IsSingleKeyName(classId) || !OpenInView(HKEY_CLASSES_ROOT, "\\CLSID")) return false;
  return reg_.KeyExists(classId) && reg_.OpenKey(classId, false);
}

std::string TIESweeper::ReadClassName(const std::string& classId) {
  return OpenClassKey(classId) ? ReadText("") : "";
}

std::string TIESweeper::ReadServerPath(const std::string& classId) {
  if (!OpenClassKey(classId) || !reg_.KeyExists("InprocServer32") ||
      !reg_.OpenKey("InprocServer32", false))
    return "";
  const bool expand = reg_.ValueType("") == REG_EXPAND_SZ;
  const std::string path = ReadText("");
  if (!expand || path.empty()) return path;
  std::vector<char> buf(path.size() + MAX_PATH);
  for (;;) {
    const DWORD n = ExpandEnvironmentStringsA(path.c_str(), buf.data(), (DWORD)buf.size());
    if (n == 0) return "";
    if (n <= buf.size()) return std::string(buf.data());
    buf.resize(n);
  }
}

bool TIESweeper::OpenExtensionKey(const std::string& keyName) {
  return IsSingleKeyName(keyName) && OpenInView(HKEY_LOCAL_MACHINE, kExtensionsKey) &&
         reg_.KeyExists(keyName) && reg_.OpenKey(keyName, false);
}

std::string TIESweeper::ReadHotIcon(const std::string& keyName) {
  if (!OpenExtensionKey(keyName) || !reg_.ValueExists("HotIcon")) return "";
  return ReadText("HotIcon");
}

std::string TIESweeper::ReadButtonText(const std::string& keyName) {
  if (!OpenExtensionKey(keyName)) return "";
  if (reg_.ValueExists("ButtonText")) return ReadText("ButtonText");
  if (reg_.ValueExists("MenuText")) return ReadText("MenuText");
  return "";
}

void TIESweeper::EnumMenuExt() {
  reg_.SetView(TRegView::Own);
  reg_.SetRootKey(HKEY_CURRENT_USER);
  if (!reg_.OpenKey(kMenuExtKey, false)) return;
  const std::vector<TRegName> names = ListSubKeyNames(reg_.CurrentKey());
  for (const TRegName& name : names) {
    reg_.SetView(TRegView::Own);
    reg_.SetRootKey(HKEY_CURRENT_USER);
    std::string text;
    // Opened by its real name: the shown one may stand for another key, or none.
    TKeyHandle sub;
    if (reg_.OpenKey(kMenuExtKey, false) && RegOpenKeyExW(reg_.CurrentKey(), name.Wide.c_str(), 0,
                                                          KEY_READ, sub.out()) == ERROR_SUCCESS)
      text = ReadDefaultText(sub.get());
    reg_.CloseKey();
    if (OnMenuExt) OnMenuExt(this, name.Name, text, name.Exact);
  }
}

void TIESweeper::EnumToolbar() {
  for (TRegView view : MachineViews()) {
    view_ = view;
    if (!OpenInView(HKEY_LOCAL_MACHINE, kToolbarKey)) continue;
    const std::vector<TRegName> names = ListValueNames(reg_.CurrentKey());
    for (const TRegName& name : names) {
      view_ = view;  // a handler may have looked elsewhere
      if (OnToolbar) OnToolbar(this, name.Name, name.Exact);
    }
  }
}

void TIESweeper::EnumExtensions() {
  for (TRegView view : MachineViews()) {
    view_ = view;
    if (!OpenInView(HKEY_LOCAL_MACHINE, kExtensionsKey)) continue;
    const std::vector<TRegName> names = ListSubKeyNames(reg_.CurrentKey());
    for (const TRegName& name : names) {
      view_ = view;
      if (OnExtension) OnExtension(this, name.Name, name.Exact);
    }
  }
}
