#include "browser/RegNames.h"

#include "system/RegNameEnum.h"
#include "system/Text.h"

namespace {

TRegName Narrow(const std::wstring& wide) {
  TRegName r;
  r.Wide = wide;
  if (wide.empty()) {
    r.Exact = true;
    return r;
  }
  r.Exact = true;
  r.Name = NarrowFrom(wide, &r.Exact);
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
