// Drives Veldor's windows from outside, as a person would: used by the screenshot script to open
// pages and press buttons before taking a picture.
//   uidrive wait TITLE          exit 0 once a top-level window with that title exists (30 s)
//   uidrive rect TITLE          print "x y width height" of that window
//   uidrive click CAPTION       click the first visible control with that window text
//   uidrive tab CAPTION         select the tab with that caption
//   uidrive close TITLE         ask that window to close
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {
std::string g_text;
HWND g_found = nullptr;

std::string TextOf(HWND h) {
  char buf[512] = "";
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

BOOL CALLBACK FindTop(HWND h, LPARAM) {
  if (TextOf(h) == g_text && IsWindowVisible(h)) {
    g_found = h;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindChild(HWND h, LPARAM) {
  if (TextOf(h) == g_text && IsWindowVisible(h)) {
    g_found = h;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindTab(HWND h, LPARAM) {
  char cls[64] = "";
  GetClassNameA(h, cls, sizeof cls);
  if (lstrcmpiA(cls, WC_TABCONTROLA) != 0 || !IsWindowVisible(h)) return TRUE;
  int n = TabCtrl_GetItemCount(h);
  for (int i = 0; i < n; ++i) {
    char buf[256] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    SendMessageA(h, TCM_GETITEMA, i, (LPARAM)&item);
    if (g_text == buf) {
      TabCtrl_SetCurSel(h, i);
      NMHDR hdr{h, (UINT_PTR)GetDlgCtrlID(h), (UINT)TCN_SELCHANGE};
      SendMessageA(GetParent(h), WM_NOTIFY, hdr.idFrom, (LPARAM)&hdr);
      g_found = h;
      return FALSE;
    }
  }
  return TRUE;
}

HWND Top(const char* title) {
  g_text = title;
  g_found = nullptr;
  EnumWindows(FindTop, 0);
  return g_found;
}

HWND MainWindow() {
  return Top("Veldor 1.2");
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: uidrive wait|rect|click|tab|close TEXT\n");
    return 2;
  }
  std::string verb = argv[1];
  const char* text = argv[2];
  if (verb == "wait") {
    for (int i = 0; i < 300; ++i) {
      if (Top(text)) return 0;
      Sleep(100);
    }
    return 1;
  }
  if (verb == "rect" || verb == "close") {
    HWND h = Top(text);
    if (!h) return 1;
    if (verb == "close") {
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
  if (verb == "tab") {
    EnumChildWindows(main, FindTab, 0);
    return g_found ? 0 : 1;
  }
  if (verb == "click") {
    EnumChildWindows(main, FindChild, 0);
    if (!g_found) return 1;
    char cls[64] = "";
    GetClassNameA(g_found, cls, sizeof cls);
    if (lstrcmpiA(cls, "BUTTON") == 0) {
      SendMessageA(g_found, BM_CLICK, 0, 0);
    } else {
      SendMessageA(g_found, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      SendMessageA(g_found, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    Sleep(300);
    return 0;
  }
  return 2;
}
