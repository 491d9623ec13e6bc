// The way a path takes to its file: every folder from the file up to the drive or share root,
// checked by identity and for links, so another name for a folder (a link, a mapped drive, a
// short name) cannot hide where a file really is.
#pragma once

#include <string>

// True when the file of the full path `path`, or any folder on its way, the root included, is
// `folder` by identity. Also true when it cannot be told (the path has another form than
// "X:\..." or "\\server\share\...", or `folder` cannot be opened).
bool FileLiesInFolder(const std::string& path, const std::string& folder);
bool FileLiesInFolder(const std::wstring& path, const std::wstring& folder);

// True when the file or any folder on its way, the root included, is a link, when a step cannot
// be read, or when the file has a second name (a hard link).
bool ReachedThroughLink(const std::string& path);
bool ReachedThroughLink(const std::wstring& path);
