// Test entries in the real Run-type keys and Startup folder of the test prefix, made through the
// Win32 API (not the code under test) and all removed again; keys it had to create go too.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "support/Scratch.h"

namespace startup_test {

inline std::string Unique(const std::string& stem) {
  return "VeldorTest_" + stem + "_" + std::to_string(GetCurrentProcessId());
}

inline bool ValueExists(HKEY root, const std::string& path, const std::string& name) {
  return SHGetValueA(root, path.c_str(), name.c_str(), nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

class TStartupScratch {
 public:
  TStartupScratch() {
    char buf[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, buf, CSIDL_STARTUP, TRUE);
    Folder = buf;
  }
  ~TStartupScratch() {
    for (const auto& v : values_) SHDeleteValueA(v.root, v.path.c_str(), v.name.c_str());
    for (const auto& v : wideValues_) SHDeleteValueW(v.root, v.path.c_str(), v.name.c_str());
    for (auto it = keys_.rbegin(); it != keys_.rend(); ++it)
      RegDeleteKeyA(it->root, it->path.c_str());
    for (auto it = paths_.rbegin(); it != paths_.rend(); ++it) {
      SetFileAttributesA(it->c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileA(it->c_str())) RemoveDirectoryA(it->c_str());
    }
  }

  void Set(HKEY root, const std::string& path, const std::string& name, const std::string& data,
           DWORD type = REG_SZ) {
    HKEY key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) != ERROR_SUCCESS)
      return;
    if (disposition == REG_CREATED_NEW_KEY) keys_.push_back({root, path, ""});
    const bool text = type == REG_SZ || type == REG_EXPAND_SZ;
    RegSetValueExA(key, name.c_str(), 0, type, (const BYTE*)data.c_str(),
                   (DWORD)data.size() + (text ? 1 : 0));
    RegCloseKey(key);
    values_.push_back({root, path, name});
  }

  // A REG_SZ value whose name may lie outside the code page, in an existing key.
  void SetWide(HKEY root, const std::string& path, const std::wstring& name,
               const std::wstring& data) {
    const std::wstring key(path.begin(), path.end());  // the keys used here are plain ASCII
    SHSetValueW(root, key.c_str(), name.c_str(), REG_SZ, data.c_str(),
                (DWORD)((data.size() + 1) * sizeof(wchar_t)));
    wideValues_.push_back({root, key, name});
  }

  // A file (or, with `folder`, a sub-folder) in the Startup folder; returns its full path.
  std::string Add(const std::string& name, DWORD attributes = 0, bool folder = false) {
    const std::string path = Folder + "\\" + name;
    if (folder) {
      CreateDirectoryA(path.c_str(), nullptr);
    } else {
      CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    paths_.push_back(path);
    return path;
  }

  std::string Folder;

 private:
  struct TRef {
    HKEY root;
    std::string path, name;
  };
  struct TWideRef {
    HKEY root;
    std::wstring path, name;
  };
  std::vector<TRef> values_, keys_;
  std::vector<TWideRef> wideValues_;
  std::vector<std::string> paths_;
};

}  // namespace startup_test
