#include "system/WholeFile.h"

#include <windows.h>

#include "system/Handles.h"
#include "system/Text.h"

bool WriteWholeFile(const std::string& path, std::string_view bytes, bool mustBeNew) {
  return WriteWholeFile(WideFrom(path), bytes, mustBeNew);
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes, bool mustBeNew) {
  TKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                 mustBeNew ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
  if (!file) return false;
  DWORD written = 0;
  bool ok =
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  ok = FlushFileBuffers(file.get()) && ok;
  // Closed here by hand: a failed close can lose written data, and that must count.
  ok = CloseHandle(file.release()) && ok;
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}
