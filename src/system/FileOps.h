// Deleting a folder with everything in it, and the guard that keeps that away from folders far
// wider than one program's own.
#pragma once

#include <string>

// True for folders DeleteDirectoryTree must never touch: those of the one protected-folder list
// (ProtectedFolders.h), the temporary folder included.
bool IsFolderTooWideToDelete(const std::string& folder);
bool IsFolderTooWideToDelete(const std::wstring& folder);

// Deletes the folder with its files and subfolders, hidden, system and read-only ones included.
// A failure on one entry is skipped and the walk goes on. Links are never followed: a link is
// removed as a link (FolderLinks.h), what it points to stays. True when the folder is gone at
// the end; false, with nothing deleted, when the guard above refuses the folder.
// The walk goes by the names the file system gives, so any name goes, in any code page.
bool DeleteDirectoryTree(const std::string& folder);
bool DeleteDirectoryTree(const std::wstring& folder);
