// Whole-subtree work behind TRegistry: recursive delete and copy. Key names and value data go
// through the wide functions, so names and text outside code page 936 survive unchanged.
#pragma once

#include <windows.h>

#include <string>

namespace RegistryTree {
// `view` is the registry view's flag to open every key with (RegViewFlag), 0 for the program's own.
// Deletes base\sub with everything below it; a link key, there or below, is deleted as a link and
// never followed. False when it did not exist or could not be deleted.
bool DeleteTree(HKEY base, const std::string& sub, REGSAM view = 0);
bool DeleteTree(HKEY base, const std::wstring& sub, REGSAM view = 0);
// Creates dstBase\dstSub (which must not exist) and copies every value and subkey of
// srcBase\srcSub into it. On any failure the partial copy is deleted again and false returned.
bool CopyTree(HKEY srcBase, const std::string& srcSub, HKEY dstBase, const std::string& dstSub,
              REGSAM view = 0);
}  // namespace RegistryTree
