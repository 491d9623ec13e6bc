// Stand-ins for the three rogue programs in the real places of the test prefix (uninstall keys
// below HKEY_LOCAL_MACHINE, "Sogou PXP" and uninstaller folders below Program Files) and scratch
// folders below C:\VeldorTest, made straight through the Win32 API and removed again around every
// test.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "support/WineUnix.h"

namespace rogue_test {

const char kGoogleKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{2318C2B1-4965-11d4-9B18-"
    "009027A5CD4F}";
const char kAlexaKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Alexa Toolbar";
const char kEventlog[] = "SYSTEM\\ControlSet001\\Services\\Eventlog\\Application\\";

inline std::string ProgramFiles() {
  char buf[MAX_PATH] = "";
  SHGetSpecialFolderPathA(nullptr, buf, CSIDL_PROGRAM_FILES, FALSE);
  return buf;
}
inline std::string CommonFiles() {
  char buf[MAX_PATH] = "";
  SHGetSpecialFolderPathA(nullptr, buf, CSIDL_PROGRAM_FILES_COMMON, FALSE);
  return buf;
}
inline std::string SogouFolder() {
  return ProgramFiles() + "\\Sogou PXP";
}
// A kind-11 program's own folder inside Program Files, and its uninstaller.
inline std::string TestProgramFolder() {
  return ProgramFiles() + "\\VeldorTestUninst";
}
inline std::string TestUninstaller() {
  return TestProgramFolder() + "\\uninst.exe";
}

inline bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
inline bool KeyExists(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key)) return false;
  RegCloseKey(key);
  return true;
}
inline void SetValue(const std::string& path, const std::string& name, DWORD type, const void* data,
                     DWORD size) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr))
    return;
  if (!name.empty() || size) RegSetValueExA(key, name.c_str(), 0, type, (const BYTE*)data, size);
  RegCloseKey(key);
}
inline void CreateKey(const std::string& path) {
  SetValue(path, "", REG_SZ, "", 0);
}
inline void SetString(const std::string& path, const std::string& name, const std::string& s) {
  SetValue(path, name, REG_SZ, s.c_str(), (DWORD)s.size() + 1);
}
inline void MakeFile(const std::string& path) {
  SHCreateDirectoryExA(nullptr, path.substr(0, path.rfind('\\')).c_str(), nullptr);
  CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}
inline void RemoveTree(const std::string& folder) {
  std::string from = folder + '\0';
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  if (Exists(folder)) SHFileOperationA(&op);
}

class TRogueScratch {
 public:
  TRogueScratch() { Clean(); }
  ~TRogueScratch() { Clean(); }

  static void Clean() {
    for (std::string key :
         {std::string(kGoogleKey), std::string(kAlexaKey), std::string("SOFTWARE\\Sohu R&D"),
          std::string("SOFTWARE\\Sohu R&D Keep"), kEventlog + std::string("P4P Service"),
          kEventlog + std::string("P4P Keep")})
      SHDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    RemoveTree(SogouFolder());
    RemoveTree(SogouFolder() + " Keep");
    // Without following links, which some tests make.
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    for (const std::string& dir :
         {ProgramFiles(), CommonFiles(), std::string(system), std::string("C:")}) {
      WIN32_FIND_DATAA fd;
      HANDLE h = FindFirstFileA((dir + "\\VeldorTest*").c_str(), &fd);
      if (h == INVALID_HANDLE_VALUE) continue;
      do {
        const std::string path = dir + "\\" + fd.cFileName;
        if (!RemoveUnixTree(path)) RemoveTree(path);
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
  }

  // A kind-11 program: its key, and with `uninstaller` a folder holding it and a data file, named
  // in "UninstallString" followed by `arguments`.
  void InstallKeyProgram(const std::string& key, const std::string& uninstaller = "",
                         const std::string& arguments = "") {
    SetString(key, "DisplayName", "test program");
    if (uninstaller.empty()) return;
    MakeFile(uninstaller);
    MakeFile(uninstaller.substr(0, uninstaller.rfind('\\')) + "\\data.dat");
    SetString(key, "UninstallString", uninstaller + arguments);
  }
  void InstallFolderProgram() {
    MakeFile(SogouFolder() + "\\Uninstall.exe");
    MakeFile(SogouFolder() + "\\skin\\a.bmp");
  }
};

}  // namespace rogue_test
