// The library that serves a toolbar class, and whether it may be unregistered. Unregistering
// a system library would unregister every class it serves, so only an existing library with an
// absolute path outside the Windows folder qualifies, reached by its own name: a link or a drive
// letter mapped onto a folder can give a system library a name anywhere. Paths are held as the
// system gives them.
#pragma once

#include <string>

#include "system/FileWay.h"  // ReachedThroughLink

// "X:\..." or "\\server\share\...".
bool IsAbsolutePath(const std::wstring& path);
// The short (8.3) form of an existing file's absolute path; "" for a relative or missing one.
std::wstring ShortServerPath(const std::wstring& path);
// True when a folder on the file's way, from its own folder up to the drive or share root, is the
// Windows folder by identity, so short names, case, ".." and drive letters make no difference.
// True also when that cannot be told.
bool LiesInWindowsFolder(const std::wstring& path);
// The path when it names an existing file that may be unregistered; "" otherwise.
std::wstring UnregisterableServer(const std::wstring& path);

// The system folder's regsvr32.exe, and its quoted command line to unregister `server` silently.
// The command line names the library by its own path, or by its short one where code page 936
// cannot hold the long one; "" when neither can be carried.
std::string Regsvr32Path();
std::string UnregisterCommandLine(const std::wstring& server);
