// Links met while deleting or cleaning a folder: junctions and symbolic links, to folders or to
// files. A link is removed as a link. It is never entered, and no delete ever goes through it to
// what it points to, which may lie anywhere (under Wine the profile's Desktop and Documents lead to
// the Unix home folder).
#pragma once

#include <windows.h>

#include <string>

// True when the listed entry at `path` with the listing's `attributes` is a link. Windows marks
// every link with the reparse-point bit. Wine marks links to folders that way too, but shows a
// link to a file as a plain file; there the Unix side is asked.
bool IsLinkEntry(const std::string& path, DWORD attributes);
bool IsLinkEntry(const std::wstring& path, DWORD attributes);

// Removes the link itself and nothing it points to. False when it could not; the link then stays.
bool RemoveLinkEntry(const std::string& path, DWORD attributes);
bool RemoveLinkEntry(const std::wstring& path, DWORD attributes);
// Gives the link itself the new name `to` (a name not taken, on the same drive); what it points
// to is not touched. False when it could not; the link then stays where it was.
bool MoveLinkEntry(const std::wstring& path, DWORD attributes, const std::wstring& to);
