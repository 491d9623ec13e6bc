// What Windows starts automatically: the values of five Run-type registry keys and the entries of
// the current user's Startup folder. Every entry carries a location string whose last two
// characters are a code telling the delete operation where the entry lives.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "system/RegView.h"
#include "system/UndoFolder.h"

struct TStartupSource {
  HKEY Root;
  const char* RootName;
  const char* KeyPath;  // from the root, no leading "\"
  const char* Code;     // two characters
};

// The five registry sources in listing order.
const std::vector<TStartupSource>& StartupRegistrySources();
// "HKEY_LOCAL_MACHINE\Software\...\Run,00" and so on. A key of HKEY_LOCAL_MACHINE is named in
// `view` by its real path: "...\Software\Wow6432Node\...,00" for the 32-bit view on 64-bit
// Windows.
std::string StartupLocation(const TStartupSource& source, TRegView view = TRegView::Own);
// The views a source is listed in: both on 64-bit Windows for HKEY_LOCAL_MACHINE, one otherwise
// (the user's keys are shared by both).
std::vector<TRegView> StartupViews(const TStartupSource& source);

inline constexpr char kStartupFolderCode[] = "09";
inline constexpr int kCsidlStartup = 7;

// Held as the system gives them: the row shows, and the deletion reaches, exactly this entry
// whatever characters its name holds.
struct TStartupEntry {
  std::wstring Name;      // value name, or file name without folder
  std::wstring Command;   // text data (unexpanded, "" for other types), or folder + name
  std::wstring Location;  // location string ending in the two-character code
};

using TStartupSink = std::function<void(const TStartupEntry&)>;

// Hands every entry to `add` in listing order: registry sources first, then the Startup folder.
// A key that cannot be opened contributes nothing; other failures propagate, leaving whatever was
// already handed over in place.
void EnumStartupEntries(const TStartupSink& add);
void EnumStartupRegistryEntries(const TStartupSource& source, const TStartupSink& add,
                                TRegView view = TRegView::Own);
// `folder` may lack the trailing "\"; an empty folder (unresolvable) gives nothing.
void EnumStartupFolderEntries(const std::wstring& folder, const TStartupSink& add);
std::vector<TStartupEntry> ListStartupEntries();

// The deletions below first put what they remove in the undo folder `undoFolder`: a value in a
// new undo file "Startup-...reg", a Startup-folder entry moved into a new folder "Startup-..."
// instead of being deleted. When that fails nothing is deleted and `undoFailed` (when given) is
// set.

// Deletes the value named exactly `name` when it exists; true only when a value was deleted.
// `keyPath` is the key's real path (the one the 64-bit view gives it on 64-bit Windows).
bool DeleteRegistryValue(HKEY root, const std::string& keyPath, const std::wstring& name,
                         bool* undoFailed = nullptr, const std::string& undoFolder = UndoFolder());

// The last two characters of a location string ("" when shorter).
std::string StartupLocationCode(const std::string& location);
std::wstring StartupLocationCode(const std::wstring& location);
// Deletes the entry `name` from the place named by the location's code: a value of the Run-type
// key the location names (in its own registry view only), or the file of that name in the Startup
// folder. Unknown codes and locations do nothing. The narrow form is for names of the program's
// own (code page 936).
bool DeleteStartupEntry(const std::wstring& name, const std::wstring& location,
                        bool* undoFailed = nullptr, const std::string& undoFolder = UndoFolder());
bool DeleteStartupEntry(const std::string& name, const std::string& location,
                        bool* undoFailed = nullptr, const std::string& undoFolder = UndoFolder());
// Takes away only the entry itself: a file, or a link as a link (what it points to stays);
// sub-folders stay. False when `folder` is empty or `name` is not a single entry's name.
bool DeleteStartupFolderEntry(const std::wstring& folder, const std::wstring& name,
                              bool* undoFailed = nullptr,
                              const std::string& undoFolder = UndoFolder());
bool DeleteStartupFolderEntry(const std::string& folder, const std::string& name,
                              bool* undoFailed = nullptr,
                              const std::string& undoFolder = UndoFolder());
