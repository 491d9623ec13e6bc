#include "taskmgr/WindowList.h"

namespace {

bool IsBlankTitle(const char* title) {
  for (const char* c = title; *c; ++c)
    if (static_cast<unsigned char>(*c) > ' ') return false;
  return true;
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
    auto info = std::make_unique<TWinInfo>();
    info->ClassIcon = reinterpret_cast<HICON>(GetClassLongA(window, GCL_HICON));
    info->Title = title;
    info->ClassName = className;
    info->Window = window;
    reinterpret_cast<TWindowSnapshot*>(param)->push_back(std::move(info));
  } catch (...) {
  }
  return TRUE;
}

}  // namespace

TWindowSnapshot EnumerateWindows() {
  TWindowSnapshot snapshot;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&snapshot));
  return snapshot;
}

bool IsSharedProcessWindowClass(const std::string& className) {
  return className == "IEFrame" || className == "CabinetWClass";
}

bool TAcceptWindow::operator()(HWND window, const std::string& className) {
  if (className == "Progman") return false;
  if (IsSharedProcessWindowClass(className)) return true;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processes_.insert(processId).second;
}

HICON GetWindowIcon(HWND window) {
  for (WPARAM kind : {ICON_SMALL, ICON_BIG}) {
    DWORD_PTR icon = 0;
    if (!SendMessageTimeoutA(window, WM_GETICON, kind, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kIconQueryTimeoutMs, &icon))
      break;  // not answering: do not wait a second time
    if (icon) return reinterpret_cast<HICON>(icon);
  }
  return reinterpret_cast<HICON>(GetClassLongA(window, GCL_HICON));
}
