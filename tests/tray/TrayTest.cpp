// The notification-area icon, its menu, Ctrl+Alt+W and the exit path, on the real main window
// under Wine's X11 driver (ctest runs this program on a private Xvfb, where a tray exists).
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "app/TrayIcon.h"
#include "app/UnitMain.h"
#include "support/Scratch.h"
#include "system/SysUtils.h"
#include "toolkit/Sync.h"

namespace {
// Runs the window messages; true when the message loop was asked to end.
bool Pump(DWORD ms = 200) {
  bool quit = false;
  for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  return quit;
}

// Whether the shell holds our icon: changing its tip works only then.
bool IconThere(HWND window) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uID = kTrayIconId;
  data.uFlags = NIF_TIP;
  lstrcpyA(data.szTip, "Veldor");
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

void PressCtrlAltW() {
  keybd_event(VK_CONTROL, 0, 0, 0);
  keybd_event(VK_MENU, 0, 0, 0);
  keybd_event('W', 0, 0, 0);
  keybd_event('W', 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
}

DWORD WINAPI ChooseExitOnceTheMenuIsOpen(LPVOID owner) {
  for (int i = 0; i < 100; ++i) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (menu && IsWindowVisible(menu)) {
      PostMessageA(static_cast<HWND>(owner), WM_CHAR, 'e', 0);
      return 0;
    }
    Sleep(50);
  }
  return 1;
}

class TrayIcon : public testing::Test {
 protected:
  void Start(const char* config) {
    WriteTextFile(configPath_, config);
    InitSynchronize();
    form = std::make_unique<TFormMain>();
    form->Show();
    Pump();
    if (!FindWindowA("Shell_TrayWnd", nullptr))
      GTEST_SKIP() << "no notification area: run under Wine's X11 driver (tools/xvfb-wine-run)";
  }
  void TearDown() override {
    form.reset();
    Pump(50);
    DeleteFileA(configPath_.c_str());
  }
  HWND Window() { return form->Handle(); }
  bool Visible() { return IsWindowVisible(Window()) != FALSE; }
  void Mouse(LPARAM mouse) { SendMessageA(Window(), kTrayCallbackMessage, kTrayIconId, mouse); }
  void HotKey() {
    SendMessageA(Window(), WM_HOTKEY, kTrayHotKeyId, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'W'));
  }

  std::string configPath_ = ExtractFilePath(ExeFileName()) + "config.ini";
  std::unique_ptr<TFormMain> form;
};
}  // namespace

TEST_F(TrayIcon, IconHotKeyAndClicksShowHideAndRestore) {
  Start("[RunData]\r\nInstallIcon=1\r\nAutoRegBak=0\r\n");
  if (IsSkipped()) return;
  ASSERT_TRUE(form->Tray->TrayIconShown);
  EXPECT_TRUE(IconThere(Window()));

  // The real key presses reach the window through the registered hot key.
  PressCtrlAltW();
  for (int i = 0; i < 30 && Visible(); ++i) Pump(100);
  EXPECT_FALSE(Visible());
  EXPECT_FALSE(IconThere(Window())) << "the hot key hides the icon with the window";
  HotKey();
  EXPECT_TRUE(Visible());
  EXPECT_TRUE(IconThere(Window()));

  Mouse(WM_LBUTTONDOWN);
  EXPECT_FALSE(Visible());
  EXPECT_TRUE(IconThere(Window()));
  HotKey();
  EXPECT_TRUE(Visible());
  EXPECT_TRUE(IconThere(Window()));

  // Minimised, a left click or the hot key restores instead of hiding.
  ShowWindow(Window(), SW_MINIMIZE);
  Pump();
  EXPECT_EQ(MinimizedState, 2);
  Mouse(WM_LBUTTONDOWN);
  Pump();
  EXPECT_TRUE(Visible());
  EXPECT_FALSE(IsIconic(Window()));
  EXPECT_EQ(MinimizedState, 0);
  ShowWindow(Window(), SW_MINIMIZE);
  Pump();
  HotKey();
  Pump();
  EXPECT_TRUE(Visible());
  EXPECT_FALSE(IsIconic(Window()));
  EXPECT_TRUE(IconThere(Window()));

  // A restarted taskbar has forgotten the icon; the window puts it back.
  ::TrayIcon(false, Window(), nullptr, "Veldor");
  ASSERT_FALSE(IconThere(Window()));
  SendMessageA(Window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(IconThere(Window()));
}

TEST_F(TrayIcon, ExitFromTheMenuWithTheWindowHiddenEndsTheLoopAndRemovesTheIcon) {
  Start("[RunData]\r\nInstallIcon=1\r\nAutoRegBak=0\r\n");
  if (IsSkipped()) return;
  Mouse(WM_LBUTTONDOWN);
  ASSERT_FALSE(Visible());
  // Choose "退出程序(&E)" in the real menu once it is open.
  HANDLE chooser = CreateThread(nullptr, 0, ChooseExitOnceTheMenuIsOpen, Window(), 0, nullptr);
  Mouse(WM_RBUTTONDOWN);
  WaitForSingleObject(chooser, 10000);
  DWORD found = 1;
  GetExitCodeThread(chooser, &found);
  CloseHandle(chooser);
  ASSERT_EQ(found, 0u) << "the menu did not open";
  EXPECT_TRUE(Pump()) << "the message loop is asked to end";
  EXPECT_TRUE(form->Closing());
  EXPECT_FALSE(IconThere(Window()));
  EXPECT_TRUE(IsWindow(Window())) << "the window goes only after the loop";
  form.reset();
  Pump(50);
}

TEST_F(TrayIcon, WithoutInstallIconThereIsNoIconAndTheHotKeyDoesNothing) {
  Start("[RunData]\r\nInstallIcon=0\r\nAutoRegBak=0\r\n");
  if (IsSkipped()) return;
  EXPECT_FALSE(form->Tray->TrayIconShown);
  EXPECT_FALSE(IconThere(Window()));
  HotKey();
  EXPECT_TRUE(Visible());
}
