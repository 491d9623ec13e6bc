// The browser repair: fixed values that undo what rogue software forces on Internet Explorer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "system/UndoWriter.h"

// Kinds of WriteRegistryValue.
constexpr int kRegText = 0;     // REG_SZ
constexpr int kRegInteger = 1;  // REG_DWORD, the data text read as a decimal number

// The home page written as the browser's search engine.
extern const char kSearchEngineAddress[];

// One guarded write: opens (creating) `keyPath` below `root` and writes the value; below
// HKEY_LOCAL_MACHINE in every registry view (both on 64-bit Windows). False on any failure, a
// data text that is not a number for kRegInteger, or an unknown kind.
bool WriteRegistryValue(HKEY root, const std::string& keyPath, int kind, const std::string& data,
                        const std::string& valueName);

// One value the repair writes.
struct TRepairWrite {
  HKEY Root;  // HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE
  const char* Key;
  int Kind;
  const char* Data;
  const char* Name;
};

// The 42 writes of the common repair, in order.
std::vector<TRepairWrite> CommonRepairWrites();
// Performs them; each failure is skipped. Always true.
bool RepairInternetExplorer();
// The two writes of SetRegistryToolsDisabled, and the one of RepairSearchEngine.
std::vector<TRepairWrite> RegistryToolsWrites(bool disable);
TRepairWrite SearchEngineWrite();
// Appends to `undo` each value as it is before the writes; false when one cannot be carried.
bool AddRepairWritesToUndo(TUndoWriter& undo, const std::vector<TRepairWrite>& writes);

// "DisableRegistryTools" in the machine's and then the user's system policy. The user's value is
// written only when the machine's was; true when both were.
bool SetRegistryToolsDisabled(bool disable);

// Resets the search engine the browser offers.
bool RepairSearchEngine();
