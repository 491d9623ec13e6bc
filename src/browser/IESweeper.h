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

// `exact` is false for a name that code page 936 cannot hold: it is shown, never deleted.
using TNameEvent = std::function<void(TIESweeper*, const std::string& name, bool exact)>;
using TMenuExtEvent = std::function<void(TIESweeper*, const std::string& name,
                                         const std::string& defaultValue, bool exact)>;

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

  // Each deletes only an entry whose name it lists exactly; false when nothing was deleted.
  bool DeleteMenuExt(const std::string& keyName);
  bool DeleteToolbar(const std::string& valueName);
  bool DeleteExtension(const std::string& keyName);

  // Append to `undo` what the matching delete would remove: the menu extension's key with all
  // below it; the toolbar value and, with `withClass`, the class's registration (an unregistration
  // removes it). True with nothing appended when the entry is no longer there; false when it
  // cannot be carried or read.
  bool AddMenuExtToUndo(TUndoWriter& undo, const std::string& keyName);
  bool AddToolbarToUndo(TUndoWriter& undo, const std::string& classId, bool withClass);

  // Appends the file's associated icon to `images`, or puts it in place of the image at
  // `replaceIndex` when that is a valid index. Returns the image's index, -1 on failure.
  static int AddFileIcon(const std::string& path, HIMAGELIST images, int replaceIndex = -1);
  // Line 0 the file, line 1 the icon's number in it (0 when not a number).
  static int AddIconFromSpec(const std::vector<std::string>& lines, HIMAGELIST images,
                             int replaceIndex = -1);

  std::string ReadClassName(const std::string& classId);
  std::string ReadHotIcon(const std::string& keyName);
  std::string ReadButtonText(const std::string& keyName);
  // The class's server library, environment variables expanded; "" when none is registered.
  std::string ReadServerPath(const std::string& classId);

  void EnumMenuExt();
  void EnumToolbar();
  void EnumExtensions();

 private:
  static int AddIcon(const std::string& path, WORD index, HIMAGELIST images, int replaceIndex);
  bool OpenClassKey(const std::string& classId);
  bool OpenExtensionKey(const std::string& keyName);
  std::string ReadText(const std::string& valueName);

  // Opens `path` below the root in the current view.
  bool OpenInView(HKEY root, const std::string& path);

  TRegistry reg_;
  TRegView view_ = TRegView::Own;
};
