#include "system/Text.h"

std::wstring WideFrom(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
  return wide;
}

std::string NarrowFrom(std::wstring_view text, bool* exact, UINT codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  // UTF-8 holds every character and takes neither flag.
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* asked = codePage == CP_UTF8 ? nullptr : &usedDefault;
  const int n = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, asked);
  if (n <= 0) {
    if (exact) *exact = false;
    return {};
  }
  std::string narrow(n, '\0');
  WideCharToMultiByte(codePage, flags, text.data(), size, narrow.data(), n, nullptr, asked);
  // A character that maps to a different one on the way back is no more exact than a "?".
  if (exact && (usedDefault || WideFrom(narrow, codePage) != text)) *exact = false;
  return narrow;
}

std::string Utf8From(std::wstring_view text) {
  return NarrowFrom(text, nullptr, CP_UTF8);
}

bool IsNarrowLeadByte(char byte) {
  return IsDBCSLeadByteEx(kNarrowCodePage, static_cast<BYTE>(byte)) != FALSE;
}
