#include "rogue/RogueScanner.h"

#include <windows.h>

#include "system/FileOps.h"
#include "system/Handles.h"
#include "system/FolderIdentity.h"
#include "system/ProgramFolders.h"
#include "system/ProtectedFolders.h"
#include "system/Registry.h"
#include "system/Seams.h"
#include "system/SysUtils.h"
#include "system/Text.h"
#include "system/UndoCapture.h"

const char* const kRogueExtraKeys[5] = {
    "\\SOFTWARE\\Sohu R&D\\Download",
    "\\SYSTEM\\ControlSet001\\Services\\Eventlog\\Application\\P4P Service",
    "\\SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\P4P Service",
    "\\SOFTWARE\\Sohu R&D\\Run",
    "\\SOFTWARE\\Sohu R&D",
};

namespace {
const int kCsidlProgramFiles = 38;
const char kUninstallValue[] = "UninstallString";
const char kFolderUninstaller[] = "Uninstall.exe";
}  // namespace

std::string RogueProgramFolder(const std::string& folderName) {
  std::string programFiles = GetSpecialFolder(kCsidlProgramFiles);
  if (programFiles.empty()) return "";
  return IncludeTrailingBackslash(IncludeTrailingBackslash(programFiles) + folderName);
}

std::string UninstallCommandDir(const std::string& command) {
  // Double-byte aware: the second byte of a character in the command may be a "\".
  return ExtractFilePath(command);
}

std::vector<std::string> RogueProgramFolders(const std::string& folderName) {
  std::vector<std::string> folders;
  for (const std::string& programFiles : ProgramFilesFolders())
    folders.push_back(
        IncludeTrailingBackslash(IncludeTrailingBackslash(programFiles) + folderName));
  return folders;
}

std::vector<std::string> RogueUninstallKeys(const std::string& keyPath) {
  std::vector<std::string> keys;
  for (TRegView view : MachineViews()) {
    const std::string key = ViewKeyPath(view, keyPath);
    TRegistry reg(KEY_ALL_ACCESS, TRegView::Bit64);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKey(key, false)) keys.push_back(key);
  }
  return keys;
}

bool IsRoguePresent(const TRogueDefinition& definition) {
  // An empty path would name the root itself (HKEY_LOCAL_MACHINE, Program Files): never a finding.
  if (definition.KeyPath.empty()) return false;
  switch (definition.Kind) {
    case kRogueKindUninstallKey:
      return !RogueUninstallKeys(definition.KeyPath).empty();
    case kRogueKindProgramFolder:
      for (const std::string& folder : RogueProgramFolders(definition.KeyPath))
        if (DirectoryExists(folder)) return true;
      return false;
    default:
      return false;
  }
}

std::vector<TRogueRow> ScanRogueDefinitions(
    const std::vector<std::string>& records,
    const std::function<void(const std::string& name)>& checking,
    const std::function<void(const TRogueRow& row)>& found) {
  std::vector<TRogueRow> rows;
  for (const std::string& record : records) {
    TRogueDefinition d = SplitRogueDefinition(record);
    if (checking) checking(d.Name);
    if (!IsRoguePresent(d)) continue;
    rows.push_back({d.Name, d.EngineVersion, d.Risk, MakeRelationValue(record)});
    if (found) found(rows.back());
  }
  return rows;
}

void DeleteRogueExtraKeys() {
  for (const char* key : kRogueExtraKeys) {
    try {
      TRegistry reg(KEY_ALL_ACCESS);
      reg.SetRootKey(HKEY_LOCAL_MACHINE);
      if (reg.KeyExists(key)) reg.DeleteKey(key);
    } catch (...) {
      // A key that cannot be deleted must not keep the others from going.
    }
  }
}

namespace {

// Starts the uninstaller a key names (its real path in the 64-bit view) and deletes its folder.
void RemoveByUninstallKey(const std::string& key, TRogueRemoval& done) {
  TRegistry reg(KEY_ALL_ACCESS, TRegView::Bit64);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!reg.OpenKey(key, false)) return;
  if (!reg.ValueExists(kUninstallValue)) return;
  std::string command = reg.ReadString(kUninstallValue);
  reg.CloseKey();
  if (command.empty()) return;
  Seams::Processes().WinExec(command, SW_HIDE);
  done.UninstallerStarted = true;
  done.Command = command;
  // The uninstaller is not waited for: its folder goes at once, but only when it is a program's
  // own folder inside Program Files. A command may name any folder at all (the system folder, a
  // network share, the host's files through a drive letter); such a folder is left alone.
  const std::string dir = UninstallCommandDir(command);
  if (!dir.empty() && IsDeletableProgramFolder(dir)) {
    done.DeletedTree = dir;
    DeleteDirectoryTree(dir);
  }
}

void RemoveProgramFolder(const std::string& folder, TRogueRemoval& done) {
  if (folder.empty() || !DirectoryExists(folder)) return;
  // Quoted, so that no "C:\Program.exe" runs in its place; a missing uninstaller starts nothing
  // and the folder still goes.
  if (FileExists(folder + kFolderUninstaller)) {
    done.Command = "\"" + folder + kFolderUninstaller + "\"";
    Seams::Processes().WinExec(done.Command, SW_SHOW);
    done.UninstallerStarted = true;
  }
  done.DeletedTree = folder;
  DeleteDirectoryTree(folder);
}

}  // namespace

bool SaveRogueExtraKeysUndo(const std::string& undoFolder) {
  TUndoWriter undo;
  for (const char* key : kRogueExtraKeys) {
    // The keys are deleted in the program's own view; the file names them by their real path.
    const std::wstring sub = WideFrom(ViewKeyPath(TRegView::Bit32, key + 1));
    const REGSAM real = RegViewFlag(TRegView::Bit64);
    TKeyHandle there;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_READ | real, there.out()) !=
        ERROR_SUCCESS)
      continue;
    if (!UndoCapture::AddKeyTree(undo, HKEY_LOCAL_MACHINE, sub, L"HKEY_LOCAL_MACHINE\\" + sub,
                                 real))
      return false;
  }
  return undo.Empty() || !SaveUndoFile(undo, "Rogue", undoFolder).empty();
}

TRogueRemoval RemoveRogue(const std::string& relationValue, const std::string& undoFolder) {
  TRogueRemoval done;
  TRogueRelation r = SplitRelationValue(relationValue);
  if (r.Id == kRogueExtraKeyId) {
    if (!SaveRogueExtraKeysUndo(undoFolder)) {
      done.UndoFailed = true;
      return done;
    }
    DeleteRogueExtraKeys();
  }
  if (r.KeyPath.empty()) return done;

  // On 64-bit Windows the program may be installed in either view and either program folder.
  if (r.Kind == kRogueKindUninstallKey) {
    for (const std::string& key : RogueUninstallKeys(r.KeyPath)) RemoveByUninstallKey(key, done);
  } else if (r.Kind == kRogueKindProgramFolder) {
    for (const std::string& folder : RogueProgramFolders(r.KeyPath))
      RemoveProgramFolder(folder, done);
  }
  return done;
}
