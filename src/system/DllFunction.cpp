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
  // must not be picked up instead.
  wchar_t path[MAX_PATH] = L"";
  const UINT n = GetSystemDirectoryW(path, MAX_PATH);
  const std::wstring name = WideFrom(library);
  const std::wstring full = n > 0 && n < MAX_PATH ? std::wstring(path, n) + L"\\" + name : name;
  HMODULE module = GetModuleHandleW(full.c_str());
  if (!module) module = LoadLibraryW(full.c_str());
  void* address = module ? reinterpret_cast<void*>(GetProcAddress(module, function)) : nullptr;
  // A failed load is not remembered: a later try may find the library.
  if (address) found.emplace(std::move(key), address);
  return address;
}
