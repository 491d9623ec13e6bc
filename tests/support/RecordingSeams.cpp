#include "RecordingSeams.h"

#include <chrono>

#include "system/Text.h"

int TRecordingMessageBoxes::Show(HWND owner, const std::string& text, const std::string& caption,
                                 UINT flags) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back({owner, text, caption, flags});
  if (!answers_.empty()) {
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  if (defaultAnswer_) return defaultAnswer_;
  switch (flags & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    case MB_RETRYCANCEL:
      return IDRETRY;
    default:
      return IDOK;
  }
}

void TRecordingMessageBoxes::QueueAnswer(int buttonId) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.push_back(buttonId);
}

void TRecordingMessageBoxes::SetDefaultAnswer(int buttonId) {
  std::lock_guard<std::mutex> lock(mutex_);
  defaultAnswer_ = buttonId;
}

std::vector<TMessageBoxCall> TRecordingMessageBoxes::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

size_t TRecordingMessageBoxes::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_.size();
}

void TRecordingMessageBoxes::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.clear();
  answers_.clear();
}

UINT TRecordingProcesses::WinExec(const std::string& commandLine, UINT showCommand) {
  TProcessCall call;
  call.CommandLine = commandLine;
  call.ShowCommand = showCommand;
  call.ThreadId = GetCurrentThreadId();
  bool really;
  UINT result;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    really = startForReal_;
    result = winExecResult_;
  }
  if (really) result = Seams::RealProcesses().WinExec(commandLine, showCommand);
  Record(call);  // after a real start, so a waiting test sees the process already started
  return result;
}

bool TRecordingProcesses::RunAndWait(const std::string& applicationPath,
                                     const std::string& commandLine) {
  TProcessCall call;
  call.Waited = true;
  call.ApplicationPath = applicationPath;
  call.CommandLine = commandLine;
  call.ThreadId = GetCurrentThreadId();
  bool really, result;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    really = startForReal_;
    result = runResult_;
  }
  if (really) result = Seams::RealProcesses().RunAndWait(applicationPath, commandLine);
  Record(call);
  return result;
}

void TRecordingProcesses::Record(TProcessCall call) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
  }
  changed_.notify_all();
}

void TRecordingProcesses::SetStartForReal(bool really) {
  std::lock_guard<std::mutex> lock(mutex_);
  startForReal_ = really;
}

void TRecordingProcesses::SetWinExecResult(UINT result) {
  std::lock_guard<std::mutex> lock(mutex_);
  winExecResult_ = result;
}

void TRecordingProcesses::SetRunResult(bool result) {
  std::lock_guard<std::mutex> lock(mutex_);
  runResult_ = result;
}

std::vector<TProcessCall> TRecordingProcesses::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

std::vector<std::string> TRecordingProcesses::CommandLines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> lines;
  for (const auto& c : calls_) lines.push_back(c.CommandLine);
  return lines;
}

size_t TRecordingProcesses::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_.size();
}

bool TRecordingProcesses::WaitForCalls(size_t count, DWORD timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return calls_.size() >= count; });
}

void TRecordingProcesses::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.clear();
}

INT_PTR TRecordingShell::ShellExecute(HWND owner, const std::wstring& operation,
                                      const std::wstring& file, const std::wstring& parameters,
                                      const std::wstring& directory, int showCommand) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back({owner, NarrowFrom(operation), NarrowFrom(file), NarrowFrom(parameters),
                    NarrowFrom(directory), showCommand});
  return result_;
}

void TRecordingShell::SetResult(INT_PTR result) {
  std::lock_guard<std::mutex> lock(mutex_);
  result_ = result;
}

std::vector<TShellCall> TRecordingShell::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

size_t TRecordingShell::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_.size();
}

bool TRecordingClipboard::SetText(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (result_) texts_.push_back(text);
  return result_;
}

void TRecordingClipboard::SetResult(bool result) {
  std::lock_guard<std::mutex> lock(mutex_);
  result_ = result;
}

std::vector<std::string> TRecordingClipboard::Texts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_;
}

std::string TRecordingClipboard::LastText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_.empty() ? std::string() : texts_.back();
}

bool TRecordingFileDialogs::OpenFile(HWND owner, const std::string& filter,
                                     const std::string& defaultExt, std::string& fileName,
                                     const std::string& title, const std::string& initialDir) {
  return Answer({false, owner, filter, defaultExt, fileName, title, initialDir}, fileName);
}

bool TRecordingFileDialogs::SaveFile(HWND owner, const std::string& filter,
                                     const std::string& defaultExt, std::string& fileName,
                                     const std::string& title, const std::string& initialDir) {
  return Answer({true, owner, filter, defaultExt, fileName, title, initialDir}, fileName);
}

bool TRecordingFileDialogs::Answer(TFileDialogCall call, std::string& fileName) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back(std::move(call));
  if (answers_.empty()) return false;
  const auto answer = answers_.front();
  answers_.pop_front();
  if (answer.first) fileName = answer.second;
  return answer.first;
}

void TRecordingFileDialogs::QueueFileName(const std::string& chosen) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.emplace_back(true, chosen);
}

void TRecordingFileDialogs::QueueCancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.emplace_back(false, std::string());
}

std::vector<TFileDialogCall> TRecordingFileDialogs::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

size_t TRecordingFileDialogs::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_.size();
}

TSeamGuard::TSeamGuard() {
  Seams::SetMessageBoxes(&MessageBoxes);
  Seams::SetProcesses(&Processes);
  Seams::SetShell(&Shell);
  Seams::SetClipboard(&Clipboard);
  Seams::SetFileDialogs(&FileDialogs);
}

TSeamGuard::~TSeamGuard() {
  Seams::SetMessageBoxes(nullptr);
  Seams::SetProcesses(nullptr);
  Seams::SetShell(nullptr);
  Seams::SetClipboard(nullptr);
  Seams::SetFileDialogs(nullptr);
}
