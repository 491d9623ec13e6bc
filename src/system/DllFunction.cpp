#include "system/DllFunction.h"

#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "system/Text.h"

void* FindDllFunction(const char* library, const char* function) {
  static std::mutex lock;
  static std::map<std::pair<std::string, std::string>, void*> found;
  std::lock_guard<std::mutex> guard(lock);
  auto key = std::make_pair(std::string(library), std::string(function));
  if (auto it = found.find(key); it != found.end()) return it->second;
  // System folder only: a library of that name next to the program or in the current folder
  // must not be picked up instead. Under WOW64 that is the 32-bit system folder, named as it is:
  // a thread that checks a file with file-system redirection off would otherwise be handed the
  // 64-bit library. Kernel32 is always loaded, so asking it for the function loads nothing.
  using TGetSystemWow64Directory = UINT WINAPI(LPWSTR, UINT);
  static const auto wow64Dir = reinterpret_cast<TGetSystemWow64Directory*>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemWow64DirectoryW")));
  wchar_t path[MAX_PATH] = L"";
  // 0 on 32-bit Windows; a 64-bit program (the test build on machines without 32-bit code) has
  // its libraries in the system folder itself.
  UINT n = wow64Dir && sizeof(void*) == 4 ? wow64Dir(path, MAX_PATH) : 0;
  if (n == 0 || n >= MAX_PATH) n = GetSystemDirectoryW(path, MAX_PATH);
  const std::wstring name = WideFrom(library);
  const std::wstring full = n > 0 && n < MAX_PATH ? std::wstring(path, n) + L"\\" + name : name;
  HMODULE module = GetModuleHandleW(full.c_str());
  if (!module) module = LoadLibraryW(full.c_str());
  void* address = module ? reinterpret_cast<void*>(GetProcAddress(module, function)) : nullptr;
  // A failed load is not remembered: a later try may find the library.
  if (address) found.emplace(std::move(key), address);
  return address;
}
