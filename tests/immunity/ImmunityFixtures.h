// Registry helpers for the immunisation tests, straight on the Win32 API so they do not lean on
// the code under test: a byte-exact picture of a key tree (UTF-16 names, raw data), and a guard
// that puts real keys of the test prefix back exactly as it found them.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace immunity_test {

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

inline HKEY Open(HKEY root, const std::string& path, bool create = false) {
  HKEY key = nullptr;
  LONG r = create ? RegCreateKeyExA(root, Sub(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &key, nullptr)
                  : RegOpenKeyExA(root, Sub(path).c_str(), 0, KEY_READ, &key);
  return r == ERROR_SUCCESS ? key : nullptr;
}

inline bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = Open(root, path);
  if (key) RegCloseKey(key);
  return key != nullptr;
}

inline TKeyDump DumpOpenKey(HKEY key) {
  TKeyDump dump;
  wchar_t name[1024];
  std::vector<BYTE> data(1 << 16);
  DWORD n, type, size;
  for (DWORD i = 0; n = 1024, size = (DWORD)data.size(),
             RegEnumValueW(key, i, name, &n, nullptr, &type, data.data(), &size) == 0;
       ++i)
    dump.Values[name] = {type, {data.begin(), data.begin() + size}};
  for (DWORD i = 0; n = 1024, RegEnumKeyExW(key, i, name, &n, nullptr, nullptr, nullptr, 0) == 0;
       ++i) {
    HKEY sub;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) != 0) continue;
    dump.Keys[name] = DumpOpenKey(sub);
    RegCloseKey(sub);
  }
  return dump;
}

inline TKeyDump DumpKey(HKEY root, const std::string& path) {  // empty when it does not open
  HKEY key = Open(root, path);
  if (!key) return {};
  TKeyDump dump = DumpOpenKey(key);
  RegCloseKey(key);
  return dump;
}

inline void WriteOpenKey(HKEY key, const TKeyDump& dump) {
  for (const auto& [name, v] : dump.Values)
    RegSetValueExW(key, name.c_str(), 0, v.first, v.second.data(), (DWORD)v.second.size());
  for (const auto& [name, sub] : dump.Keys) {
    HKEY child;
    if (RegCreateKeyExW(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child,
                        nullptr) != 0)
      continue;
    WriteOpenKey(child, sub);
    RegCloseKey(child);
  }
}

// Stores the bytes exactly as given, whatever the type says (ASCII value names only).
inline void SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                     const std::vector<BYTE>& data) {
  HKEY key = Open(root, path, true);
  const std::wstring wide(name.begin(), name.end());
  RegSetValueExW(key, wide.c_str(), 0, type, data.data(), (DWORD)data.size());
  RegCloseKey(key);
}

inline void SetDword(HKEY root, const std::string& path, const std::string& name, DWORD v) {
  SetValue(root, path, name, REG_DWORD, {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)});
}

inline void CreateKey(HKEY root, const std::string& path) {
  RegCloseKey(Open(root, path, true));
}

// -1 when the value is missing or not a DWORD.
inline long long ReadDword(HKEY root, const std::string& path, const std::string& name) {
  DWORD v = 0, type = 0, size = sizeof v;
  HKEY key = Open(root, path);
  LONG r = key ? RegQueryValueExA(key, name.c_str(), nullptr, &type, (BYTE*)&v, &size) : 1;
  if (key) RegCloseKey(key);
  return r == 0 && type == REG_DWORD && size == 4 ? (long long)v : -1;
}

// Saves keys at construction and restores them at destruction: a key that existed gets its old
// tree back; for one that did not, the topmost ancestor the test made is removed.
class TRegistryRestorer {
 public:
  explicit TRegistryRestorer(const std::vector<std::pair<HKEY, std::string>>& keys) {
    for (const auto& [root, path] : keys) {
      TSaved s{root, Sub(path), KeyExists(root, path), DumpKey(root, path)};
      for (auto cut = s.Path.rfind('\\');
           !s.Existed && cut != std::string::npos && !KeyExists(root, s.Path.substr(0, cut));
           cut = s.Path.rfind('\\'))
        s.Path.resize(cut);
      saved_.push_back(s);
    }
  }
  ~TRegistryRestorer() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      SHDeleteKeyA(it->Root, it->Path.c_str());
      if (!it->Existed) continue;
      HKEY key = Open(it->Root, it->Path, true);
      WriteOpenKey(key, it->Dump);
      RegCloseKey(key);
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
