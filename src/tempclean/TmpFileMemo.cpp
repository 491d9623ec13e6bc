#include "tempclean/TmpFileMemo.h"

TTmpFileMemo::TTmpFileMemo(TControl* parent) : TMemo(parent, 0, 0, 0, 0, true) {
  // An EDIT window's wrapping is fixed when it is created, and TMemo's window wraps: replace the
  // window with one that scrolls sideways instead. The toolkit lets go of a destroyed window.
  if (hwnd_) DestroyWindow(hwnd_);
  CreateStandardWindow("EDIT",
                       WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                           ES_AUTOHSCROLL | ES_READONLY,
                       WS_EX_CLIENTEDGE);
  if (hwnd_) SendMessageA(hwnd_, EM_SETLIMITTEXT, 0, 0);  // as much text as the system allows
}
