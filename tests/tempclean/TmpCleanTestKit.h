// Shared pieces of the cleaner tests: a view recording what the job reports, file makers, an own
// temporary folder, and running a job on a worker while this thread serves its hand-overs.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/Scratch.h"
#include "support/WineUnix.h"
#include "system/SysUtils.h"
#include "system/Text.h"
#include "tempclean/TempCleaner.h"

namespace tempclean_test {

// Events as text: "run", "idle", "clear", "line:<text>", "status:<text>".
class TRecordingView : public ITmpCleanView {
 public:
  void SetRunning(bool running) override { Add(running ? "run" : "idle"); }
  void ClearLines() override { Add("clear"); }
  // Recorded in code page 936, as the program's own texts are written.
  void AddLine(const std::wstring& line) override {
    Add("line:" + NarrowFrom(line));
    if (OnLine) OnLine();
  }
  void SetStatus(const std::string& text) override { Add("status:" + text); }
  std::vector<std::string> Events() const {
    std::lock_guard<std::mutex> hold(lock_);
    return events_;
  }
  std::vector<std::string> Lines(const char* kind = "line:") const {
    std::vector<std::string> out;
    for (const auto& e : Events())
      if (e.rfind(kind, 0) == 0) out.push_back(e.substr(std::string(kind).size()));
    return out;
  }
  std::string LastStatus() const { return Lines("status:").back(); }
  std::function<void()> OnLine;

 private:
  void Add(const std::string& e) {
    std::lock_guard<std::mutex> hold(lock_);
    events_.push_back(e);
  }
  mutable std::mutex lock_;
  std::vector<std::string> events_;
};

inline void MakeFile(const std::string& path, DWORD size, DWORD attributes = 0) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
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
  return static_cast<int>(std::count(v.begin(), v.end(), s));
}

inline bool IsSummary(const std::string& line) {
  return line.rfind("临时文件清理完成,共成功删除了", 0) == 0;
}

// Runs `work` on a worker thread while this window thread serves Synchronize.
inline void RunOnWorker(const std::function<void()>& work) {
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread worker([&] {
    work();
    SetEvent(done);
  });
  MSG msg;
  while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  worker.join();
  CloseHandle(done);
}

// Removes a test's folder tree with Win32 calls (the trees here hold no links; one would be left
// alone). Keeps the Unix tools of support/WineUnix for the link test only.
inline void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName, path = dir + name;
      if (name == "." || name == ".." || (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        continue;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path + "\\");
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

// A folder made for one test in a fixed place (the Windows folder, the root of C:) and removed
// with all it holds at the end.
class TFixedPlaceDir {
 public:
  explicit TFixedPlaceDir(const std::string& path) : path_(path) {
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TFixedPlaceDir() { RemoveTree(path_); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Points this process's temporary folder (TMP and TEMP, read by GetTempPathA) at a folder of its
// own while a job runs, so the job's full clean of it cannot reach what other test programs keep
// in the prefix's temporary folder at the same time.
class TOwnTempFolder {
 public:
  TOwnTempFolder() : dir_(GetTempDir() + "VeldorTest_TempCleanHome\\") {
    for (int i = 0; i < 2; ++i) {
      saved_[i].resize(MAX_PATH);
      saved_[i].resize(GetEnvironmentVariableA(kNames[i], saved_[i].data(), MAX_PATH));
      SetEnvironmentVariableA(kNames[i], dir_.Path().c_str());
    }
  }
  ~TOwnTempFolder() {
    for (int i = 0; i < 2; ++i)
      SetEnvironmentVariableA(kNames[i], saved_[i].empty() ? nullptr : saved_[i].c_str());
  }
  const std::string& Path() const { return dir_.Path(); }

 private:
  static constexpr const char* kNames[2] = {"TMP", "TEMP"};
  TFixedPlaceDir dir_;
  std::string saved_[2];
};

}  // namespace tempclean_test
