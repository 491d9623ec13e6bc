// The program's one exit path from the tray menu: background loops are asked to stop once, and the
// message loop ends before the window is destroyed; an automatic backup under way ends with it.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include <tlhelp32.h>

#include "app/JobRunner.h"
#include "app/Settings.h"
#include "app/TrayIcon.h"
#include "app/UnitMain.h"
#include "regbackup/Rotation.h"
#include "support/RecordingSeams.h"
#include "support/Scratch.h"
#include "toolkit/Sync.h"

namespace {
bool PumpSeesQuit() {
  bool quit = false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      continue;
    }
    DispatchMessageW(&msg);
  }
  return quit;
}

// Registry editors this process started that are still running.
int RunningEditors() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == GetCurrentProcessId() &&
        lstrcmpiA(entry.szExeFile, "regedit.exe") == 0)
      ++count;
  CloseHandle(snapshot);
  return count;
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

TEST(ExitPath, AnExitDuringTheAutomaticBackupEndsTheEditorAndLeavesTheSlotsAsTheyWere) {
  InitSynchronize();
  TSeamGuard seams;
  Seams::SetProcesses(nullptr);  // the real editor
  TScratchDir dir(CurrentTestName());
  auto form = std::make_unique<TFormMain>();
  form->Show();
  PumpSeesQuit();
  const std::string old = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Old]\r\n";
  for (int slot = 1; slot <= 3; ++slot) WriteTextFile(dir.Path() + RotationSlotName(slot), old);
  const std::string ini = dir.Path() + "config.ini";
  WriteTextFile(ini, "[RunData]\r\nRegBackDate=20000101\r\n");
  RegBakDir = dir.Path();
  RotationDrop = 2;
  RegBackDateNote = {ini, BackupDateStamp()};
  form->StartJob(7);
  for (int i = 0; i < 500 && RunningEditors() == 0; ++i) Sleep(10);
  ASSERT_EQ(RunningEditors(), 1);

  const DWORD before = GetTickCount();
  form->Tray->PopupMenuIcon.Click("NIconExit");
  EXPECT_LT(GetTickCount() - before, 2000u);
  EXPECT_EQ(RunningEditors(), 0);
  EXPECT_EQ(ReadTextFile(dir.Path() + "reg1.reg"), old);
  EXPECT_FALSE(PathExists(dir.Path() + "reg1.reg.~1"));
  EXPECT_EQ(ReadTextFile(dir.Path() + "reg2.reg"), old) << "nothing dropped";
  EXPECT_EQ(TSettingsFile(ini).Read("RegBackDate", ""), "20000101");
  PumpSeesQuit();
  form.reset();
  PumpSeesQuit();
}
