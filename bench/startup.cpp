// Start-up time of veldor.exe against a bare Win32 program that only opens a window, under the
// same system in the same run: each is started fifteen times, alternately; the time from the
// process start to its first visible top-level window is taken, then the window is closed. Prints
// every run, both medians and their ratio. Also notes when the system reports Veldor idle for input
// (WaitForInputIdle: first page shown, message loop waiting; Wine reports it late, so it is an
// upper bound).
//   bench_startup.exe [veldor.exe [bare_window.exe]]   (defaults: next to this program and one up)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 15;

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

std::string ThisFolder() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.rfind('\\') + 1);
}

struct TFind {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM param) {
  auto* f = reinterpret_cast<TFind*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == f->pid && IsWindowVisible(hwnd) && !GetWindow(hwnd, GW_OWNER)) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct TRun {
  double visibleMs = -1;
  double readyMs = -1;
};

// Starts the program, waits for its visible window (at most 20 s), closes it.
TRun TimeOne(const std::string& exe) {
  TRun run;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string command = "\"" + exe + "\"";
  const double start = Now();
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi))
    return run;
  TFind find{pi.dwProcessId, nullptr};
  while (!find.found && Now() - start < 20000) {
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&find));
    if (!find.found) Sleep(1);
  }
  if (find.found) {
    run.visibleMs = Now() - start;
    if (WaitForInputIdle(pi.hProcess, 20000) == 0) run.readyMs = Now() - start;
    PostMessageA(find.found, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return run;
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string here = ThisFolder();
  const std::string veldor = argc > 1 ? argv[1] : here + "..\\veldor.exe";
  const std::string bare = argc > 2 ? argv[2] : here + "bench_bare_window.exe";
  if (GetFileAttributesA(veldor.c_str()) == INVALID_FILE_ATTRIBUTES ||
      GetFileAttributesA(bare.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::printf("missing %s or %s\n", veldor.c_str(), bare.c_str());
    return 1;
  }
  // One start of each first, so neither pays for warming up the system alone.
  TimeOne(bare);
  TimeOne(veldor);
  std::vector<double> bareMs, veldorMs, readyMs;
  std::printf("%-4s %14s %14s %16s\n", "run", "bare (ms)", "veldor (ms)", "input idle (ms)");
  for (int i = 0; i < kRuns; ++i) {
    const TRun b = TimeOne(bare);
    const TRun v = TimeOne(veldor);
    if (b.visibleMs >= 0) bareMs.push_back(b.visibleMs);
    if (v.visibleMs >= 0) veldorMs.push_back(v.visibleMs);
    if (v.readyMs >= 0) readyMs.push_back(v.readyMs);
    std::printf("%-4d %14.1f %14.1f %16.1f\n", i + 1, b.visibleMs, v.visibleMs, v.readyMs);
  }
  const double b = Median(bareMs), v = Median(veldorMs);
  std::printf("%-4s %14.1f %14.1f %16.1f\n", "med", b, v, Median(readyMs));
  if (b <= 0 || v <= 0) {
    std::printf("a program showed no window\n");
    return 1;
  }
  std::printf("ratio veldor / bare: %.2f\n", v / b);
  return 0;
}
