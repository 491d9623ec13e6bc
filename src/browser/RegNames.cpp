#include "browser/RegNames.h"

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

template <typename Enum>
std::vector<TRegName> ListNames(DWORD maxLen, Enum enumerate) {
  std::vector<TRegName> names;
  std::vector<wchar_t> buf(maxLen + 1);
  for (DWORD i = 0;;) {
    DWORD len = static_cast<DWORD>(buf.size());
    const LONG r = enumerate(i, buf.data(), &len);
    if (r == ERROR_MORE_DATA) {
      buf.resize(buf.size() * 2 + 256);
      continue;
    }
    if (r != ERROR_SUCCESS) break;
    names.push_back(Narrow(std::wstring(buf.data(), len)));
    ++i;
  }
  return names;
}

}  // namespace

std::vector<TRegName> ListSubKeyNames(HKEY key) {
  DWORD maxLen = 0;
  if (!key || RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  return ListNames(maxLen, [key](DWORD i, wchar_t* name, DWORD* len) {
    return RegEnumKeyExW(key, i, name, len, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<TRegName> ListValueNames(HKEY key) {
  DWORD maxLen = 0;
  if (!key || RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &maxLen, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  return ListNames(maxLen, [key](DWORD i, wchar_t* name, DWORD* len) {
    return RegEnumValueW(key, i, name, len, nullptr, nullptr, nullptr, nullptr);
  });
}

const TRegName* FindExactName(const std::vector<TRegName>& names, const std::string& name) {
  for (const TRegName& n : names)
    if (n.Exact && n.Name == name) return &n;
  for (const TRegName& n : names)
    if (n.Exact && lstrcmpiA(n.Name.c_str(), name.c_str()) == 0) return &n;
  return nullptr;
}
