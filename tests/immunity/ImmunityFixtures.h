// Registry helpers for the immunisation tests, written straight against the Win32 API so that
// they do not lean on the code under test: a byte-exact picture of a key tree, and a guard that
// puts a set of real keys of the test prefix back exactly as it found them.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace immunity_test {

// Names and data as the registry holds them (UTF-16 names, raw data bytes).
struct TKeyDump {
  std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> Values;  // name -> (type, data)
  std::map<std::wstring, TKeyDump> Keys;
  bool operator==(const TKeyDump&) const = default;
};

// A key path below its root: no leading or trailing "\".
inline std::string Sub(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return !path.empty() && path[0] == '\\' ? path.substr(1) : path;
}

inline bool KeyExists(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, Sub(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

inline TKeyDump DumpOpenKey(HKEY key) {
  TKeyDump dump;
  wchar_t name[1024];
  std::vector<BYTE> data(1 << 16);
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = 1024, type = 0, size = (DWORD)data.size();
    if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
      break;
    dump.Values[std::wstring(name, nameLen)] = {type, {data.begin(), data.begin() + size}};
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = 1024;
    if (RegEnumKeyExW(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    HKEY sub;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
    dump.Keys[std::wstring(name, nameLen)] = DumpOpenKey(sub);
    RegCloseKey(sub);
  }
  return dump;
}

// An empty picture when the key does not open.
inline TKeyDump DumpKey(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, Sub(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  TKeyDump dump = DumpOpenKey(key);
  RegCloseKey(key);
  return dump;
}

inline void WriteOpenKey(HKEY key, const TKeyDump& dump) {
  for (const auto& [name, value] : dump.Values)
    RegSetValueExW(key, name.c_str(), 0, value.first, value.second.data(),
                   (DWORD)value.second.size());
  for (const auto& [name, sub] : dump.Keys) {
    HKEY child;
    if (RegCreateKeyExW(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child,
                        nullptr) != ERROR_SUCCESS)
      continue;
    WriteOpenKey(child, sub);
    RegCloseKey(child);
  }
}

inline void WriteDump(HKEY root, const std::string& path, const TKeyDump& dump) {
  HKEY key;
  if (RegCreateKeyExA(root, Sub(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  WriteOpenKey(key, dump);
  RegCloseKey(key);
}

inline void SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                     const std::vector<BYTE>& data) {
  HKEY key;
  if (RegCreateKeyExA(root, Sub(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  // The wide call stores the bytes exactly as given, whatever the type says.
  const std::wstring wide(name.begin(), name.end());  // ASCII names only
  RegSetValueExW(key, wide.c_str(), 0, type, data.data(), (DWORD)data.size());
  RegCloseKey(key);
}

inline void SetDword(HKEY root, const std::string& path, const std::string& name, DWORD v) {
  SetValue(root, path, name, REG_DWORD, {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)});
}

inline void CreateKey(HKEY root, const std::string& path) {
  SetValue(root, path, "", REG_NONE, {});
}

// -1 when the value is missing or not a DWORD.
inline long long ReadDword(HKEY root, const std::string& path, const std::string& name) {
  const TKeyDump d = DumpKey(root, path);
  auto it = d.Values.find(std::wstring(name.begin(), name.end()));  // ASCII names only
  if (it == d.Values.end() || it->second.first != REG_DWORD || it->second.second.size() != 4)
    return -1;
  const auto& b = it->second.second;
  return (long long)(b[0] | b[1] << 8 | b[2] << 16 | (DWORD)b[3] << 24);
}

// Saves the given keys at construction and restores them exactly at destruction: a key that
// existed gets its old tree back, a key that did not is removed from the topmost ancestor the
// test made.
class TRegistryRestorer {
 public:
  TRegistryRestorer(std::vector<std::pair<HKEY, std::string>> keys) {
    for (auto& [root, path] : keys) {
      TSaved s{root, Sub(path), KeyExists(root, path), {}};
      if (s.Existed) {
        s.Dump = DumpKey(root, s.Path);
      } else {
        // Remove from the first ancestor that is missing now.
        std::string p = s.Path;
        for (auto cut = p.rfind('\\'); cut != std::string::npos; cut = p.rfind('\\')) {
          if (KeyExists(root, p.substr(0, cut))) break;
          p.resize(cut);
        }
        s.Path = p;
      }
      saved_.push_back(std::move(s));
    }
  }
  ~TRegistryRestorer() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      SHDeleteKeyA(it->Root, it->Path.c_str());
      if (it->Existed) WriteDump(it->Root, it->Path, it->Dump);
    }
  }
  TRegistryRestorer(const TRegistryRestorer&) = delete;
  TRegistryRestorer& operator=(const TRegistryRestorer&) = delete;

 private:
  struct TSaved {
    HKEY Root;
    std::string Path;
    bool Existed;
    TKeyDump Dump;
  };
  std::vector<TSaved> saved_;
};

}  // namespace immunity_test
