#include "app/TrayIcon.h"

#include <shellapi.h>

#include "system/DllFunction.h"
#include "system/Text.h"
#include "toolkit/Guarded.h"

WORD MinimizedState = 0;

namespace {
const char kTip[] = "Veldor";

// The record's first layout (152 bytes in a 32-bit program), which every shell version accepts.
struct TNotifyIconDataV1 {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  WCHAR szTip[64];
};
static_assert(sizeof(TNotifyIconDataV1) == NOTIFYICONDATAW_V1_SIZE, "first NOTIFYICONDATA layout");
}  // namespace

bool TrayIcon(bool add, HWND window, HICON icon, const std::string& tip) {
  TNotifyIconDataV1 data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kTrayIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = icon;
  lstrcpynW(data.szTip, WideFrom(tip).c_str(), 64);
  // shell32 is loaded only once the icon is wanted.
  if (auto notify = DllFunction<decltype(::Shell_NotifyIconW)>("shell32.dll", "Shell_NotifyIconW"))
    notify(add ? NIM_ADD : NIM_DELETE, reinterpret_cast<PNOTIFYICONDATAW>(&data));
  return true;
}

void RegisterTrayHotKey(HWND window) {
  RegisterHotKey(window, kTrayHotKeyId, kTrayHotKeyModifiers, kTrayHotKeyKey);
}

TTrayIcon::TTrayIcon(HWND window, std::function<void()> exitProgram)
    : window_(window),
      exitProgram_(std::move(exitProgram)),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
  PopupMenuIcon.Add("NShowOrHide", "显示/隐藏(&S)", [this] { NShowOrHideClick(); });
  PopupMenuIcon.AddSeparator("N3");
  PopupMenuIcon.Add("NIconExit", "退出程序(&E)", [this] { NIconExitClick(); });
}

HICON TTrayIcon::WindowIcon() const {
  HICON icon = reinterpret_cast<HICON>(SendMessageW(window_, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(window_, WM_GETICON, ICON_BIG, 0));
  return icon;
}

void TTrayIcon::Add() {
  TrayIcon(true, window_, WindowIcon(), kTip);
  added_ = true;
}

void TTrayIcon::Delete() {
  TrayIcon(false, window_, WindowIcon(), kTip);
  added_ = false;
}

void TTrayIcon::Install() {
  if (!TrayIconShown) return;
  RegisterTrayHotKey(window_);
  Add();
}

void TTrayIcon::Remove() {
  if (TrayIconShown) Delete();
}

void TTrayIcon::RestoreApplication() {
  ShowWindow(window_, SW_RESTORE);
  SetForegroundWindow(window_);
}

void TTrayIcon::FlipVisibility() {
  if (IsWindowVisible(window_)) {
    ShowWindow(window_, SW_HIDE);
  } else {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
  }
}

void TTrayIcon::ShowOrHide() {
  if (MinimizedState == 2) {
    MinimizedState = 0;
    RestoreApplication();
  } else {
    FlipVisibility();
  }
}

void TTrayIcon::NIconExitClick() {
  if (exitProgram_) exitProgram_();
}

void TTrayIcon::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kTrayCallbackMessage) {
    if (lParam == WM_LBUTTONDOWN) {
      ShowOrHide();
    } else if (lParam == WM_RBUTTONDOWN) {
      POINT at{};
      GetCursorPos(&at);
      PopupMenuIcon.Popup(window_, at.x, at.y);
    }
  } else if (msg == WM_HOTKEY) {
    if (!TrayIconShown || LOWORD(lParam) != kTrayHotKeyModifiers ||
        HIWORD(lParam) != kTrayHotKeyKey)
      return;
    if (MinimizedState == 2) {
      MinimizedState = 0;
      RestoreApplication();
      return;
    }
    FlipVisibility();
    // The hot key hides the window and its icon together and brings both back.
    if (IsWindowVisible(window_))
      Add();
    else
      Delete();
  } else if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
    // A restarted taskbar has lost every icon: put ours back if it should be there.
    if (TrayIconShown && added_) Add();
  } else if (msg == WM_SIZE) {
    if (wParam == SIZE_MINIMIZED)
      ApplicationEvents1Minimize();
    else if (MinimizedState == 2 && (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED))
      ApplicationEvents1Restore();
  } else if (msg == WM_ACTIVATEAPP) {
    if (wParam) ApplicationEvents1Activate();
  }
}
