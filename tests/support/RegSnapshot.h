// Writing raw registry values and taking a subtree's exact state, for tests that change the
// registry and put it back.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace reg_test {

// Creates root\path (wide, below the root) and sets one value; the data are the bytes of `text`
// stored as UTF-16 with its NUL.
inline void PutValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
                     const std::wstring& text) {
  HKEY key = nullptr;
  RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                 (DWORD)((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

inline void PutRaw(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
                   const std::vector<BYTE>& data) {
  HKEY key = nullptr;
  RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExW(key, name.c_str(), 0, type, data.data(), (DWORD)data.size());
  RegCloseKey(key);
}

inline void PutDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD v) {
  PutRaw(root, path, name, REG_DWORD,
         std::vector<BYTE>(reinterpret_cast<BYTE*>(&v), reinterpret_cast<BYTE*>(&v) + sizeof v));
}

inline bool ValueThere(HKEY root, const std::wstring& path, const std::wstring& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const bool there =
      RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return there;
}

// Every key below root\path, each with its values: key path -> (value name -> (type, bytes)).
// A key with no values is there with an empty map; a missing root\path gives nothing.
using TValues = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;
using TTreeState = std::map<std::wstring, TValues>;
inline void TakeTree(HKEY root, const std::wstring& path, TTreeState& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  TValues& values = out[path];
  wchar_t name[512];
  std::vector<BYTE> data(65536);
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = 512, dataLen = (DWORD)data.size(), type = 0;
    if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data.data(), &dataLen) !=
        ERROR_SUCCESS)
      break;
    values[std::wstring(name, nameLen)] = {type,
                                           std::vector<BYTE>(data.begin(), data.begin() + dataLen)};
  }
  std::vector<std::wstring> subs;
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = 512;
    if (RegEnumKeyExW(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    subs.emplace_back(name, nameLen);
  }
  RegCloseKey(key);
  for (const auto& s : subs) TakeTree(root, path + L"\\" + s, out);
}
inline TTreeState Tree(HKEY root, const std::wstring& path) {
  TTreeState state;
  TakeTree(root, path, state);
  return state;
}

}  // namespace reg_test
