// Drives Veldor's windows from outside, as a person would: used by the screenshot script to open
// pages and press buttons before taking a picture.
//   uidrive wait TITLE          exit 0 once a top-level window with that title exists (30 s)
//   uidrive rect TITLE          print "x y width height" of that window
//   uidrive click CAPTION       click the first visible control with that window text
//   uidrive link CAPTION        click the navigation link with that caption (a panel title may
//                               carry the same text)
//   uidrive tab CAPTION         select the tab with that caption
//   uidrive close TITLE         ask that window to close
//   uidrive checked ITEM        print 1 or 0: the check state of a list box item with that text
//   uidrive tray left|right     click the main window's notification-area icon (the pointer is
//                               put in the window first, so a menu opens where a picture shows it)
// Texts are compared wide, as the arguments come (Wine turns them from the locale's encoding), so
// it works whatever the system's code page.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {
std::wstring g_text;
HWND g_found = nullptr;

std::wstring TextOf(HWND h) {
  wchar_t buf[512] = L"";
  GetWindowTextW(h, buf, 512);
  return buf;
}

BOOL CALLBACK FindTop(HWND h, LPARAM) {
  if (TextOf(h) == g_text && IsWindowVisible(h)) {
    g_found = h;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindChild(HWND h, LPARAM onlyClass) {
  wchar_t cls[64] = L"";
  GetClassNameW(h, cls, 64);
  if (onlyClass && lstrcmpiW(cls, reinterpret_cast<const wchar_t*>(onlyClass)) != 0) return TRUE;
  if (TextOf(h) == g_text && IsWindowVisible(h)) {
    g_found = h;
    return FALSE;
  }
  return TRUE;
}

// Tab items live in the program's memory: read them through a block borrowed in that process.
struct TRemoteBlock {
  HANDLE process = nullptr;
  char* base = nullptr;
  explicit TRemoteBlock(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process)
      base = static_cast<char*>(
          VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  ~TRemoteBlock() {
    if (base) VirtualFreeEx(process, base, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
  }
};

std::wstring TabText(HWND tabs, TRemoteBlock& remote, int index) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = reinterpret_cast<wchar_t*>(remote.base + 512);
  item.cchTextMax = 256;
  WriteProcessMemory(remote.process, remote.base, &item, sizeof item, nullptr);
  SendMessageW(tabs, TCM_GETITEMW, index, (LPARAM)remote.base);
  wchar_t buf[257] = L"";
  ReadProcessMemory(remote.process, remote.base + 512, buf, 256 * sizeof(wchar_t), nullptr);
  return buf;
}

BOOL CALLBACK FindTab(HWND h, LPARAM) {
  wchar_t cls[64] = L"";
  GetClassNameW(h, cls, 64);
  if (lstrcmpiW(cls, WC_TABCONTROLW) != 0 || !IsWindowVisible(h)) return TRUE;
  TRemoteBlock remote(h);
  if (!remote.base) return TRUE;
  int n = TabCtrl_GetItemCount(h);
  for (int i = 0; i < n; ++i) {
    if (TabText(h, remote, i) != g_text) continue;
    // Click the tab where it is drawn, so the program sees what a user's click gives it.
    SendMessageA(h, TCM_GETITEMRECT, i, (LPARAM)remote.base);
    RECT r{};
    ReadProcessMemory(remote.process, remote.base, &r, sizeof r, nullptr);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(h, WM_LBUTTONUP, 0, at);
    g_found = h;
    return FALSE;
  }
  return TRUE;
}

// A check list box keeps each item's state as the item's data (1 checked, 0 not).
int g_checked = -1;
BOOL CALLBACK FindListItem(HWND h, LPARAM) {
  wchar_t cls[64] = L"";
  GetClassNameW(h, cls, 64);
  if (lstrcmpiW(cls, L"LISTBOX") != 0 || !IsWindowVisible(h)) return TRUE;
  const LRESULT index = SendMessageW(h, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)g_text.c_str());
  if (index == LB_ERR) return TRUE;
  g_checked = SendMessageA(h, LB_GETITEMDATA, index, 0) != 0 ? 1 : 0;
  return FALSE;
}

HWND Top(const wchar_t* title) {
  g_text = title;
  g_found = nullptr;
  EnumWindows(FindTop, 0);
  return g_found;
}

HWND MainWindow() {
  return Top(L"Veldor 1.2");
}
}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 3) {
    std::fprintf(stderr, "usage: uidrive wait|rect|click|link|tab|close|checked|tray TEXT\n");
    return 2;
  }
  const std::wstring verb = argv[1];
  const wchar_t* text = argv[2];
  if (verb == L"wait") {
    for (int i = 0; i < 300; ++i) {
      if (Top(text)) return 0;
      Sleep(100);
    }
    return 1;
  }
  if (verb == L"rect" || verb == L"close") {
    HWND h = Top(text);
    if (!h) return 1;
    if (verb == L"close") {
      PostMessageA(h, WM_CLOSE, 0, 0);
      return 0;
    }
    RECT r;
    GetWindowRect(h, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  HWND main = MainWindow();
  if (!main) return 1;
  g_text = text;
  g_found = nullptr;
  if (verb == L"tray") {
    RECT r;
    GetWindowRect(main, &r);
    SetCursorPos(r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2);
    const LPARAM mouse = std::wstring(text) == L"right" ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    PostMessageA(main, WM_USER + 1, 1, mouse);
    Sleep(500);
    // Point at the first item, as a user about to choose would.
    SetCursorPos(r.left + (r.right - r.left) / 2 + 20, r.top + (r.bottom - r.top) / 2 + 10);
    Sleep(300);
    return 0;
  }
  if (verb == L"tab") {
    EnumChildWindows(main, FindTab, 0);
    return g_found ? 0 : 1;
  }
  if (verb == L"checked") {
    EnumChildWindows(main, FindListItem, 0);
    if (g_checked < 0) return 1;
    std::printf("%d\n", g_checked);
    return 0;
  }
  if (verb == L"click" || verb == L"link") {
    EnumChildWindows(main, FindChild, verb == L"link" ? (LPARAM)L"TLinkLabel" : 0);
    if (!g_found) return 1;
    wchar_t cls[64] = L"";
    GetClassNameW(g_found, cls, 64);
    // Posted, not sent: a click that opens a message box must not hold this driver.
    if (lstrcmpiW(cls, L"BUTTON") == 0) {
      PostMessageA(g_found, BM_CLICK, 0, 0);
    } else {
      PostMessageA(g_found, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      PostMessageA(g_found, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    Sleep(300);
    return 0;
  }
  return 2;
}
