// Conversions between the registry's own (wide) text and the program's code page 936 text, telling
// whether the conversion kept every character.
#pragma once

#include <windows.h>

#include <string>

std::wstring AnsiToWide(const std::string& s);
// `exact` (when given) is cleared when a character has no exact code page 936 form.
std::string WideToAnsi(const std::wstring& w, bool* exact = nullptr);
// The key's last-write time (UTC, as the registry reports it) as "mm/dd/yyyy hh:mmAM" with the
// system's date and time separators in place of "/" and ":".
std::string FormatLastWrite(const FILETIME& time);
