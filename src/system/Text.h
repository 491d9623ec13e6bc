// Every conversion between narrow text, wide text and UTF-8 in the program, with one rule for a
// character the target cannot hold: it becomes "?", never a look-alike (a look-alike would name a
// different key, value or file), and the caller can ask whether the conversion was exact.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The code page of the program's narrow text: the one the ANSI system calls use.
inline constexpr UINT kNarrowCodePage = CP_ACP;

std::wstring WideFrom(std::string_view text, UINT codePage = kNarrowCodePage);
// `exact`, when given, is set to false if a character could not be held (it is never set to true,
// so one flag can gather several conversions).
std::string NarrowFrom(std::wstring_view text, bool* exact = nullptr,
                       UINT codePage = kNarrowCodePage);

inline std::wstring WideFromUtf8(std::string_view text) {
  return WideFrom(text, CP_UTF8);
}
std::string Utf8From(std::wstring_view text);
