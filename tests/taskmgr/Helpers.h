// Helper processes for the task manager tests: this test program started again with
// "--taskmgr-helper MODE", which runs the mode instead of the tests.
//   idle     no windows, waits to be ended
//   windows  two titled windows of one class, two folder windows, a desktop window, a window
//            with a blank title and a hidden titled window; answers messages
//   hung     one titled window whose thread never reads its messages
#pragma once

#include <windows.h>

#include <string>

class THelperProcess {
 public:
  // Starts `exe` (this test program when empty) in the given mode; waits until its windows are
  // there (or, for "idle", until it runs).
  explicit THelperProcess(const std::string& mode, const std::wstring& exe = L"");
  ~THelperProcess();  // ends it if still running
  THelperProcess(const THelperProcess&) = delete;
  THelperProcess& operator=(const THelperProcess&) = delete;

  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }
  bool Running() const;
  bool WaitEnded(DWORD ms) const;

 private:
  PROCESS_INFORMATION info_{};
};

// The helper's window class for ordinary windows and the titles it uses.
inline constexpr char kHelperClass[] = "VeldorTaskHelper";
inline constexpr char kHungTitle[] = "helper hung";

// Waits for a top-level window of class and title; nullptr after 10 s.
HWND WaitForWindow(const char* className, const char* title);
// This test program's full path.
std::wstring OwnExePath();
