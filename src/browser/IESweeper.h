// The Internet Explorer extension enumerator: context-menu extensions, toolbars and toolbar
// buttons, each reported through an event, and their removal.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "system/Registry.h"
#include "system/UndoWriter.h"

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

  // The registry view the toolbar and extension calls work in. The machine's keys are listed in
  // every view (both on 64-bit Windows): while an event of them runs, View() is the row's view.
  TRegView View() const { return view_; }
  void SetView(TRegView view) { view_ = view; }

  // Each deletes only an entry that it lists under that name; false when nothing was deleted.
  bool DeleteMenuExt(const std::wstring& keyName);
  bool DeleteToolbar(const std::wstring& valueName);
  bool DeleteExtension(const std::wstring& keyName);

  // Append to `undo` what the matching delete would remove: the menu extension's key with all
  // below it; the toolbar value and, with `withClass`, the class's registration (an unregistration
  // removes it). True with nothing appended when the entry is no longer there; false when it
  // cannot be carried or read.
  bool AddMenuExtToUndo(TUndoWriter& undo, const std::wstring& keyName);
  bool AddToolbarToUndo(TUndoWriter& undo, const std::wstring& classId, bool withClass);

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
  bool OpenInView(HKEY root, const std::string& path);

  TRegistry reg_;
  TRegView view_ = TRegView::Own;
};
