// Reads from the registry what a change is about to delete or overwrite and appends it to an undo
// file, so that importing the file puts back exactly the state before the change.
#pragma once

#include <windows.h>

#include <string>

#include "system/UndoWriter.h"

namespace UndoCapture {
// The key `sub` below `base` with every value and subkey, as sections named from `fullName`
// ("HKEY_CURRENT_USER\..." naming the same key). False when the key is missing, cannot be read
// whole, is or holds a registry link, or holds something the file cannot carry: the change must
// then not go ahead. `view` adds a registry view to every open.
bool AddKeyTree(TUndoWriter& undo, HKEY base, const std::wstring& sub, const std::wstring& fullName,
                REGSAM view = 0);

// One value about to be deleted or overwritten: its type and data as they are now; a removal of
// the value when it does not exist yet; when its key does not exist yet, a removal of the first key
// on the path that is missing (the change creates it). `rootName` names `root` in the file
// ("HKEY_LOCAL_MACHINE"); `path` has no leading "\". False when the value cannot be carried or
// read.
bool AddValueBefore(TUndoWriter& undo, HKEY root, const std::wstring& rootName,
                    const std::wstring& path, const std::wstring& name, REGSAM view = 0);
}  // namespace UndoCapture
