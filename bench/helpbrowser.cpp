// What the embedded browser costs and where: the main window built and shown (the baseline, which
// no longer creates the browser), the time the window thread spends in the online-upgrade link's
// handler, the first navigation (creating the control) and a later one, each until the control
// reports the new address. Median of several rounds, each with a fresh main window.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/HelpPages.h"
#include "app/UnitMain.h"
#include "toolkit/Sync.h"

namespace {
constexpr int kRounds = 7;

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done) {
  const double end = Now() + 20;
  while (!done()) {
    if (Now() > end) return false;
    Pump();
    Sleep(1);
  }
  return true;
}

std::wstring Wide(const char* ascii) {
  return std::wstring(ascii, ascii + strlen(ascii));
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                            ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  InitSynchronize();
  std::vector<double> window, handler, first, later;
  for (int round = 0; round < kRounds; ++round) {
    double t = Now();
    auto* form = new TFormMain();
    form->Show();
    Pump();
    window.push_back(Now() - t);

    TWebBrowser& browser = form->Help->WebBrowser1;
    t = Now();
    form->LinkLabel0301Click(form->LinkLabel0301.get());
    handler.push_back(Now() - t);
    if (!PumpUntil([&] { return browser.LocationURL() == Wide(HomePageUrl); })) {
      std::printf("the browser control did not navigate (state %d)\n", (int)browser.State());
      return 1;
    }
    first.push_back(Now() - t);

    t = Now();
    form->Help->Button1Click();
    if (!PumpUntil([&] { return browser.LocationURL() == Wide(DonateUrl); })) return 1;
    later.push_back(Now() - t);
    delete form;
    Pump();
  }
  const double base = Median(window);
  std::printf("%-46s %10s %8s\n", "step (median of 7)", "ms", "ratio");
  auto row = [&](const char* name, double seconds) {
    std::printf("%-46s %10.2f %8.3f\n", name, seconds * 1000, seconds / base);
  };
  row("main window built and shown (baseline)", base);
  row("upgrade link handler on the window thread", Median(handler));
  row("first navigation, control created", Median(first));
  row("  the same, first round (engine loaded)", first[0]);
  row("later navigation", Median(later));
  return 0;
}
