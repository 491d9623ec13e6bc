// Work handed to a worker while the window thread keeps running its messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>

#include "toolkit/Responsive.h"

TEST(RunWhileResponsive, AQuitRequestEndsTheWaitAndStaysQueuedForTheMainLoop) {
  auto done = std::make_shared<std::atomic<bool>>(false);
  PostQuitMessage(3);
  EXPECT_FALSE(RunWhileResponsive(
      [done] {
        Sleep(300);
        *done = true;
      },
      nullptr));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  // The abandoned work still ends on its own.
  for (int i = 0; i < 100 && !*done; ++i) Sleep(20);
  EXPECT_TRUE(*done);

  int ticks = 0;
  EXPECT_TRUE(RunWhileResponsive([] { Sleep(150); }, [&] { ++ticks; }));
  EXPECT_GT(ticks, 0);
  EXPECT_TRUE(RunWhileResponsive([] { throw 1; }, nullptr)) << "a failing work still ends";
}
