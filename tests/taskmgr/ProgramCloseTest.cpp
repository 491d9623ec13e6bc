// The built program, with the task manager's sampler running, closes promptly.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {
HWND g_link = nullptr;
BOOL CALLBACK FindLink(HWND h, LPARAM) {
  char text[64] = "";
  GetWindowTextA(h, text, sizeof text);
  if (std::string(text) == "系统进程清理") g_link = h;
  return TRUE;
}
}  // namespace

TEST(Program, ClosesWithinTwoSecondsAfterTheTaskManagerWasShown) {
  const char* unixPath = getenv("VELDOR_EXE");
  ASSERT_TRUE(unixPath && *unixPath) << "VELDOR_EXE is not set";
  std::string exe = std::string("Z:") + unixPath;
  for (char& c : exe)
    if (c == '/') c = '\\';
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + exe + "\"";
  ASSERT_TRUE(CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi));
  HWND main = nullptr;
  for (int i = 0; i < 300 && !main; ++i) {
    main = FindWindowA("TFormMain", "Veldor 1.2");
    if (!main) Sleep(100);
  }
  ASSERT_NE(main, nullptr);
  Sleep(500);
  g_link = nullptr;
  EnumChildWindows(main, FindLink, 0);
  ASSERT_NE(g_link, nullptr);
  SendMessageA(g_link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageA(g_link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  Sleep(1500);  // the sampler is between two passes

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 2000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u) << "a clean end, with the sampler stopped before the graphs go";
  if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}
