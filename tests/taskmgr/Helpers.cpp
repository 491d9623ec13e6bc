#include "Helpers.h"

#include <cstring>

namespace {

LRESULT CALLBACK HelperProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_DESTROY) {
    // The process lives on while it still has visible windows of its own.
    return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

HWND MakeWindow(const char* className, const char* title, bool visible) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = HelperProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.lpszClassName = className;
  RegisterClassA(&wc);
  return CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0,
                         0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
}

[[noreturn]] void RunHelper(const char* mode) {
  if (std::strcmp(mode, "windows") == 0) {
    MakeWindow(kHelperClass, "helper back", true);
    MakeWindow(kHelperClass, "helper front", true);
    MakeWindow("CabinetWClass", "folder one", true);
    MakeWindow("CabinetWClass", "folder two", true);
    MakeWindow("Progman", "Program Manager", true);
    MakeWindow(kHelperClass, " \t ", true);
    MakeWindow(kHelperClass, "helper hidden", false);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  } else if (std::strcmp(mode, "hung") == 0) {
    MakeWindow(kHelperClass, kHungTitle, true);
    Sleep(INFINITE);
  } else {
    Sleep(INFINITE);
  }
  ExitProcess(0);
}

// Runs before the tests: a helper start never reaches them.
const bool g_helperChecked = [] {
  const char* line = GetCommandLineA();
  const char* flag = std::strstr(line, "--taskmgr-helper ");
  if (flag) RunHelper(flag + std::strlen("--taskmgr-helper "));
  return true;
}();

}  // namespace

std::wstring OwnExePath() {
  wchar_t path[MAX_PATH * 2] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return path;
}

HWND WaitForWindow(const char* className, const char* title) {
  for (int i = 0; i < 200; ++i) {
    if (HWND h = FindWindowA(className, title)) return h;
    Sleep(50);
  }
  return nullptr;
}

THelperProcess::THelperProcess(const std::string& mode, const std::wstring& exe) {
  const std::wstring path = exe.empty() ? OwnExePath() : exe;
  std::wstring line =
      L"\"" + path + L"\" --taskmgr-helper " + std::wstring(mode.begin(), mode.end());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &info_))
    return;
  WaitForInputIdle(info_.hProcess, 5000);
  if (mode == "windows") WaitForWindow(kHelperClass, "helper hidden");
  if (mode == "hung") WaitForWindow(kHelperClass, kHungTitle);
}

THelperProcess::~THelperProcess() {
  if (!info_.hProcess) return;
  if (Running()) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool THelperProcess::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool THelperProcess::WaitEnded(DWORD ms) const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0;
}
