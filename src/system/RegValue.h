// Reading one registry value as stored, whatever its size: the buffer grows while the value does
// (another program may write it between the two calls).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The value's type and data; ERROR_SUCCESS or the system's error (ERROR_FILE_NOT_FOUND when it is
// missing). The wide form reaches a name that code page 936 cannot hold.
LONG ReadRegValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data);
LONG ReadRegValue(HKEY key, const std::string& name, DWORD& type, std::vector<BYTE>& data);
