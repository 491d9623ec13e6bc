// The application list's rules: which windows get a row (at most one per process, but every
// browser and folder window), and what a row keeps of its window.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_set>

#include "system/WindowQuery.h"

// What a row holds: its window as last seen, and the picture shown for it, kept until the
// window goes or changes.
struct TWinInfo : TWindowEntry {
  HICON Icon = nullptr;  // the icon the window gave when last asked (the window's; only compared)
  int ImageIndex = -1;   // the row's own slot in the tab's image list
};

// Browser and folder windows: several share one process, and each is a task of its own.
bool IsSharedProcessWindowClass(const std::wstring& className);

// Decides, during one refresh, which windows get a row: never the desktop, always browser and
// folder windows, otherwise the first window of each process.
class TAcceptWindow {
 public:
  bool operator()(const TWindowEntry& window);

 private:
  std::unordered_set<DWORD> processes_;
};
