// The registry walk of the cleaner: every string value below the scanned start keys whose name or
// data is an invalid reference becomes a hit. Keys are walked, shown and removed by the registry's
// own (wide) names, so a name outside code page 936 neither hides its subtree nor stands for
// another key.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// One value found by the scan, with what the grid shows and what the removal needs to find the
// very same value again.
struct TRegHit {
  std::string RootName;  // "HKEY_CURRENT_USER", "HKEY_USERS" or "HKEY_LOCAL_MACHINE"
  HKEY Root = nullptr;
  std::wstring
      KeyText;  // the key path as shown: "\Software\..." or, below Software, "Software\..."
  std::wstring KeyPath;  // the same path below the root, without a leading "\"
  std::wstring Name;     // the value name; empty for the default value
  DWORD Type = REG_NONE;
  std::vector<BYTE> Data;  // the stored data, byte for byte
  std::string TimeText;    // the key's last-write time
  std::wstring DataText;   // the data up to its first NUL
  // Key path, name and data hold no line break, and the data is one string ending in its NUL:
  // the row's one line shows the whole value, and a line of the undo file can name and restore
  // it. Other hits are listed, never deleted.
  bool Exact = true;

  std::wstring GridKey() const;
};

// A start key: its root, and the path the walk starts from ("" for the root itself). Rows of a
// root walked from "" read "\Software\..."; rows below a named start path carry no leading "\".
struct TRegScanRoot {
  std::string Name;
  HKEY Root = nullptr;
  std::string StartPath;
};
// HKEY_CURRENT_USER and HKEY_USERS from their roots, HKEY_LOCAL_MACHINE from "Software".
std::vector<TRegScanRoot> DefaultScanRoots();

class IRegScanSink {
 public:
  virtual ~IRegScanSink() = default;
  virtual void WalkingRoot(const std::string& /*rootName*/) {}
  // Called before each string value is examined, with the name of the key holding it; the page
  // shows it and lets pending window messages run.
  virtual void Analyzing(const std::wstring& subKeyName) = 0;
  virtual bool Stopped() = 0;
  virtual void AddHit(TRegHit&& hit) = 0;
};

// Walk depth limit below a start key, well past any real key and far below the stack's limit.
constexpr int kMaxRegWalkDepth = 512;

class TRegWalker {
 public:
  explicit TRegWalker(IRegScanSink& sink) : sink_(sink) {}
  // Walks every start key in turn until the sink says stop. The start keys' own values are not
  // examined, only the keys below them.
  void ScanInvalidRefs(const std::vector<TRegScanRoot>& roots);

 private:
  struct TPath {
    std::wstring Text;  // as shown in the grid
    std::wstring Wide;  // below the root, no leading "\"
    bool Exact = true;
  };
  // Walks below the open key `key`, whose longest subkey name is `maxSubKeyLen` characters.
  void WalkRegKeys(HKEY key, const TPath& path, int depth, DWORD maxSubKeyLen);
  // Examines the values of the open key `key` (named `name` below its parent); returns the
  // number of its subkeys and the length of the longest subkey name.
  std::pair<DWORD, DWORD> AnalyzeRegValues(HKEY key, const TPath& path, const std::wstring& name);

  IRegScanSink& sink_;
  const TRegScanRoot* root_ = nullptr;
  std::vector<wchar_t> nameBuf_;
  std::vector<BYTE> dataBuf_;
};

// Is this stored string (REG_SZ / REG_EXPAND_SZ data as the registry holds it) an invalid
// reference by its name or by its text up to the first NUL?
bool IsInvalidRegString(const std::wstring& name, const BYTE* data, DWORD size);
