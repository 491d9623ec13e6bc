// Registry cleaner scan against a bare walk: 100,000 string values in 10,000 keys under a scratch
// key (one in ten a missing file), scanned by the page itself (status text and message pump per
// value, rows into its grid), then walked by a bare loop (open, enumerate, query every value) and
// by "reg query /s". Prints the time of each and the ratios to the bare loop.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "regclean/RegCleanPage.h"
#include "TestHost.h"
#include "toolkit/Form.h"
#include "toolkit/PageControl.h"

namespace {

int kParents = 100;             // a first argument scales it down for quick runs
constexpr int kChildren = 100;  // keys per parent: 10,000 keys
constexpr int kValues = 10;     // values per key: 100,000 values
const char kScratch[] = "Software\\VeldorBench\\RegClean";

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

bool Fill() {
  SHDeleteKeyA(HKEY_CURRENT_USER, kScratch);
  char path[128], name[16], data[96];
  for (int p = 0; p < kParents; ++p)
    for (int c = 0; c < kChildren; ++c) {
      std::snprintf(path, sizeof path, "%s\\P%03d\\C%03d", kScratch, p, c);
      HKEY key = nullptr;
      if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return false;
      for (int v = 0; v < kValues; ++v) {
        std::snprintf(name, sizeof name, "Value%d", v);
        if (v == 0)  // one in ten: a missing file
          std::snprintf(data, sizeof data, "C:\\VeldorBenchMissing\\P%03d\\app%03d.exe", p, c);
        else if (v == 1)  // an existing file
          std::snprintf(data, sizeof data, "C:\\windows\\system32\\kernel32.dll");
        else
          std::snprintf(data, sizeof data, "Setting text %d of key %03d/%03d", v, p, c);
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                       static_cast<DWORD>(strlen(data) + 1));
      }
      RegCloseKey(key);
    }
  return true;
}

// The baseline: open every key, enumerate its values, query each one.
long BareWalk(HKEY parent, const char* sub) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, sub, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  long values = 0;
  char name[256];
  BYTE data[1024];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (RegEnumValueA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    DWORD type = 0, size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, data, &size) == ERROR_SUCCESS) ++values;
  }
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    values += BareWalk(key, name);
  }
  RegCloseKey(key);
  return values;
}

bool RegQuery() {
  char cmd[] = "reg.exe query HKCU\\Software\\VeldorBench\\RegClean /s";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
  si.hStdOutput = si.hStdError = nul;
  PROCESS_INFORMATION pi{};
  const bool ok =
      CreateProcessA(nullptr, cmd, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi) != 0;
  if (ok) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(nul);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) kParents = std::max(1, std::min(100, atoi(argv[1])));
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  std::printf("Filling %d keys with %d string values ...\n", kParents * kChildren,
              kParents * kChildren * kValues);
  if (!Fill()) {
    std::printf("could not fill the scratch key\n");
    return 1;
  }

  TForm form("TRegCleanBenchForm", false);
  form.SetClientSize(554, 379);
  TTestHost host(form);
  TPageControl pages(&form);
  pages.SetAlign(TAlign::Client);
  TTabSheet sheet(&pages, "4");
  sheet.SetTabVisible(false);
  pages.SetActivePage(&sheet);
  TRegCleanPage page(sheet, host);
  page.PrepareGrid();
  page.ScanRoots = {{"HKEY_CURRENT_USER", HKEY_CURRENT_USER, kScratch}};
  ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);

  const int runs = 3;
  double scan = 1e9, bare = 1e9, reg = 1e9;
  long bareValues = 0;
  int hits = 0;
  for (int r = 0; r < runs; ++r) {
    double t = Now();
    bareValues = BareWalk(HKEY_CURRENT_USER, kScratch);
    bare = std::min(bare, Now() - t);
    t = Now();
    page.btnStartClick();
    scan = std::min(scan, Now() - t);
    hits = page.StringGrid1.RowCount() - 1;
    t = Now();
    if (!RegQuery()) std::printf("reg.exe could not be started\n");
    reg = std::min(reg, Now() - t);
  }
  SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\VeldorBench");

  std::printf("\nbest of %d runs, %ld values, %d hits found\n", runs, bareValues, hits);
  std::printf("%-34s %10s %14s %8s\n", "walk", "seconds", "values/s", "ratio");
  const auto row = [&](const char* name, double s) {
    std::printf("%-34s %10.3f %14.0f %8.2f\n", name, s, bareValues / s, s / bare);
  };
  row("bare loop (open, enumerate, query)", bare);
  row("cleaner scan (page)", scan);
  row("reg query /s", reg);
  return 0;
}
