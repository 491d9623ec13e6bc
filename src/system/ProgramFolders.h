// The folders programs are installed in. On 64-bit Windows there are two of each: the shell gives
// this 32-bit program "Program Files (x86)" and its "Common Files", and 64-bit programs live in
// "Program Files" and its "Common Files", which the 64-bit registry view names.
#pragma once

#include <string>
#include <vector>

// Each without a trailing "\", this program's own first; no empty or repeated entry.
std::vector<std::string> ProgramFilesFolders();
std::vector<std::string> CommonFilesFolders();
