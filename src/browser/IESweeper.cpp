#include "browser/IESweeper.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <tuple>

#include "browser/RegNames.h"
#include "system/DllFunction.h"
#include "system/Handles.h"
#include "system/RegValue.h"
#include "system/RegistryTree.h"
#include "system/Text.h"
#include "system/UndoCapture.h"

namespace {
const char kMenuExtKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\MenuExt";
const char kToolbarKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
const char kExtensionsKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

// A name from the registry becomes part of a key path: it must stay one key below its parent.
bool IsSingleKeyName(const std::wstring& name) {
  return !name.empty() && name.find(L'\\') == std::wstring::npos;
}

// The value's text when it is REG_SZ or REG_EXPAND_SZ (unexpanded); "" otherwise. `type` gets
// the value's type.
std::wstring ReadText(HKEY key, const wchar_t* name, DWORD* type = nullptr) {
  DWORD t = REG_NONE;
  std::vector<BYTE> data;
  if (type) *type = REG_NONE;
  if (ReadRegValue(key, name ? name : L"", t, data) != ERROR_SUCCESS ||
      (t != REG_SZ && t != REG_EXPAND_SZ))
    return L"";
  if (type) *type = t;
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  return text.substr(0, text.find(L'\0'));
}

bool HasValue(HKEY key, const wchar_t* name) {
  return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}
}  // namespace

TIESweeper::TIESweeper() : reg_(KEY_ALL_ACCESS) {}

TIESweeper::~TIESweeper() = default;

bool TIESweeper::OpenInView(HKEY root, const std::string& path) {
  reg_.SetView(view_);
  reg_.SetRootKey(root);
  return reg_.OpenKey(path, false);
}

bool TIESweeper::DeleteMenuExt(const std::wstring& keyName) {
  reg_.SetView(TRegView::Own);  // the user's keys are the same in both views
  reg_.SetRootKey(HKEY_CURRENT_USER);
  if (!reg_.OpenKey(kMenuExtKey, false)) return false;
  const std::vector<std::wstring> names = ListSubKeyNames(reg_.CurrentKey());
  const std::wstring* listed = FindExactName(names, keyName);
  return listed && IsSingleKeyName(*listed) && RegistryTree::DeleteTree(reg_.CurrentKey(), *listed);
}

bool TIESweeper::DeleteToolbar(const std::wstring& valueName) {
  if (!OpenInView(HKEY_LOCAL_MACHINE, kToolbarKey)) return false;
  const std::vector<std::wstring> names = ListValueNames(reg_.CurrentKey());
  const std::wstring* listed = FindExactName(names, valueName);
  return listed && RegDeleteValueW(reg_.CurrentKey(), listed->c_str()) == ERROR_SUCCESS;
}

bool TIESweeper::DeleteExtension(const std::wstring& keyName) {
  if (!OpenInView(HKEY_LOCAL_MACHINE, kExtensionsKey)) return false;
  const std::vector<std::wstring> names = ListSubKeyNames(reg_.CurrentKey());
  const std::wstring* listed = FindExactName(names, keyName);
  return listed && IsSingleKeyName(*listed) && RegistryTree::DeleteTree(reg_.CurrentKey(), *listed);
}

bool TIESweeper::AddMenuExtToUndo(TUndoWriter& undo, const std::wstring& keyName) {
  reg_.SetView(TRegView::Own);  // the user's keys are the same in both views
  reg_.SetRootKey(HKEY_CURRENT_USER);
  if (!reg_.OpenKey(kMenuExtKey, false)) return true;
  const std::vector<std::wstring> names = ListSubKeyNames(reg_.CurrentKey());
  const std::wstring* listed = FindExactName(names, keyName);
  if (!listed || !IsSingleKeyName(*listed)) return true;  // nothing there to delete
  const std::wstring path = WideFrom(kMenuExtKey) + L"\\" + *listed;
  return UndoCapture::AddKeyTree(undo, HKEY_CURRENT_USER, path, L"HKEY_CURRENT_USER\\" + path);
}

