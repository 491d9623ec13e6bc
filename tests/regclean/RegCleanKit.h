// Shared pieces of the registry cleaner tests: writing raw values, a registry subtree snapshot,
// and a sink that keeps what a walk reports.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "regclean/RegWalker.h"

namespace regclean_test {

inline std::wstring W(const std::string& s) {
  std::wstring w(s.size() * 2 + 1, L'\0');
  w.resize(MultiByteToWideChar(936, 0, s.data(), (int)s.size(), w.data(), (int)w.size()));
  return w;
}

// Creates root\path (wide, below the root) and sets one value; data are the bytes of `text`
// stored as UTF-16 with its NUL, unless `raw` is given.
inline void PutValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
                     const std::wstring& text) {
  HKEY key = nullptr;
  RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                 (DWORD)((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

inline void PutDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD v) {
  HKEY key = nullptr;
  RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  RegCloseKey(key);
}

inline bool ValueThere(HKEY root, const std::wstring& path, const std::wstring& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const bool there =
      RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return there;
}

// Every value below root\path: (key path, value name) -> (type, bytes).
using TSnapshot =
    std::map<std::pair<std::wstring, std::wstring>, std::pair<DWORD, std::vector<BYTE>>>;
inline void TakeSnapshot(HKEY root, const std::wstring& path, TSnapshot& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  wchar_t name[512];
  BYTE data[4096];
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = 512, dataLen = sizeof data, type = 0;
    if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS)
      break;
    out[{path, std::wstring(name, nameLen)}] = {type, std::vector<BYTE>(data, data + dataLen)};
  }
  std::vector<std::wstring> subs;
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = 512;
    if (RegEnumKeyExW(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    subs.emplace_back(name, nameLen);
  }
  RegCloseKey(key);
  for (const auto& s : subs) TakeSnapshot(root, path + L"\\" + s, out);
}

class TCollectSink : public IRegScanSink {
 public:
  void Analyzing(const std::wstring&) override { ++Examined; }
  bool Stopped() override { return false; }
  void AddHit(TRegHit&& hit) override { Hits.push_back(std::move(hit)); }
  // Hits whose key path (below the root) starts with `prefix`.
  std::vector<TRegHit> Below(HKEY root, const std::wstring& prefix) const {
    std::vector<TRegHit> out;
    for (const auto& h : Hits)
      if (h.Root == root && h.KeyPath.compare(0, prefix.size(), prefix) == 0) out.push_back(h);
    return out;
  }
  std::vector<TRegHit> Hits;
  int Examined = 0;
};

}  // namespace regclean_test
