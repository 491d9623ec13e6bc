// Reading one registry value as stored, whatever its size: the buffer grows while the value does
// (another program may write it between the two calls).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The value's type and data; ERROR_SUCCESS or the system's error (ERROR_FILE_NOT_FOUND when it is
// missing). The wide form reaches a name that code page 936 cannot hold.
LONG ReadRegValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data);
LONG ReadRegValue(HKEY key, const std::string& name, DWORD& type, std::vector<BYTE>& data);

// Hands every value of an open key to `visit` (name, type, bytes) in the key's order, the buffers
// growing when a value grows meanwhile. True when the listing ended with the last value; false on
// a failure or as soon as `visit` returns false.
using TRegValueVisit =
    std::function<bool(const std::wstring& name, DWORD type, const BYTE* data, DWORD size)>;
bool ForEachRegValue(HKEY key, const TRegValueVisit& visit);
