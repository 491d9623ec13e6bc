// Temporary-file cleaner against the system's own tree removal: 20,000 small files in 200 folders
// under the temporary folder, cleaned by the cleaner's folder routine with every line going to a
// visible memo through the same batched hand-over the page uses, then an identical tree removed
// by "cmd /c rd /s /q". Prints files per second for both and their ratio.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <thread>

#include "system/SysUtils.h"
#include "tempclean/TempCleaner.h"
#include "tempclean/TmpCleanFeed.h"
#include "toolkit/Memo.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/Sync.h"

namespace {

constexpr int kFolders = 200;
constexpr int kFilesPerFolder = 100;
constexpr int kFiles = kFolders * kFilesPerFolder;

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

bool MakeTree(const std::string& root) {
  if (!CreateDirectoryA(root.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return false;
  const std::string content(200, 'x');
  for (int d = 0; d < kFolders; ++d) {
    char dir[32];
    std::snprintf(dir, sizeof dir, "dir%03d\\", d);
    const std::string folder = root + dir;
    if (!CreateDirectoryA(folder.c_str(), nullptr)) return false;
    for (int f = 0; f < kFilesPerFolder; ++f) {
      char name[32];
      std::snprintf(name, sizeof name, "file%03d.tmp", f);
      HANDLE h = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h == INVALID_HANDLE_VALUE) return false;
      DWORD written = 0;
      WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
      CloseHandle(h);
    }
  }
  return true;
}

int CountFiles(const std::string& dir) {
  int n = 0;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? CountFiles(dir + name + "\\") : 1;
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return n;
}

// The page's view of the job, with the memo and label of a visible window.
class TBenchView : public ITmpCleanView {
 public:
  TBenchView(TMemo& memo, TLabel& label) : feed_(memo, label) {}
  void SetRunning(bool) override { feed_.Flush(); }
  void ClearLines() override { feed_.Flush(); }
  void AddLine(const std::wstring& line) override { feed_.AddLine(line); }
  void SetStatus(const std::string& text) override { feed_.SetStatus(text); }
  void Pulse() override { feed_.Pulse(); }

 private:
  TTmpCleanFeed feed_;
};

// Runs `work` on a worker thread while this (window) thread serves its hand-overs.
void RunOnWorker(void (*work)(void*), void* arg) {
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread worker([&] {
    work(arg);
    SetEvent(done);
  });
  while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  worker.join();
  CloseHandle(done);
}

struct TCleanRun {
  TBenchView* view;
  std::string root;
};

void Clean(void* p) {
  auto* run = static_cast<TCleanRun*>(p);
  TmpCleanState.Reset();
  TTempCleaner(*run->view).CleanTmpDir(run->root);
  run->view->SetRunning(false);  // the job's last hand-over
}

bool RunRd(const std::string& root) {
  std::string cmd = "cmd /c rd /s /q " + ExcludeTrailingBackslash(root);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &si, &pi))
    return false;
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  InitSynchronize();
  const std::string root = GetTempDir() + "VeldorBenchTempClean\\";
  if (GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES) RunRd(root);

  TForm form("TTempCleanBenchForm", false);
  form.SetClientSize(554, 379);
  TMemo memo(&form, 0, 0, 0, 0, true, false);
  TLabel label(&form, "临时文件清理...", 4, 360);
  memo.SetBounds(0, 0, 440, 350);
  ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
  TBenchView view(memo, label);

  if (!MakeTree(root)) {
    std::printf("could not build the tree under %s\n", root.c_str());
    return 1;
  }
  TCleanRun run{&view, root};
  double t0 = Now();
  RunOnWorker(Clean, &run);
  const double cleanSeconds = Now() - t0;
  const int cleanLeft = CountFiles(root);
  const int memoLines = memo.LineCount();
  RemoveDirectoryA(root.c_str());

  if (!MakeTree(root)) {
    std::printf("could not build the second tree under %s\n", root.c_str());
    return 1;
  }
  t0 = Now();
  const bool rdStarted = RunRd(root);
  const double rdSeconds = Now() - t0;
  const bool rdDone = GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES;

  const double cleanRate = (kFiles - cleanLeft) / cleanSeconds;
  const double rdRate = kFiles / rdSeconds;
  std::printf("%-36s %10s %10s\n", "run", "seconds", "files/s");
  std::printf("%-36s %10.2f %10.0f\n", "cleaner (CleanTmpDir + memo)", cleanSeconds, cleanRate);
  std::printf("%-36s %10.2f %10.0f\n", "cmd /c rd /s /q", rdSeconds, rdRate);
  std::printf("ratio, cleaner time to rd time (goal: 1.5 or less): %.2f\n", rdRate / cleanRate);
  std::printf("files: %d, left by the cleaner: %d, memo lines: %d, status: %s\n", kFiles, cleanLeft,
              memoLines, label.Caption().c_str());
  if (!rdStarted || !rdDone) std::printf("warning: rd did not remove the tree\n");
  return 0;
}
