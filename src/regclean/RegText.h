// Registry texts as the cleaner shows them.
#pragma once

#include <windows.h>

#include <string>

// The key's last-write time (UTC, as the registry reports it) as "mm/dd/yyyy hh:mmAM" with the
// system's date and time separators in place of "/" and ":".
std::string FormatLastWrite(const FILETIME& time);
