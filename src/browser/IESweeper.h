// The Internet Explorer extension enumerator: context-menu extensions, toolbars and toolbar
// buttons, each reported through an event, and their removal.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "system/Registry.h"

// Build-time switches of the inventory.
constexpr bool kIEExtensionInventory = true;
constexpr bool kToolbarButtonEvent = false;  // toolbar buttons are neither listed nor removed

class TIESweeper;

// Names as the registry holds them, so each row shows and removes exactly its own entry.
using TNameEvent = std::function<void(TIESweeper*, const std::wstring& name)>;
using TMenuExtEvent =
    std::function<void(TIESweeper*, const std::wstring& name, const std::wstring& defaultValue)>;

class TIESweeper {
 public:
  TIESweeper();
  virtual ~TIESweeper();
  TIESweeper(const TIESweeper&) = delete;
  TIESweeper& operator=(const TIESweeper&) = delete;

  TNameEvent OnToolbar;     // one call per value of the toolbar key
  TNameEvent OnExtension;   // one call per subkey of the extensions key
  TMenuExtEvent OnMenuExt;  // one call per subkey of the menu-extension key

  // Each deletes only an entry that it lists under that name; false when nothing was deleted.
  bool DeleteMenuExt(const std::wstring& keyName);
  bool DeleteToolbar(const std::wstring& valueName);
  bool DeleteExtension(const std::wstring& keyName);

  // Appends the file's associated icon to `images`, or puts it in place of the image at
  // `replaceIndex` when that is a valid index. Returns the image's index, -1 on failure.
  static int AddFileIcon(const std::wstring& path, HIMAGELIST images, int replaceIndex = -1);
  // Line 0 the file, line 1 the icon's number in it (0 when not a number).
  static int AddIconFromSpec(const std::vector<std::wstring>& lines, HIMAGELIST images,
                             int replaceIndex = -1);

  std::wstring ReadClassName(const std::wstring& classId);
  std::wstring ReadHotIcon(const std::wstring& keyName);
  std::wstring ReadButtonText(const std::wstring& keyName);
  // The class's server library, environment variables expanded; "" when none is registered.
  std::wstring ReadServerPath(const std::wstring& classId);

  void EnumMenuExt();
  void EnumToolbar();
  void EnumExtensions();

 private:
  static int AddIcon(const std::wstring& path, WORD index, HIMAGELIST images, int replaceIndex);
  // Opens the subkey `name` of the key `parent` (from the root) for reading.
  bool OpenNamed(HKEY root, const char* parent, const std::wstring& name, TKeyHandle& key);

  TRegistry reg_;
};
