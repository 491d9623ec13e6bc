#include "system/WindowQuery.h"

namespace {

bool IsBlankTitle(const wchar_t* title) {
  for (const wchar_t* c = title; *c; ++c)
    if (*c > L' ') return false;
  return true;
}

HICON ClassIconOf(HWND window) {
  return reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  // The system calls this: nothing may escape into its frames.
  try {
    if (!(GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE)) return TRUE;
    wchar_t className[100] = L"";
    wchar_t title[100] = L"";
    GetClassNameW(window, className, 100);
    GetWindowTextW(window, title, 100);
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
    if (!SendMessageTimeoutW(window, WM_GETICON, kind, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kIconQueryTimeoutMs, &icon))
      break;  // not answering: do not wait a second time
    if (icon) return reinterpret_cast<HICON>(icon);
  }
  return ClassIconOf(window);
}
