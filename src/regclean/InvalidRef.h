// The invalid-reference test: is a registry string a plain local path to a file or folder that is
// truly missing? Only a missing target counts; anything the system cannot answer for sure (access
// denied, drive not ready, a name too long or malformed) counts as present.
#pragma once

#include <string>

// True when `s` is not an invalid reference. Never changes the current directory.
bool IsValidPathRef(const std::string& s);
// The same test on the text as the registry holds it, so names outside code page 936 are exact.
bool IsValidPathRefW(const std::wstring& s);
