// The program's one exit path from the tray menu: background loops are asked to stop once, and the
// message loop ends before the window is destroyed.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "app/TrayIcon.h"
#include "app/UnitMain.h"
#include "toolkit/Sync.h"

namespace {
bool PumpSeesQuit() {
  bool quit = false;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      continue;
    }
    DispatchMessageA(&msg);
  }
  return quit;
}
}  // namespace

TEST(ExitPath, TheMenuExitStopsBackgroundWorkOnceAndEndsTheLoopBeforeTheWindow) {
  InitSynchronize();
  auto form = std::make_unique<TFormMain>();
  form->Show();
  PumpSeesQuit();
  int stops = 0;
  static_cast<IHost&>(*form).AddStopHook([&] { ++stops; });

  form->Tray->PopupMenuIcon.Click("NIconExit");
  EXPECT_TRUE(form->Closing());
  EXPECT_EQ(stops, 1);
  EXPECT_TRUE(PumpSeesQuit());
  EXPECT_TRUE(IsWindow(form->Handle())) << "the window outlives the loop";

  // A close that follows finds the loops already stopped.
  form->Close();
  PumpSeesQuit();
  EXPECT_EQ(stops, 1);
  form.reset();
  PumpSeesQuit();
}
