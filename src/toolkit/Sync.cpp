#include "toolkit/Sync.h"

#include <windows.h>

#include <exception>

namespace {
const UINT kRunMessage = WM_APP + 1;
HWND g_window = nullptr;
DWORD g_threadId = 0;

struct Call {
  const std::function<void()>* fn;
  std::exception_ptr error;
};

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kRunMessage) {
    auto* call = reinterpret_cast<Call*>(lParam);
    try {
      (*call->fn)();
    } catch (...) {
      call->error = std::current_exception();
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
}  // namespace

void InitSynchronize() {
  if (g_window) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TSynchronizeWindow";
  RegisterClassW(&wc);
  g_window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             wc.hInstance, nullptr);
  g_threadId = GetCurrentThreadId();
}

bool IsWindowThread() {
  return !g_window || GetCurrentThreadId() == g_threadId;
}

void Synchronize(const std::function<void()>& fn) {
  if (IsWindowThread()) {
    fn();
    return;
  }
  Call call{&fn, nullptr};
  SendMessageW(g_window, kRunMessage, 0, reinterpret_cast<LPARAM>(&call));
  if (call.error) std::rethrow_exception(call.error);
}
