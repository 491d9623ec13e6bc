#include "system/UndoCapture.h"

#include <vector>

#include "system/Handles.h"
#include "system/RegNameEnum.h"
#include "system/RegValue.h"

namespace {

bool IsLinkKey(HKEY key) {
  DWORD type = REG_NONE;
  return RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
             ERROR_SUCCESS &&
         type == REG_LINK;
}

bool KeySizes(HKEY key, DWORD& maxSub, DWORD& maxName, DWORD& maxData) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxSub, nullptr, nullptr,
                          &maxName, &maxData, nullptr, nullptr) == ERROR_SUCCESS;
}

// Appends every value of `key`; false when one cannot be read or carried.
bool AddValuesOf(TUndoWriter& undo, HKEY key) {
  return ForEachRegValue(
      key, [&undo](const std::wstring& name, DWORD type, const BYTE* data, DWORD size) {
        return undo.AddValue(name, type, data, size);
      });
}

bool AddTree(TUndoWriter& undo, HKEY base, const std::wstring& sub, const std::wstring& fullName,
             REGSAM view) {
  TKeyHandle key;
  // Opened as a link: a link cannot be made again by an import, so it stops the change.
  if (RegOpenKeyExW(base, sub.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | view, key.out()) !=
          ERROR_SUCCESS ||
      IsLinkKey(key.get()))
    return false;
  // A key with no values still gets its section, so that an import makes it again.
  if (!undo.AddKey(fullName) || !AddValuesOf(undo, key.get())) return false;
  DWORD maxSub = 0, maxName = 0, maxData = 0;
  if (!KeySizes(key.get(), maxSub, maxName, maxData)) return false;
  bool complete = false;
  const std::vector<std::wstring> children = WideSubKeyNames(key.get(), maxSub, &complete);
  if (!complete) return false;
  for (const std::wstring& child : children)
    if (!AddTree(undo, key.get(), child, fullName + L"\\" + child, view)) return false;
  return true;
}

}  // namespace

namespace UndoCapture {

bool AddKeyTree(TUndoWriter& undo, HKEY base, const std::wstring& sub, const std::wstring& fullName,
                REGSAM view) {
  return AddTree(undo, base, sub, fullName, view);
}

bool AddValueBefore(TUndoWriter& undo, HKEY root, const std::wstring& rootName,
                    const std::wstring& path, const std::wstring& name, REGSAM view) {
  const std::wstring fullName = path.empty() ? rootName : rootName + L"\\" + path;
  TKeyHandle key;
  LONG r = RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, key.out());
  if (r == ERROR_FILE_NOT_FOUND) {
    // The change creates the key: the first missing one on the way goes again with all below it.
    std::wstring::size_type end = 0;
    for (;;) {
      end = path.find(L'\\', end + 1);
      const std::wstring part = path.substr(0, end);
      TKeyHandle probe;
      if (RegOpenKeyExW(root, part.c_str(), 0, KEY_QUERY_VALUE | view, probe.out()) ==
          ERROR_FILE_NOT_FOUND)
        return undo.AddKeyRemoval(rootName + L"\\" + part);
      if (end == std::wstring::npos) return false;
    }
  }
  if (r != ERROR_SUCCESS) return false;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  r = ReadRegValue(key.get(), name, type, data);
  if (r == ERROR_FILE_NOT_FOUND) return undo.AddKey(fullName) && undo.AddValueRemoval(name);
  return r == ERROR_SUCCESS && undo.AddKey(fullName) &&
         undo.AddValue(name, type, data.data(), data.size());
}

}  // namespace UndoCapture
