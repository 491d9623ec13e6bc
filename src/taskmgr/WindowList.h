// The visible, titled top-level windows as the application list shows them, at most one per
// process, with the icons they show.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

struct TWinInfo {
  HICON ClassIcon = nullptr;
  std::string Title;      // as read, not trimmed; at most 99 characters
  std::string ClassName;  // at most 99 characters
  HWND Window = nullptr;
};

using TWindowSnapshot = std::vector<std::unique_ptr<TWinInfo>>;

// Visible top-level windows whose title is not blank, front to back.
TWindowSnapshot EnumerateWindows();

// Browser and folder windows: several share one process, and each is a task of its own.
bool IsSharedProcessWindowClass(const std::string& className);

// Decides, during one refresh, which windows get a row: never the desktop, always browser and
// folder windows, otherwise the first window of each process.
class TAcceptWindow {
 public:
  bool operator()(HWND window, const std::string& className);

 private:
  std::unordered_set<DWORD> processes_;
};

// How long an icon query may wait for the window's thread.
inline constexpr UINT kIconQueryTimeoutMs = 100;

// The window's small icon, else its big one, else its class icon. A window that does not answer
// within the time-out is not asked again; its class icon is used. nullptr when it has none.
HICON GetWindowIcon(HWND window);
