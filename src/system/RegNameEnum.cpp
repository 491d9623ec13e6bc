#include "system/RegNameEnum.h"

std::vector<std::wstring> WideSubKeyNames(HKEY key, DWORD maxLen, bool* complete) {
  return EnumRegNames<wchar_t>(
      maxLen,
      [key](DWORD i, wchar_t* name, DWORD* len) {
        return RegEnumKeyExW(key, i, name, len, nullptr, nullptr, nullptr, nullptr);
      },
      complete);
}

std::vector<std::wstring> WideValueNames(HKEY key, DWORD maxLen) {
  return EnumRegNames<wchar_t>(maxLen, [key](DWORD i, wchar_t* name, DWORD* len) {
    return RegEnumValueW(key, i, name, len, nullptr, nullptr, nullptr, nullptr);
  });
}
