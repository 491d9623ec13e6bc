#include "browser/RegNames.h"

#include "system/RegNameEnum.h"

namespace {

TRegName Narrow(const std::wstring& wide) {
  TRegName r;
  r.Wide = wide;
  if (wide.empty()) {
    r.Exact = true;
    return r;
  }
  const int n =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
  r.Name.assign(n > 0 ? n : 0, '\0');
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), r.Name.data(), n, nullptr,
                      &usedDefault);
  // A best-fit mapping uses no default character but does not come back either.
  const int m = MultiByteToWideChar(CP_ACP, 0, r.Name.data(), (int)r.Name.size(), nullptr, 0);
  std::wstring back(m > 0 ? m : 0, L'\0');
  MultiByteToWideChar(CP_ACP, 0, r.Name.data(), (int)r.Name.size(), back.data(), m);
  r.Exact = !usedDefault && back == wide;
  return r;
}

std::vector<TRegName> NarrowAll(const std::vector<std::wstring>& wide) {
  std::vector<TRegName> names;
  names.reserve(wide.size());
  for (const std::wstring& w : wide) names.push_back(Narrow(w));
  return names;
}

}  // namespace

std::vector<TRegName> ListSubKeyNames(HKEY key) {
  DWORD maxLen = 0;
  if (!key || RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  return NarrowAll(WideSubKeyNames(key, maxLen));
}

std::vector<TRegName> ListValueNames(HKEY key) {
  DWORD maxLen = 0;
  if (!key || RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &maxLen, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  return NarrowAll(WideValueNames(key, maxLen));
}

const TRegName* FindExactName(const std::vector<TRegName>& names, const std::string& name) {
  for (const TRegName& n : names)
    if (n.Exact && n.Name == name) return &n;
  for (const TRegName& n : names)
    if (n.Exact && lstrcmpiA(n.Name.c_str(), name.c_str()) == 0) return &n;
  return nullptr;
}
