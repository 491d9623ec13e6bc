// Detection and removal of the rogue programs of the definition table, without any window code:
// the page binds these to its controls and runs the removal on a worker.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "rogue/RogueDefinitions.h"
#include "system/UndoFolder.h"

// One finding, as the result list shows it.
struct TRogueRow {
  std::string Name;
  std::string EngineVersion;
  std::string Risk;
  std::string RelationValue;
};

// Keys that the program with id 3 leaves behind besides its folder, below HKEY_LOCAL_MACHINE, in
// the order they are deleted.
extern const char* const kRogueExtraKeys[5];
constexpr int kRogueExtraKeyId = 3;

// Program Files + `folderName` + "\"; "" when Program Files cannot be resolved.
std::string RogueProgramFolder(const std::string& folderName);
// The same in every program folder (both on 64-bit Windows, ProgramFolders.h), this program's
// first.
std::vector<std::string> RogueProgramFolders(const std::string& folderName);
// The real paths (as the 64-bit view names them) of the uninstall key below HKEY_LOCAL_MACHINE in
// every registry view where it opens with full access.
std::vector<std::string> RogueUninstallKeys(const std::string& keyPath);
// The directory part of an uninstall command as written (quotes and arguments included): up to
// and including its last "\" or ":"; "" when it has neither.
std::string UninstallCommandDir(const std::string& command);

// True when the split definition's program is installed: kind 11 when its key below
// HKEY_LOCAL_MACHINE opens with full access (without being created) in either registry view, kind
// 33 when its folder exists below either Program Files folder. Any other kind is never present.
bool IsRoguePresent(const TRogueDefinition& definition);

// Checks each record in order. `checking` hears each definition's name before it is checked,
// `found` each finding as it is made. Returns the findings.
std::vector<TRogueRow> ScanRogueDefinitions(
    const std::vector<std::string>& records,
    const std::function<void(const std::string& name)>& checking = nullptr,
    const std::function<void(const TRogueRow& row)>& found = nullptr);

// What the removal of one finding did.
struct TRogueRemoval {
  bool UninstallerStarted = false;  // a command was handed to WinExec
  std::string Command;              // that command line
  std::string DeletedTree;          // the folder handed to the tree deletion ("" when none)
  bool UndoFailed = false;          // keys were to be deleted but no undo file could be written
};

// Deletes the extra keys of id 3 that exist; a failure on one key does not stop the others.
void DeleteRogueExtraKeys();
// Writes the extra keys of id 3 that exist, with all below them, to a new undo file in
// `undoFolder`. True when the file was written or there was nothing to write.
bool SaveRogueExtraKeysUndo(const std::string& undoFolder);

// Removes the program a relation value names, in every registry view and program folder where it
// is (the fields below then tell of the last): id 3's extra keys (after an undo file in
// `undoFolder`; without it nothing at all is done and UndoFailed is set); kind 11: the key's
// "UninstallString" is started hidden and its directory part deleted when that is a program's own
// folder inside Program Files (IsDeletableProgramFolder), left alone otherwise; kind 33: the
// folder's "Uninstall.exe", when it exists, is started shown by its quoted path and the folder
// deleted. Uninstallers are not waited for.
// Registry failures other than a missing key or value throw.
TRogueRemoval RemoveRogue(const std::string& relationValue,
                          const std::string& undoFolder = UndoFolder());
