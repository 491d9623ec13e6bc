// One registry-access object per operation: give it a root, open a path, use it, let it close.
// Paths are written as text; a leading "\" means "from the root". Names and text are narrow
// (code page 936) here and wide towards the registry. Every failure throws ERegistryError except
// where a method says it returns false.
#pragma once

#include <windows.h>

#include "system/Handles.h"
#include "system/RegView.h"

#include <stdexcept>
#include <string>
#include <vector>

// Keeps the system's error code, so a caller can tell "missing" from "access denied" without
// parsing the text.
class ERegistryError : public std::runtime_error {
 public:
  explicit ERegistryError(const std::string& what, LONG code = ERROR_SUCCESS)
      : std::runtime_error(what), code_(code) {}
  LONG Code() const { return code_; }

 private:
  LONG code_;
};

struct TRegKeyInfo {
  DWORD NumSubKeys = 0;
  DWORD MaxSubKeyLen = 0;
  DWORD NumValues = 0;
  DWORD MaxValueLen = 0;
  DWORD MaxDataLen = 0;
  FILETIME FileTime{};  // last write time of the key
};

class TRegistry {
 public:
  // Full access (KEY_ALL_ACCESS) unless another mask is given; root HKEY_CURRENT_USER. Every key
  // is opened in `view` (RegView.h), the program's own unless another is given.
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS, TRegView view = TRegView::Own);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return root_; }
  void SetRootKey(HKEY root);  // closes any open key
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM access) { access_ = access; }
  TRegView View() const { return view_; }
  void SetView(TRegView view);  // closes any open key
  HKEY CurrentKey() const { return current_.get(); }
  const std::string& CurrentPath() const { return currentPath_; }

  // Opens `path` (relative to the open key unless it starts with "\"); creates it when asked.
  // Returns false when the key does not exist or cannot be opened with the access mask.
  bool OpenKey(const std::string& path, bool canCreate);
  bool OpenKeyReadOnly(const std::string& path);
  void CloseKey();

  bool KeyExists(const std::string& path);  // from the root when it starts with "\"
  bool ValueExists(const std::string& name);
  bool DeleteValue(const std::string& name);
  // Deletes the key with everything below it. Returns false when it did not exist or failed.
  bool DeleteKey(const std::string& path);
  // Moves a key (values of every type byte for byte, default value, subkeys) only when the source
  // exists and the target does not. When `deleteSource` is false it copies. A copy that fails
  // part-way is taken back and the source is kept; a target inside the source is refused. A move
  // whose source has a key that cannot be read or deleted is refused before anything changes.
  bool MoveKey(const std::string& oldPath, const std::string& newPath, bool deleteSource = true);

  // REG_SZ, or REG_EXPAND_SZ as stored (unexpanded); missing -> ""; any other type throws.
  std::string ReadString(const std::string& name);
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  int ReadInteger(const std::string& name);  // throws unless the value exists and is REG_DWORD
  void WriteInteger(const std::string& name, int value);
  // The value's data of any type as stored; missing -> empty, type REG_NONE.
  std::vector<BYTE> ReadBinary(const std::string& name, DWORD* type = nullptr);
  void WriteBinary(const std::string& name, const std::vector<BYTE>& data, DWORD type = REG_BINARY);
  DWORD ValueType(const std::string& name);  // REG_NONE when missing

  std::vector<std::string> GetValueNames();
  std::vector<std::string> GetKeyNames();
  bool GetKeyInfo(TRegKeyInfo& info);

  static HKEY RootFromName(const std::string& name);  // "HKEY_LOCAL_MACHINE" ...; 0 when unknown

 private:
  struct TTarget {
    HKEY Base = nullptr;  // the root or the open key
    std::string Sub;      // path below Base, without leading or trailing "\"
    std::string Full;     // path below the root
  };
  TTarget Resolve(const std::string& path) const;
  void PutValue(const std::string& name, DWORD type, const BYTE* data, DWORD size);
  REGSAM Sam(REGSAM access) const { return access | RegViewFlag(view_); }

  HKEY root_ = HKEY_CURRENT_USER;
  TKeyHandle current_;
  std::string currentPath_;
  REGSAM access_;
  TRegView view_;
};
