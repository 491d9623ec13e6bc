#include "browser/RegNames.h"

#include "system/RegNameEnum.h"
#include "system/SysUtils.h"

std::vector<std::wstring> ListSubKeyNames(HKEY key) {
  DWORD maxLen = 0;
  if (!key || RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  return WideSubKeyNames(key, maxLen);
}

std::vector<std::wstring> ListValueNames(HKEY key) {
  DWORD maxLen = 0;
  if (!key || RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &maxLen, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  return WideValueNames(key, maxLen);
}

const std::wstring* FindExactName(const std::vector<std::wstring>& names,
                                  const std::wstring& name) {
  for (const std::wstring& n : names)
    if (n == name) return &n;
  for (const std::wstring& n : names)
    if (SameText(n, name)) return &n;
  return nullptr;
}