bool TIESweeper::AddToolbarToUndo(TUndoWriter& undo, const std::wstring& classId,
                                  bool withClass) {
  // Kept by real path, in the view the row came from.
  const REGSAM real = RegViewFlag(TRegView::Bit64);
  std::wstring wide;
  if (OpenInView(HKEY_LOCAL_MACHINE, kToolbarKey)) {
    const std::vector<std::wstring> names = ListValueNames(reg_.CurrentKey());
    if (const std::wstring* listed = FindExactName(names, classId)) {
      wide = *listed;
      if (!UndoCapture::AddValueBefore(undo, HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE",
                                       WideFrom(ViewKeyPath(view_, kToolbarKey)), wide, real))
        return false;
    }
  }
  if (!withClass) return true;
  if (wide.empty()) wide = classId;
  if (!IsSingleKeyName(wide)) return false;
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

int TIESweeper::AddFileIcon(const std::wstring& path, HIMAGELIST images, int replaceIndex) {
  return AddIcon(path, 0, images, replaceIndex);
}

int TIESweeper::AddIconFromSpec(const std::vector<std::wstring>& lines, HIMAGELIST images,
                                int replaceIndex) {
  if (lines.size() < 2) return AddFileIcon(lines.empty() ? L"" : lines[0], images, replaceIndex);
  wchar_t* end = nullptr;
  const long n = std::wcstol(lines[1].c_str(), &end, 10);
  const bool number = !lines[1].empty() && end && *end == L'\0' && n >= 0 && n <= 0xFFFF;
  return AddIcon(lines[0], number ? (WORD)n : 0, images, replaceIndex);
}

int TIESweeper::AddIcon(const std::wstring& path, WORD index, HIMAGELIST images, int replaceIndex) {
  if (!images) return -1;
  // The shell writes the icon's file into the buffer: give it room for any path.
  std::vector<wchar_t> file(path.size() + MAX_PATH + 1, L'\0');
  path.copy(file.data(), path.size());
  const auto extract =
      DllFunction<decltype(::ExtractAssociatedIconW)>("shell32.dll", "ExtractAssociatedIconW");
  // The image list keeps its own copy; ours goes on the way out.
  const TIconHandle icon(extract ? extract(GetModuleHandleW(nullptr), file.data(), &index)
                                 : nullptr);
  if (!icon) return -1;
  if (replaceIndex >= 0 && replaceIndex < ImageList_GetImageCount(images))
    return ImageList_ReplaceIcon(images, replaceIndex, icon.get());
  return ImageList_AddIcon(images, icon.get());
}

bool TIESweeper::OpenNamed(HKEY root, const char* parent, const std::wstring& name,
                           TKeyHandle& key) {
  // The machine's keys in the view of the row at hand; the user's are the same in both.
  const TRegView view = root == HKEY_CURRENT_USER ? TRegView::Own : view_;
  reg_.SetView(view);
  reg_.SetRootKey(root);
  return IsSingleKeyName(name) && reg_.OpenKeyReadOnly(parent) &&
         RegOpenKeyExW(reg_.CurrentKey(), name.c_str(), 0, KEY_READ | RegViewFlag(view),
                       key.out()) == ERROR_SUCCESS;
}

std::wstring TIESweeper::ReadClassName(const std::wstring& classId) {
  TKeyHandle key;
  return OpenNamed(HKEY_CLASSES_ROOT, "\\CLSID", classId, key) ? ReadText(key.get(), nullptr) : L"";
}

std::wstring TIESweeper::ReadServerPath(const std::wstring& classId) {
  TKeyHandle key, server;
  if (!OpenNamed(HKEY_CLASSES_ROOT, "\\CLSID", classId, key) ||
      RegOpenKeyExW(key.get(), L"InprocServer32", 0, KEY_READ, server.out()) != ERROR_SUCCESS)
    return L"";
  DWORD type = REG_NONE;
  const std::wstring path = ReadText(server.get(), nullptr, &type);
  if (type != REG_EXPAND_SZ || path.empty()) return path;
  std::vector<wchar_t> buf(path.size() + MAX_PATH);
  for (;;) {
    const DWORD n = ExpandEnvironmentStringsW(path.c_str(), buf.data(), (DWORD)buf.size());
    if (n == 0) return L"";
    if (n <= buf.size()) return std::wstring(buf.data());
    buf.resize(n);
  }
}

std::wstring TIESweeper::ReadHotIcon(const std::wstring& keyName) {
  TKeyHandle key;
  if (!OpenNamed(HKEY_LOCAL_MACHINE, kExtensionsKey, keyName, key)) return L"";
  return ReadText(key.get(), L"HotIcon");
}

std::wstring TIESweeper::ReadButtonText(const std::wstring& keyName) {
  TKeyHandle key;
  if (!OpenNamed(HKEY_LOCAL_MACHINE, kExtensionsKey, keyName, key)) return L"";
  if (HasValue(key.get(), L"ButtonText")) return ReadText(key.get(), L"ButtonText");
  if (HasValue(key.get(), L"MenuText")) return ReadText(key.get(), L"MenuText");
  return L"";
}

void TIESweeper::EnumMenuExt() {
  reg_.CloseKey();
  reg_.SetView(TRegView::Own);
  reg_.SetRootKey(HKEY_CURRENT_USER);
  if (!reg_.OpenKey(kMenuExtKey, false)) return;
  const std::vector<std::wstring> names = ListSubKeyNames(reg_.CurrentKey());
  for (const std::wstring& name : names) {
    TKeyHandle sub;
    // A key that cannot be opened (a link to nowhere) is listed without text.
    const std::wstring text =
        OpenNamed(HKEY_CURRENT_USER, kMenuExtKey, name, sub) ? ReadText(sub.get(), nullptr) : L"";
    reg_.CloseKey();
    if (OnMenuExt) OnMenuExt(this, name, text);
  }
}

void TIESweeper::EnumToolbar() {
  reg_.CloseKey();
  for (TRegView view : MachineViews()) {
    view_ = view;
    if (!OpenInView(HKEY_LOCAL_MACHINE, kToolbarKey)) continue;
    const std::vector<std::wstring> names = ListValueNames(reg_.CurrentKey());
    for (const std::wstring& name : names) {
      view_ = view;  // a handler may have looked elsewhere
      if (OnToolbar) OnToolbar(this, name);
    }
  }
}

void TIESweeper::EnumExtensions() {
  reg_.CloseKey();
  for (TRegView view : MachineViews()) {
    view_ = view;
    if (!OpenInView(HKEY_LOCAL_MACHINE, kExtensionsKey)) continue;
    const std::vector<std::wstring> names = ListSubKeyNames(reg_.CurrentKey());
    for (const std::wstring& name : names) {
      view_ = view;
      if (OnExtension) OnExtension(this, name);
    }
  }
}
