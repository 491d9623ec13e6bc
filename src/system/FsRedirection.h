// Under WOW64 a 32-bit program's file calls see C:\Windows\System32 redirected to SysWOW64, but a
// path read from the registry may be written for a 64-bit program, which sees the real one. Such a
// path is checked both ways, the real file system first. Redirection goes off only on the calling
// thread, only around the one check, never around anything that runs window messages; a library
// the loader (DllFunction.h) loads meanwhile is still the 32-bit one, as it names that folder.
#pragma once

#include <windows.h>

#include <string>

// Runs `check` with file-system redirection off on this thread and turns it back on. False, with
// `check` not run, on 32-bit Windows (there is nothing to turn off) or when it cannot be turned
// off.
template <class Check>
bool RunWithoutRedirection(Check&& check);

// Attributes of the file or folder a path read from the registry names, as any program would
// find it: asked with redirection off, then as usual. INVALID_FILE_ATTRIBUTES only when both ways
// fail; `error` is then ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND only when both ways found it
// missing, otherwise the error that leaves it unknown.
DWORD FileAttributesEitherWay(const std::wstring& path, DWORD& error);
// True when the path names an existing file or folder either way.
bool PathExistsEitherWay(const std::string& path);

// Where the 64-bit system folder can be reached from here: "<Windows>\Sysnative\" under WOW64,
// the system folder otherwise; ends in "\", "" when unknown.
std::string NativeSystemDir();

// Implementation of the template.
namespace fsredirection {
bool TurnOff(void*& old);
void TurnBack(void* old);
}  // namespace fsredirection

template <class Check>
bool RunWithoutRedirection(Check&& check) {
  void* old = nullptr;
  if (!fsredirection::TurnOff(old)) return false;
  struct TBack {
    void* Old;
    ~TBack() { fsredirection::TurnBack(Old); }
  } back{old};
  check();
  return true;
}
