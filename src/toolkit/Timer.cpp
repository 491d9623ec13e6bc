#include "toolkit/Timer.h"

#include "toolkit/Guarded.h"

TTimer::TTimer(UINT interval) : interval_(interval) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TTimerWindow";
    RegisterClassW(&wc);
    registered = true;
  }
  hwnd_ = CreateWindowExW(0, L"TTimerWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, (LONG_PTR)this);
}

TTimer::~TTimer() {
  if (hwnd_) {
    KillTimer(hwnd_, 1);
    DestroyWindow(hwnd_);
  }
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(UINT interval) {
  if (interval == interval_) return;
  interval_ = interval;
  Update();
}

void TTimer::Update() {
  KillTimer(hwnd_, 1);
  if (enabled_ && interval_ > 0) SetTimer(hwnd_, 1, interval_, nullptr);
}

LRESULT CALLBACK TTimer::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER) {
    auto* self = reinterpret_cast<TTimer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // A failing tick is dropped; the next one comes as usual.
    if (self && self->enabled_ && self->OnTimer) Guarded([&] { self->OnTimer(self); });
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
