// Shared pieces of the temporary-file cleaner tests: a view that records what the job reports,
// file makers, and running a job on a worker while this thread serves its hand-overs.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tempclean/TempCleaner.h"

namespace tempclean_test {

// Events as text: "run", "idle", "clear", "line:<text>", "status:<text>".
class TRecordingView : public ITmpCleanView {
 public:
  void SetRunning(bool running) override { Add(running ? "run" : "idle"); }
  void ClearLines() override { Add("clear"); }
  void AddLine(const std::string& line) override {
    Add("line:" + line);
    if (OnLine) OnLine(line);
  }
  void SetStatus(const std::string& text) override { Add("status:" + text); }

  std::vector<std::string> Events() const {
    std::lock_guard<std::mutex> hold(lock_);
    return events_;
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    for (const auto& e : Events())
      if (e.rfind("line:", 0) == 0) out.push_back(e.substr(5));
    return out;
  }
  std::string LastStatus() const {
    std::string last;
    for (const auto& e : Events())
      if (e.rfind("status:", 0) == 0) last = e.substr(7);
    return last;
  }
  std::function<void(const std::string&)> OnLine;  // runs on the reporting thread

 private:
  void Add(const std::string& e) {
    std::lock_guard<std::mutex> hold(lock_);
    events_.push_back(e);
  }
  mutable std::mutex lock_;
  std::vector<std::string> events_;
};

inline void MakeFile(const std::string& path, DWORD size, DWORD attributes = 0) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  std::string data(size, 'v');
  DWORD written = 0;
  WriteFile(h, data.data(), size, &written, nullptr);
  CloseHandle(h);
  if (attributes) SetFileAttributesA(path.c_str(), attributes);
}

inline bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline int Count(const std::vector<std::string>& v, const std::string& s) {
  int n = 0;
  for (const auto& x : v) n += x == s;
  return n;
}

// Runs `work` on a worker thread while this window thread serves Synchronize; `tick` runs on
// this thread between messages.
inline void RunOnWorker(const std::function<void()>& work,
                        const std::function<void()>& tick = nullptr) {
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread worker([&] {
    work();
    SetEvent(done);
  });
  while (MsgWaitForMultipleObjects(1, &done, FALSE, 20, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (tick) tick();
  }
  worker.join();
  CloseHandle(done);
}

}  // namespace tempclean_test
