// The one list of folders that no deletion may empty, shared by every feature that deletes
// folders or empties them: the tree deletion, and the temporary-file cleaner's check of the
// temporary folder it is given.
#pragma once

#include <string>

// True for a folder that must never be emptied or deleted as a whole: any path that is not
// absolute (drive letter + ":\" or a UNC path), drive and share roots, the Windows, system,
// Program Files, Common Files and temporary folders, the user and All Users profiles and the
// shell's special folders (desktop, documents, application data, start menu, favourites ...), and
// every folder that holds one of them. Folders are compared by name and by what they are on disk
// (FolderIdentity.h), so a link or a drive letter leading to one of them is refused as well. With
// `allowTempFolder` the temporary folder itself is not counted (the cleaner empties it), though
// every other entry, and every folder holding the temporary folder, still is.
bool IsProtectedFolder(const std::string& folder, bool allowTempFolder = false);
bool IsProtectedFolder(const std::wstring& folder, bool allowTempFolder = false);

// True for the only folders that a path read from the registry may have deleted: strictly inside
// a Program Files folder or a common program files folder (ProgramFolders.h, both of each on
// 64-bit Windows; FolderIdentity.h), and no protected folder.
bool IsDeletableProgramFolder(const std::string& folder);
bool IsDeletableProgramFolder(const std::wstring& folder);
