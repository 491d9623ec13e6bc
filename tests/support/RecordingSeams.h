// Recording stand-ins for the seams in system/Seams.h, for every test area. Each records what the
// program asked for and answers from what the test set up. Recording is thread-safe: workers call
// WinExec from their own threads.
//
//   TSeamGuard seams;                     // installs all five; the real ones return at scope exit
//   seams.MessageBoxes.QueueAnswer(IDNO);
//   ... run the code ...
//   EXPECT_EQ(seams.Processes.CommandLines(), ...);
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "system/Seams.h"

struct TMessageBoxCall {
  HWND Owner = nullptr;
  std::string Text;
  std::string Caption;
  UINT Flags = 0;
};

class TRecordingMessageBoxes : public IMessageBoxes {
 public:
  int Show(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
  // Answers given in order; when none is queued the default answer is used.
  void QueueAnswer(int buttonId);
  // 0 (the default) answers the box's first button: IDOK, IDYES, IDABORT or IDRETRY.
  void SetDefaultAnswer(int buttonId);
  std::vector<TMessageBoxCall> Calls() const;
  size_t Count() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<TMessageBoxCall> calls_;
  std::deque<int> answers_;
  int defaultAnswer_ = 0;
};

struct TProcessCall {
  bool Waited = false;          // RunAndWait rather than WinExec
  std::string ApplicationPath;  // RunAndWait only
  std::string CommandLine;
  UINT ShowCommand = 0;  // WinExec only
  DWORD ThreadId = 0;    // the thread that asked
};

class TRecordingProcesses : public IProcessStarter {
 public:
  UINT WinExec(const std::string& commandLine, UINT showCommand) override;
  bool RunAndWait(const std::string& applicationPath, const std::string& commandLine) override;
  // Also start every process for real through the real starter, returning its results.
  void SetStartForReal(bool really);
  void SetWinExecResult(UINT result);  // when not started for real; default 33 (success)
  void SetRunResult(bool result);      // when not started for real; default true
  std::vector<TProcessCall> Calls() const;
  std::vector<std::string> CommandLines() const;
  size_t Count() const;
  // Waits until at least `count` calls were recorded (from any thread); false on timeout.
  bool WaitForCalls(size_t count, DWORD timeoutMs) const;
  void Clear();

 private:
  void Record(TProcessCall call);
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<TProcessCall> calls_;
  bool startForReal_ = false;
  UINT winExecResult_ = 33;
  bool runResult_ = true;
};

struct TShellCall {
  HWND Owner = nullptr;
  std::string Operation, File, Parameters, Directory;
  int ShowCommand = 0;
};

// Records the texts in code page 936, as the program's own texts are written.
class TRecordingShell : public IShellOpener {
 public:
  using IShellOpener::ShellExecute;
  INT_PTR ShellExecute(HWND owner, const std::wstring& operation, const std::wstring& file,
                       const std::wstring& parameters, const std::wstring& directory,
                       int showCommand) override;
  void SetResult(INT_PTR result);  // default 42 (success)
  std::vector<TShellCall> Calls() const;
  size_t Count() const;

 private:
  mutable std::mutex mutex_;
  std::vector<TShellCall> calls_;
  INT_PTR result_ = 42;
};

class TRecordingClipboard : public IClipboard {
 public:
  bool SetText(const std::string& text) override;
  void SetResult(bool result);  // default true
  std::vector<std::string> Texts() const;
  std::string LastText() const;  // "" when nothing was copied

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
  bool result_ = true;
};

struct TFileDialogCall {
  bool Save = false;
  HWND Owner = nullptr;
  std::string Filter, DefaultExt, InitialName, Title, InitialDir;
};

class TRecordingFileDialogs : public IFileDialogs {
 public:
  bool OpenFile(HWND owner, const std::string& filter, const std::string& defaultExt,
                std::string& fileName, const std::string& title,
                const std::string& initialDir) override;
  bool SaveFile(HWND owner, const std::string& filter, const std::string& defaultExt,
                std::string& fileName, const std::string& title,
                const std::string& initialDir) override;
  // Answers in order, for open and save alike; with none queued the user cancels.
  void QueueFileName(const std::string& chosen);
  void QueueCancel();
  std::vector<TFileDialogCall> Calls() const;
  size_t Count() const;

 private:
  bool Answer(TFileDialogCall call, std::string& fileName);
  mutable std::mutex mutex_;
  std::vector<TFileDialogCall> calls_;
  std::deque<std::pair<bool, std::string>> answers_;  // (chosen, name)
};

// Installs a full set of recorders for its lifetime, then puts the real seams back.
class TSeamGuard {
 public:
  TSeamGuard();
  ~TSeamGuard();
  TSeamGuard(const TSeamGuard&) = delete;
  TSeamGuard& operator=(const TSeamGuard&) = delete;

  TRecordingMessageBoxes MessageBoxes;
  TRecordingProcesses Processes;
  TRecordingShell Shell;
  TRecordingClipboard Clipboard;
  TRecordingFileDialogs FileDialogs;
};
