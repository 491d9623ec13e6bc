// A handler that throws must not end the program: the window and its timers go on working.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ControlsHost.h"
#include "toolkit/Button.h"
#include "toolkit/Timer.h"

namespace {
class EntryPoints : public TControlsHost {};

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    PumpMessages();
    Sleep(10);
  }
}
}  // namespace

TEST_F(EntryPoints, ThrowingClickAndTimerHandlersLeaveTheWindowWorking) {
  TButton button(&Form(), "OK", 10, 10, 80, 24);
  int clicks = 0;
  button.OnClick = [&](TControl*) {
    ++clicks;
    throw std::runtime_error("click");
  };
  // The click comes back as a notification through the system's window code.
  SendMessageA(button.Handle(), BM_CLICK, 0, 0);
  SendMessageA(button.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(IsWindow(Form().Handle()));

  TTimer timer(20);
  int ticks = 0;
  timer.OnTimer = [&](TTimer*) {
    ++ticks;
    throw 42;
  };
  timer.SetEnabled(true);
  PumpFor(200);
  EXPECT_GE(ticks, 2) << "the timer goes on after a failing tick";
  timer.SetEnabled(false);

  button.OnClick = [&](TControl*) { clicks += 10; };
  SendMessageA(button.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 12);
}
