#include "toolkit/Application.h"

#include <windows.h>

#include "system/SysUtils.h"

TApplication Application;

namespace {
// Everything a window can be waiting for; raw input is left out, as systems before XP refuse to
// answer a question that names it.
constexpr UINT kPendingKinds =
    QS_KEY | QS_MOUSE | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY;
}  // namespace

void TApplication::ProcessMessages() {
  // Long loops on the window thread call this after every item. Asking whether anything waits is
  // cheaper than an empty PeekMessage (which also gives up the processor), so the queue is only
  // emptied when it holds something, and in any case a few times a second, so that input the
  // windowing system has not queued yet is not held back for long.
  const DWORD now = GetTickCount();
  if (HIWORD(GetQueueStatus(kPendingKinds)) == 0 && now - lastFullLook_ < 100) return;
  lastFullLook_ = now;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage((int)msg.wParam);  // keep it for the main loop
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int TApplication::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    if (top && IsDialogMessageW(top, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return (int)msg.wParam;
}

std::string TApplication::ExeName() const {
  return ExeFileName();
}

std::wstring TApplication::ExeNameW() const {
  return ExeFileNameW();
}
