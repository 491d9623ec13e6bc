// The real seams against Wine: processes, clipboard, a real file dialog driven from a second
// thread.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "system/Seams.h"
#include "support/Scratch.h"
#include "system/SysUtils.h"

namespace {

std::string ChildCommand(const std::string& test) {
  return "\"" + ExeFileName() + "\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
}

std::atomic<int> gHandled{0};

LRESULT CALLBACK CountingWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP + 7) ++gHandled;
  return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace

// Run only as a child process by the tests below.
TEST(SeamsChild, DISABLED_SleepABit) {
  Sleep(700);
}

TEST(Seams, RealRunAndWaitWaitsAndKeepsMessagesFlowing) {
  TScratchDir dir(CurrentTestName());
  auto& real = Seams::RealProcesses();
  const std::string file = dir.Path() + "waited.txt";
  ASSERT_TRUE(real.RunAndWait("", "cmd.exe /c echo done>" + file));
  EXPECT_TRUE(FileExists(file)) << "returned before the process ended";
  EXPECT_FALSE(real.RunAndWait("", "C:\\no\\such\\program.exe"));

  // A window of this thread gets its messages while the child runs.
  gHandled = 0;
  WNDCLASSA wc{};
  wc.lpfnWndProc = CountingWndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VeldorSeamPumpTest";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                           nullptr);
  ASSERT_NE(wnd, nullptr);
  std::thread poster([wnd] {
    Sleep(200);
    PostMessageA(wnd, WM_APP + 7, 0, 0);
  });
  const DWORD start = GetTickCount();
  ASSERT_TRUE(real.RunAndWait(ExeFileName(), ChildCommand("SeamsChild.DISABLED_SleepABit")));
  poster.join();
  EXPECT_GE(GetTickCount() - start, 600u) << "did not wait for the child";
  EXPECT_EQ(gHandled.load(), 1) << "the message waited until the child ended";
  DestroyWindow(wnd);
}

TEST(Seams, RealClipboardHoldsTheText) {
  const std::string text = "http://www.microsoft.com/technet/security/bulletin/ms07-017.mspx 补丁";
  ASSERT_TRUE(Seams::RealClipboard().SetText(text));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  std::string got;
  if (data) {
    got = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  EXPECT_EQ(got, text);
}

TEST(Seams, RealSaveDialogReturnsTheTypedName) {
  TScratchDir dir(CurrentTestName());
  const std::string title = "Veldor 选择文件 test";
  const std::string typed = dir.Path() + "backup";
  std::atomic<bool> answered{false};
  std::thread user([&] {
    HWND dlg = nullptr;
    for (int i = 0; i < 500 && !dlg; ++i, Sleep(20)) dlg = FindWindowA(nullptr, title.c_str());
    if (!dlg) return;
    // The file name box is the combo box 0x47C in the explorer-style dialog, or the edit 0x480.
    HWND box = GetDlgItem(dlg, 0x47C);
    if (!box) box = GetDlgItem(dlg, 0x480);
    SetWindowTextA(box, typed.c_str());
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    answered = true;
  });
  std::string name;
  const bool ok = Seams::RealFileDialogs().SaveFile(
      nullptr, "注册表文件(*.reg)|*.reg|所有文件(*.*)|*.*", "reg", name, title);
  user.join();
  ASSERT_TRUE(answered.load()) << "no dialog with the title appeared";
  EXPECT_TRUE(ok);
  EXPECT_TRUE(SameText(name, typed + ".reg")) << name;
}
