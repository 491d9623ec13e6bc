#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Lists subkey or value names of an open key through one enumeration call. maxLen is the longest
// name the key reports; the buffer grows when a name comes out longer (one added meanwhile, or a
// code page that needs more bytes). `complete`, when given, tells whether the list ended because
// there were no more names rather than on an error.
template <typename Char, typename Enum>
std::vector<std::basic_string<Char>> EnumRegNames(DWORD maxLen, Enum enumerate,
                                                  bool* complete = nullptr) {
  std::vector<std::basic_string<Char>> names;
  std::vector<Char> buf(maxLen + 1);
  for (DWORD i = 0;;) {
    DWORD len = static_cast<DWORD>(buf.size());
    const LONG r = enumerate(i, buf.data(), &len);
    if (r == ERROR_MORE_DATA) {
      buf.resize(buf.size() * 2 + 256);
      continue;
    }
    if (r != ERROR_SUCCESS) {
      if (complete) *complete = r == ERROR_NO_MORE_ITEMS;
      break;
    }
    names.emplace_back(buf.data(), len);
    ++i;
  }
  return names;
}

// Names as the registry stores them (UTF-16), so a name that code page 936 cannot carry can still
// be opened or deleted.
std::vector<std::wstring> WideSubKeyNames(HKEY key, DWORD maxLen, bool* complete = nullptr);
std::vector<std::wstring> WideValueNames(HKEY key, DWORD maxLen);
