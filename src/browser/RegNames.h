// Subkey and value names as they really are. The ANSI functions turn a character outside code
// page 936 into "?", and "a?b" would then name another key or nothing; such a name is marked
// inexact, and is shown but never used to open or delete anything.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TRegName {
  std::string Name;  // code page 936; inexact characters shown as "?"
  std::wstring Wide;
  bool Exact = false;  // Name converts back to exactly Wide
};

std::vector<TRegName> ListSubKeyNames(HKEY key);
std::vector<TRegName> ListValueNames(HKEY key);

// The entry of `names` that `name` denotes exactly (registry names ignore case), or nullptr.
const TRegName* FindExactName(const std::vector<TRegName>& names, const std::string& name);
