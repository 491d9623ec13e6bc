// The notification-area icon with its menu, the system-wide hot key Ctrl+Alt+W, and the
// application's minimise / activate / restore events. The main window hands its messages here.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/PopupMenu.h"

// 2 while the application is minimised, 0 otherwise.
extern WORD MinimizedState;

constexpr UINT kTrayCallbackMessage = WM_USER + 1;  // 0x401
constexpr UINT kTrayIconId = 1;
constexpr int kTrayHotKeyId = 2;
constexpr UINT kTrayHotKeyModifiers = MOD_ALT | MOD_CONTROL;
constexpr UINT kTrayHotKeyKey = 0x57;  // "W"

// Adds (NIM_ADD) or deletes (NIM_DELETE) the icon with the record's first, 88-byte layout. True
// unless the call raised; an icon already there, or not there, fails silently.
bool TrayIcon(bool add, HWND window, HICON icon, const std::string& tip);
void RegisterTrayHotKey(HWND window);

class TTrayIcon {
 public:
  // `exitProgram` is the program's one exit path, run by "退出程序(&E)".
  TTrayIcon(HWND window, std::function<void()> exitProgram);
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  // True when config.ini asked for the icon and hot key at start.
  bool TrayIconShown = false;
  // At start, when TrayIconShown: the hot key, then the icon.
  void Install();
  // Deletes the icon if it is shown (close, destroy, exit).
  void Remove();
  // The icon as last added and not deleted since.
  bool IconAdded() const { return added_; }

  // The main window's messages; every message goes on to the default handling afterwards.
  void HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  void ShowOrHide();
  void NShowOrHideClick() { ShowOrHide(); }
  void NIconExitClick();
  void ApplicationEvents1Minimize() { MinimizedState = 2; }
  void ApplicationEvents1Activate() { MinimizedState = 0; }
  void ApplicationEvents1Restore() { MinimizedState = 0; }

  TPopupMenu PopupMenuIcon;  // NShowOrHide, N3, NIconExit

 private:
  void Add();
  void Delete();
  void RestoreApplication();
  void FlipVisibility();
  HICON WindowIcon() const;

  HWND window_;
  std::function<void()> exitProgram_;
  UINT taskbarCreated_;
  bool added_ = false;
};
