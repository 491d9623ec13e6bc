// Subkey and value names as the registry holds them (UTF-16): a name is shown and acted on
// exactly, whatever characters it holds.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::vector<std::wstring> ListSubKeyNames(HKEY key);
std::vector<std::wstring> ListValueNames(HKEY key);

// The entry of `names` that `name` denotes (registry names ignore case), or nullptr.
const std::wstring* FindExactName(const std::vector<std::wstring>& names, const std::wstring& name);
