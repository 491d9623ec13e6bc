// Every conversion between narrow text, wide text and UTF-8 in the program, with one rule for a
// character the target cannot hold: it becomes "?", never a look-alike (a look-alike would name a
// different key, value or file), and the caller can ask whether the conversion was exact.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The code page of every narrow text the program holds: its own texts (the compiler writes the
// literals in it), config.ini, and whatever it builds from them. Never the system's code page,
// which differs from one Windows to the next: text crosses to the system wide (the W functions),
// converted here, so the program reads the same on every Windows. A name from the system that
// this code page cannot hold is kept wide from the system call to the screen and to the action.
inline constexpr UINT kNarrowCodePage = 936;

// True when `byte` starts a double-byte character of narrow text (its second byte may look like
// "\" or "|").
bool IsNarrowLeadByte(char byte);

std::wstring WideFrom(std::string_view text, UINT codePage = kNarrowCodePage);
// `exact`, when given, is set to false if a character could not be held (it is never set to true,
// so one flag can gather several conversions).
std::string NarrowFrom(std::wstring_view text, bool* exact = nullptr,
                       UINT codePage = kNarrowCodePage);

inline std::wstring WideFromUtf8(std::string_view text) {
  return WideFrom(text, CP_UTF8);
}
std::string Utf8From(std::wstring_view text);
