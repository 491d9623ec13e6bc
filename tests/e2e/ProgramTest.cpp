// Starts the built veldor.exe as its own process and uses it through its windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

namespace {
std::string WindowsPathOfProgram() {
  const char* unixPath = getenv("VELDOR_EXE");
  if (!unixPath || !*unixPath) return {};
  std::string p = std::string("Z:") + unixPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::set<std::string> g_texts;
BOOL CALLBACK Collect(HWND h, LPARAM) {
  char buf[256] = "";
  GetWindowTextA(h, buf, sizeof buf);
  char cls[64] = "";
  GetClassNameA(h, cls, sizeof cls);
  if (std::string(cls) == "TLinkLabel") g_texts.insert(buf);
  return TRUE;
}
}  // namespace

TEST(Program, StartsShowsNavigationAndClosesThroughItsWindow) {
  std::string exe = WindowsPathOfProgram();
  ASSERT_FALSE(exe.empty()) << "VELDOR_EXE is not set";
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
  ASSERT_NE(main, nullptr) << "no window titled Veldor 1.2";
  Sleep(500);  // the first show finishes after the window appears

  g_texts.clear();
  EnumChildWindows(main, Collect, 0);
  for (const char* caption : {"恶意软件清理", "系统进程清理", "启动项目清理", "注册表项清理",
                              "可疑文件搜索", "临时文件清理", "浏览器相关", "注册表备份",
                              "综合设置", "在线升级", "系统帮助", "关于. . . ."})
    EXPECT_EQ(g_texts.count(caption), 1u) << caption;

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}
