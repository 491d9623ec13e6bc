// The library that serves a toolbar class, and whether it may be unregistered. Unregistering
// a system library would unregister every class it serves, so only an existing library with an
// absolute path outside the Windows folder qualifies, reached by its own name: a link or a drive
// letter mapped onto a folder can give a system library a name anywhere.
#pragma once

#include <string>

#include "system/FileWay.h"  // ReachedThroughLink
#include "system/RegView.h"

// "X:\..." or "\\server\share\...".
bool IsAbsolutePath(const std::string& path);
// The short (8.3) form of an existing file's absolute path; "" for a relative or missing one. The
// path is looked up with file-system redirection off first (a 64-bit server names the real system
// folder), then as usual.
std::string ShortServerPath(const std::string& path);
// True when a folder on the file's way, from its own folder up to the drive or share root, is the
// Windows folder by identity, so short names, case, ".." and drive letters make no difference.
// True also when that cannot be told.
bool LiesInWindowsFolder(const std::string& path);
// The path when it names an existing file that may be unregistered; "" otherwise. Decided the way
// the file is found: with file-system redirection off when it is there so, else as usual.
std::string UnregisterableServer(const std::string& path);

// The regsvr32.exe of a registry view's servers: the 64-bit one (through Sysnative) for the 64-bit
// view on 64-bit Windows, this program's system folder's otherwise; and its quoted command line
// to unregister `server` silently.
std::string Regsvr32Path(TRegView view = TRegView::Own);
std::string UnregisterCommandLine(const std::string& server, TRegView view = TRegView::Own);
