// The few places where the program hands control to the user or to another program. Production
// code always goes through these; tests install recording versions to answer a dialog or to see a
// command line. Registry, files, processes and windows are never faked. Narrow text here is code
// page 936, as everywhere in the program; the real ones hand it to the system wide.
#pragma once

#include <windows.h>

#include <string>

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  // MessageBoxW; returns the button id (IDYES, IDNO, IDOK ...).
  virtual int Show(HWND owner, const std::string& text, const std::string& caption, UINT flags) = 0;
};

class IProcessStarter {
 public:
  virtual ~IProcessStarter() = default;
  // WinExec; returns its result (greater than 31 on success).
  virtual UINT WinExec(const std::string& commandLine, UINT showCommand) = 0;
  // CreateProcessW without special flags, then waits for the process to end while letting the
  // calling thread's window messages run. Returns false when the process could not be started.
  virtual bool RunAndWait(const std::string& applicationPath, const std::string& commandLine) = 0;
  // As RunAndWait, but stops waiting after `timeoutMs` (the process runs on). Returns one of
  // kProcessNotStarted, kProcessEnded, kProcessStillRunning. Starters that cannot bound the wait
  // wait to the end.
  virtual int RunAndWaitAtMost(const std::string& applicationPath, const std::string& commandLine,
                               DWORD timeoutMs);
  // As RunAndWaitAtMost, and when the event `stop` is set before the process ends, the process is
  // ended and kProcessStopped returned once it is gone. Starters that cannot end it ignore `stop`.
  virtual int RunAndWaitStoppable(const std::string& applicationPath,
                                  const std::string& commandLine, DWORD timeoutMs, HANDLE stop);
};

constexpr int kProcessNotStarted = 0;
constexpr int kProcessEnded = 1;
constexpr int kProcessStillRunning = 2;
constexpr int kProcessStopped = 3;

class IShellOpener {
 public:
  virtual ~IShellOpener() = default;
  // ShellExecuteW; returns its result as an integer (greater than 32 on success). Wide, so that a
  // file named by the system opens whatever its name.
  virtual INT_PTR ShellExecute(HWND owner, const std::wstring& operation, const std::wstring& file,
                               const std::wstring& parameters, const std::wstring& directory,
                               int showCommand) = 0;
  INT_PTR ShellExecute(HWND owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand);
};

class IClipboard {
 public:
  virtual ~IClipboard() = default;
  virtual bool SetText(const std::string& text) = 0;
};

class IFileDialogs {
 public:
  virtual ~IFileDialogs() = default;
  // Common open/save dialogs. `filter` pairs names and patterns with "|" ("Text (*.txt)|*.txt");
  // `defaultExt` has no dot. `fileName` holds the initial name on entry and the chosen path on
  // success; false when the user cancelled. An empty `title` gives the system's own, an empty
  // `initialDir` the system's choice of folder.
  virtual bool OpenFile(HWND owner, const std::string& filter, const std::string& defaultExt,
                        std::string& fileName, const std::string& title = std::string(),
                        const std::string& initialDir = std::string()) = 0;
  virtual bool SaveFile(HWND owner, const std::string& filter, const std::string& defaultExt,
                        std::string& fileName, const std::string& title = std::string(),
                        const std::string& initialDir = std::string()) = 0;
};

namespace Seams {
IMessageBoxes& MessageBoxes();
IProcessStarter& Processes();
IShellOpener& Shell();
IClipboard& Clipboard();
IFileDialogs& FileDialogs();

// The real implementations, whatever is installed (a recording starter may pass calls on).
IMessageBoxes& RealMessageBoxes();
IProcessStarter& RealProcesses();
IShellOpener& RealShell();
IClipboard& RealClipboard();
IFileDialogs& RealFileDialogs();

// Install a replacement (tests); nullptr restores the real one. Safe to call from any thread.
void SetMessageBoxes(IMessageBoxes* impl);
void SetProcesses(IProcessStarter* impl);
void SetShell(IShellOpener* impl);
void SetClipboard(IClipboard* impl);
void SetFileDialogs(IFileDialogs* impl);
}  // namespace Seams
