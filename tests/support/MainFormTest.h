// The real main window for tests that use it through its links: built and shown before each test,
// destroyed after it, with the thread's window messages run in between.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>

#include "app/UnitMain.h"
#include "toolkit/Sync.h"

namespace testsupport {
// Runs the thread's pending window messages. A quit request is dropped: the main form's end must
// not stop later tests.
inline void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Runs window messages until `done` says so; false when the time ran out first.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    PumpMessages();
    Sleep(5);
  }
  return true;
}
}  // namespace testsupport

class TMainFormTest : public testing::Test {
 protected:
  void SetUp() override {
    InitSynchronize();
    form = std::make_unique<TFormMain>();
    form->Show();
    testsupport::PumpMessages();
  }
  void TearDown() override {
    form.reset();
    testsupport::PumpMessages();
  }
  // A click on a link as the mouse makes it.
  static void Click(TLinkLabel* link) {
    SendMessageA(link->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(link->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }

  std::unique_ptr<TFormMain> form;
};
