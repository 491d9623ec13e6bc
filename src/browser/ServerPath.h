// The library that serves a toolbar class, and whether it may be unregistered. Unregistering
// a system library would unregister every class it serves, so only an existing library with an
// absolute path outside the Windows folder qualifies, reached by its own name: a link or a drive
// letter mapped onto a folder can give a system library a name anywhere. Paths are held as the
// system gives them.
#pragma once

#include <string>

#include "system/FileWay.h"  // ReachedThroughLink
#include "system/RegView.h"

// "X:\..." or "\\server\share\...".
bool IsAbsolutePath(const std::wstring& path);
// The short (8.3) form of an existing file's absolute path; "" for a relative or missing one. The
// path is looked up with file-system redirection off first (a 64-bit server names the real system
// folder), then as usual.
std::wstring ShortServerPath(const std::wstring& path);
// True when a folder on the file's way, from its own folder up to the drive or share root, is the
// Windows folder by identity, so short names, case, ".." and drive letters make no difference.
// True also when that cannot be told.
bool LiesInWindowsFolder(const std::wstring& path);
// The path when it names an existing file that may be unregistered; "" otherwise. Decided the way
// the file is found: with file-system redirection off when it is there so, else as usual.
std::wstring UnregisterableServer(const std::wstring& path);

// The regsvr32.exe of a registry view's servers: the 64-bit one (through Sysnative) for the 64-bit
// view on 64-bit Windows, this program's system folder's otherwise; and its quoted command line
// to unregister `server` silently. The command line names the library by its own path, or by its
// short one where code page 936 cannot hold the long one; "" when neither can be carried.
std::string Regsvr32Path(TRegView view = TRegView::Own);
std::string UnregisterCommandLine(const std::wstring& server, TRegView view = TRegView::Own);
