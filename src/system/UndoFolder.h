// Where undo files go: the folder "Undo" next to the program, one file (or folder of moved files)
// per change, named "<what>-yyyymmdd-hhmmss" after the feature and the moment.
#pragma once

#include <windows.h>

#include <string>

#include "system/UndoWriter.h"

// "<program folder>\Undo\".
std::string UndoFolder();

// Writes `undo` as a new file "<what>-yyyymmdd-hhmmss.reg" in `folder` (made when missing; a
// second change within the same second gets "-2" and on). Returns the file's path, or "" when it
// could not be written whole: the change must then not go ahead.
std::string SaveUndoFile(const TUndoWriter& undo, const std::string& what,
                         const std::string& folder = UndoFolder());

// Makes a new, empty folder "<what>-yyyymmdd-hhmmss" in `folder` for files a change moves aside;
// its path ending in "\", or "" when it could not be made.
std::string MakeUndoSubfolder(const std::string& what, const std::string& folder = UndoFolder());

// Tells the user that a change was cancelled because its undo file could not be written.
void ShowUndoFailure(HWND owner);
