#include "system/RegistryTree.h"

#include <vector>

#include "system/DllFunction.h"
#include "system/Handles.h"
#include "system/RegNameEnum.h"
#include "system/RegValue.h"
#include "system/Text.h"

namespace {

// Names of the direct subkeys, taken before anything below is changed.
bool SubKeyNames(HKEY key, std::vector<std::wstring>& names) {
  DWORD maxLen = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  bool complete = false;
  names = WideSubKeyNames(key, maxLen, &complete);
  return complete;
}

// A registry link (REG_OPTION_CREATE_LINK) carries its target in this value; opened with
// REG_OPTION_OPEN_LINK the handle is the link itself, not what it points to.
bool IsLinkKey(HKEY key) {
  DWORD type = REG_NONE;
  return RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
             ERROR_SUCCESS &&
         type == REG_LINK;
}

// Deletes the key behind an open handle: the handle names exactly what was opened, a link as a
// link. RegDeleteKey would open the name again and follow a link to delete its target.
bool DeleteOpenKey(HKEY key, HKEY base, const std::wstring& sub) {
  using TNtDeleteKey = LONG WINAPI(HANDLE);
  static const auto ntDeleteKey = DllFunction<TNtDeleteKey>("ntdll.dll", "NtDeleteKey");
  if (ntDeleteKey) return ntDeleteKey(key) >= 0;
  return RegDeleteKeyW(base, sub.c_str()) == ERROR_SUCCESS;  // systems without links
}

// Windows XP's RegDeleteKey refuses keys that still have subkeys, so children go first. A link
// is never descended into.
bool DeleteTreeW(HKEY base, const std::wstring& sub, REGSAM view) {
  TKeyHandle key;
  if (RegOpenKeyExW(base, sub.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | DELETE | view, key.out()) !=
      ERROR_SUCCESS)
    return false;
  bool ok = true;
  if (!IsLinkKey(key.get())) {
    std::vector<std::wstring> children;
    ok = SubKeyNames(key.get(), children);
    for (const auto& child : children) ok = DeleteTreeW(key.get(), child, view) && ok;
  }
  return DeleteOpenKey(key.get(), base, sub) && ok;
}

bool CopyValues(HKEY src, HKEY dst) {
  return ForEachRegValue(
      src, [dst](const std::wstring& name, DWORD type, const BYTE* data, DWORD size) {
        return RegSetValueExW(dst, name.c_str(), 0, type, data, size) == ERROR_SUCCESS;
      });
}

bool CopyContents(HKEY src, HKEY dst, REGSAM view) {
  if (!CopyValues(src, dst)) return false;
  std::vector<std::wstring> children;
  if (!SubKeyNames(src, children)) return false;
  for (const auto& child : children) {
    TKeyHandle from, to;
    if (RegOpenKeyExW(src, child.c_str(), 0, KEY_READ | view, from.out()) != ERROR_SUCCESS ||
        RegCreateKeyExW(dst, child.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS | view, nullptr, to.out(), nullptr) != ERROR_SUCCESS ||
        !CopyContents(from.get(), to.get(), view))
      return false;
  }
  return true;
}

}  // namespace

namespace RegistryTree {

bool DeleteTree(HKEY base, const std::string& sub, REGSAM view) {
  return !sub.empty() && DeleteTreeW(base, WideFrom(sub), view);
}

bool DeleteTree(HKEY base, const std::wstring& sub, REGSAM view) {
  return !sub.empty() && DeleteTreeW(base, sub, view);
}

bool CopyTree(HKEY srcBase, const std::string& srcSub, HKEY dstBase, const std::string& dstSub,
              REGSAM view) {
  const std::wstring from = WideFrom(srcSub), to = WideFrom(dstSub);
  TKeyHandle src, dst;
  if (RegOpenKeyExW(srcBase, from.c_str(), 0, KEY_READ | view, src.out()) != ERROR_SUCCESS)
    return false;
  DWORD disposition = 0;
  if (RegCreateKeyExW(dstBase, to.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS | view, nullptr, dst.out(), &disposition) != ERROR_SUCCESS)
    return false;
  if (disposition != REG_CREATED_NEW_KEY) return false;  // appeared meanwhile: not ours to fill
  const bool ok = CopyContents(src.get(), dst.get(), view);
  dst.reset();  // closed before the half copy is taken back
  if (!ok) DeleteTreeW(dstBase, to, view);
  return ok;
}

}  // namespace RegistryTree
