#include "system/WindowQuery.h"

namespace {

bool IsBlankTitle(const char* title) {
  for (const char* c = title; *c; ++c)
    if (static_cast<unsigned char>(*c) > ' ') return false;
  return true;
}

HICON ClassIconOf(HWND window) {
  return reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON));
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  // The system calls this: nothing may escape into its frames.
  try {
    if (!(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE)) return TRUE;
    char className[100] = "";
    char title[100] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (IsBlankTitle(title)) return TRUE;
    TWindowEntry entry;
    entry.Window = window;
    entry.Title = title;
    entry.ClassName = className;
    entry.ClassIcon = ClassIconOf(window);
    reinterpret_cast<std::vector<TWindowEntry>*>(param)->push_back(std::move(entry));
  } catch (...) {
  }
  return TRUE;
}

}  // namespace

std::vector<TWindowEntry> EnumerateWindows() {
  std::vector<TWindowEntry> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

DWORD WindowProcessId(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId;
}

HICON GetWindowIcon(HWND window) {
  for (WPARAM kind : {ICON_SMALL, ICON_BIG}) {
    DWORD_PTR icon = 0;
    if (!SendMessageTimeoutA(window, WM_GETICON, kind, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kIconQueryTimeoutMs, &icon))
      break;  // not answering: do not wait a second time
    if (icon) return reinterpret_cast<HICON>(icon);
  }
  return ClassIconOf(window);
}
