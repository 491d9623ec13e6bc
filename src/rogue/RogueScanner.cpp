#include "rogue/RogueScanner.h"

#include <windows.h>

#include "system/FileOps.h"
#include "system/Handles.h"
#include "system/FolderIdentity.h"
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

bool IsRoguePresent(const TRogueDefinition& definition) {
  // An empty path would name the root itself (HKEY_LOCAL_MACHINE, Program Files): never a finding.
  if (definition.KeyPath.empty()) return false;
  switch (definition.Kind) {
    case kRogueKindUninstallKey: {
      TRegistry reg(KEY_ALL_ACCESS);
      reg.SetRootKey(HKEY_LOCAL_MACHINE);
      return reg.OpenKey(definition.KeyPath, false);
    }
    case kRogueKindProgramFolder: {
      std::string folder = RogueProgramFolder(definition.KeyPath);
      return !folder.empty() && DirectoryExists(folder);
    }
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

bool SaveRogueExtraKeysUndo(const std::string& undoFolder) {
  TUndoWriter undo;
  for (const char* key : kRogueExtraKeys) {
    const std::wstring sub = WideFrom(key + 1);  // below the root, without its "\"
    TKeyHandle there;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), 0, KEY_READ, there.out()) != ERROR_SUCCESS)
      continue;
    if (!UndoCapture::AddKeyTree(undo, HKEY_LOCAL_MACHINE, sub, L"HKEY_LOCAL_MACHINE\\" + sub))
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

  if (r.Kind == kRogueKindUninstallKey) {
    TRegistry reg(KEY_ALL_ACCESS);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(r.KeyPath, false)) return done;
    if (!reg.ValueExists(kUninstallValue)) return done;
    std::string command = reg.ReadString(kUninstallValue);
    reg.CloseKey();
    if (command.empty()) return done;
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
  } else if (r.Kind == kRogueKindProgramFolder) {
    std::string folder = RogueProgramFolder(r.KeyPath);
    if (folder.empty() || !DirectoryExists(folder)) return done;
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
  return done;
}
