// The system's top-level windows: the visible, titled ones in front-to-back order, the process
// owning a window, and the icon a window shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TWindowEntry {
  HWND Window = nullptr;
  std::wstring Title;         // as read, not trimmed; at most 99 characters
  std::wstring ClassName;     // at most 99 characters
  HICON ClassIcon = nullptr;  // the window class's icon (the class's own, not a copy)
};

// Visible top-level windows whose title is not blank, front to back.
std::vector<TWindowEntry> EnumerateWindows();

// The process owning the window; 0 when the window is gone.
DWORD WindowProcessId(HWND window);

// How long an icon query may wait for the window's thread.
inline constexpr UINT kIconQueryTimeoutMs = 100;

// The window's small icon, else its big one, else its class icon: the window's own handle, not a
// copy. A window that does not answer within the time-out is not asked a second time; its class
// icon is used. nullptr when it has none.
HICON GetWindowIcon(HWND window);
