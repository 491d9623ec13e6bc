// Removal of the cleaner's hits, with an undo file written first. A value is deleted only when it
// is, at that moment, still exactly the value the scan found and still an invalid reference.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "regclean/RegWalker.h"

// Splits a grid key text "ROOT: path" into the root key and the key path ("\" in front). False
// when the root name is not one of the three the scan walks (such as an empty row).
bool SplitGridKey(const std::wstring& text, HKEY& root, std::wstring& path);
bool SplitGridKey(const std::string& text, HKEY& root, std::string& path);

// Is the value of `hit` still there, unchanged, and still an invalid reference?
bool HitStillHolds(const TRegHit& hit);

struct TRemovalResult {
  bool UndoWritten = false;
  bool UndoFailed = false;      // values were to be deleted but the file could not be written
  std::string UndoFile;         // the file written ("" when none was needed or it failed)
  std::vector<size_t> Deleted;  // indexes into the given hits
};

// Deletes the values of `hits` that still hold, after writing them to an undo file
// "RegClean-yyyymmdd-hhmmss.reg" in `undoDir` (created when missing). When the file cannot be
// written nothing is deleted; a value whose key or name no undo file can carry is never deleted.
// Values that change between the file and their deletion are kept, and the file is rewritten to
// hold only what was deleted.
TRemovalResult RemoveRegHits(const std::vector<TRegHit>& hits, const std::string& undoDir);
