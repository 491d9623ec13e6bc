#include "toolkit/Responsive.h"

#include <windows.h>

#include <memory>

#include "system/Handles.h"
#include "toolkit/Guarded.h"

namespace {
DWORD WINAPI WorkEntry(LPVOID param) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(param));
  Guarded([&] { (*work)(); });
  return 0;
}

// Dispatches what is queued; false when a quit request came (it is put back for the main loop).
bool DispatchPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    if (top && IsDialogMessageW(top, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}
}  // namespace

bool RunWhileResponsive(std::function<void()> work, const std::function<void()>& whileWaiting) {
  auto owned = std::make_unique<std::function<void()>>(std::move(work));
  TKernelHandle thread(CreateThread(nullptr, 0, WorkEntry, owned.get(), 0, nullptr));
  if (!thread) {
    Guarded([&] { (*owned)(); });  // no thread to be had: the work still gets done
    return true;
  }
  owned.release();  // the thread frees it
  bool finished = false;
  const HANDLE running = thread.get();
  for (;;) {
    if (MsgWaitForMultipleObjects(1, &running, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) {
      finished = true;
      break;
    }
    if (!DispatchPending()) break;
    if (whileWaiting) whileWaiting();
  }
  return finished;
}
