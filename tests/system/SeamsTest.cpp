// The real seams against Wine (processes, clipboard, a real file dialog driven from a second
// thread) and the recording stand-ins every test area relies on.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "support/RecordingSeams.h"
#include "support/Scratch.h"
#include "system/SysUtils.h"

namespace {

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

std::string ChildCommand(const std::string& test) {
  return "\"" + ExeFileName() + "\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
}

std::atomic<int> gHandled{0};

LRESULT CALLBACK CountingWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP + 7) ++gHandled;
  return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace

// Run only as a child process by the tests below.
TEST(SeamsChild, DISABLED_SleepABit) {
  Sleep(700);
}

TEST(Seams, GuardInstallsRecordersAndRestoresTheRealOnes) {
  {
    TSeamGuard seams;
    EXPECT_EQ(&Seams::MessageBoxes(), &seams.MessageBoxes);
    EXPECT_EQ(&Seams::Processes(), &seams.Processes);
    EXPECT_EQ(&Seams::Shell(), &seams.Shell);
    EXPECT_EQ(&Seams::Clipboard(), &seams.Clipboard);
    EXPECT_EQ(&Seams::FileDialogs(), &seams.FileDialogs);
  }
  EXPECT_EQ(&Seams::MessageBoxes(), &Seams::RealMessageBoxes());
  EXPECT_EQ(&Seams::Processes(), &Seams::RealProcesses());
  EXPECT_EQ(&Seams::Shell(), &Seams::RealShell());
  EXPECT_EQ(&Seams::Clipboard(), &Seams::RealClipboard());
  EXPECT_EQ(&Seams::FileDialogs(), &Seams::RealFileDialogs());
}

TEST(Seams, MessageBoxesAnswerFromTheQueueThenByButtons) {
  TSeamGuard seams;
  seams.MessageBoxes.QueueAnswer(IDNO);
  EXPECT_EQ(Seams::MessageBoxes().Show(nullptr, "删除?", "提示", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(Seams::MessageBoxes().Show(nullptr, "again", "提示", MB_YESNO), IDYES);
  EXPECT_EQ(Seams::MessageBoxes().Show(nullptr, "done", "信息", MB_OK), IDOK);
  EXPECT_EQ(Seams::MessageBoxes().Show(nullptr, "retry", "", MB_RETRYCANCEL), IDRETRY);
  seams.MessageBoxes.SetDefaultAnswer(IDCANCEL);
  EXPECT_EQ(Seams::MessageBoxes().Show(nullptr, "x", "", MB_YESNOCANCEL), IDCANCEL);
  const auto calls = seams.MessageBoxes.Calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].Text, "删除?");
  EXPECT_EQ(calls[0].Caption, "提示");
  EXPECT_EQ(calls[0].Flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

TEST(Seams, ProcessRecorderIsSafeAcrossThreads) {
  TSeamGuard seams;
  constexpr int kThreads = 4, kEach = 50;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t)
    workers.emplace_back([t] {
      for (int i = 0; i < kEach; ++i)
        Seams::Processes().WinExec("cmd " + std::to_string(t) + " " + std::to_string(i), 5);
    });
  EXPECT_TRUE(seams.Processes.WaitForCalls(kThreads * kEach, 10000));
  for (auto& w : workers) w.join();
  EXPECT_EQ(seams.Processes.Count(), static_cast<size_t>(kThreads * kEach));
  EXPECT_FALSE(seams.Processes.WaitForCalls(kThreads * kEach + 1, 50));

  seams.Processes.Clear();
  seams.Processes.SetWinExecResult(2);
  seams.Processes.SetRunResult(false);
  EXPECT_EQ(Seams::Processes().WinExec("regedit.exe /e C:\\a.reg", 5), 2u);
  EXPECT_FALSE(Seams::Processes().RunAndWait("C:\\x.exe", "x.exe /s"));
  const auto calls = seams.Processes.Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_FALSE(calls[0].Waited);
  EXPECT_EQ(calls[0].ShowCommand, 5u);
  EXPECT_EQ(calls[0].ThreadId, GetCurrentThreadId());
  EXPECT_TRUE(calls[1].Waited);
  EXPECT_EQ(calls[1].ApplicationPath, "C:\\x.exe");
  EXPECT_EQ(seams.Processes.CommandLines()[1], "x.exe /s");
}

TEST(Seams, RecorderCanAlsoStartForReal) {
  TScratchDir dir(CurrentTestName());
  TSeamGuard seams;
  seams.Processes.SetStartForReal(true);
  const std::string file = dir.Path() + "made.txt";
  EXPECT_GT(Seams::Processes().WinExec("cmd.exe /c echo hi>" + file, SW_HIDE), 31u);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(file); }, 10000));
  EXPECT_EQ(seams.Processes.Count(), 1u);
}

TEST(Seams, RealRunAndWaitWaitsAndKeepsMessagesFlowing) {
  TScratchDir dir(CurrentTestName());
  auto& real = Seams::RealProcesses();
  const std::string file = dir.Path() + "waited.txt";
  ASSERT_TRUE(real.RunAndWait("", "cmd.exe /c echo done>" + file));
  EXPECT_TRUE(FileExists(file)) << "returned before the process ended";
  EXPECT_FALSE(real.RunAndWait("", "C:\\no\\such\\program.exe"));

  // A window of this thread gets its messages while the child runs.
  gHandled = 0;
  WNDCLASSA wc{};
  wc.lpfnWndProc = CountingWndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VeldorSeamPumpTest";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                           nullptr);
  ASSERT_NE(wnd, nullptr);
  std::thread poster([wnd] {
    Sleep(200);
    PostMessageA(wnd, WM_APP + 7, 0, 0);
  });
  const DWORD start = GetTickCount();
  ASSERT_TRUE(real.RunAndWait(ExeFileName(), ChildCommand("SeamsChild.DISABLED_SleepABit")));
  poster.join();
  EXPECT_GE(GetTickCount() - start, 600u) << "did not wait for the child";
  EXPECT_EQ(gHandled.load(), 1) << "the message waited until the child ended";
  DestroyWindow(wnd);
}

TEST(Seams, RealClipboardHoldsTheText) {
  const std::string text = "http://www.microsoft.com/technet/security/bulletin/ms07-017.mspx 补丁";
  ASSERT_TRUE(Seams::RealClipboard().SetText(text));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  std::string got;
  if (data) {
    got = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  EXPECT_EQ(got, text);
}

TEST(Seams, RecordingShellClipboardAndDialogs) {
  TSeamGuard seams;
  EXPECT_EQ(
      Seams::Shell().ShellExecute(nullptr, "open", "explorer", "http://a/", "", SW_SHOWNORMAL), 42);
  seams.Shell.SetResult(2);
  EXPECT_EQ(Seams::Shell().ShellExecute(nullptr, "open", "C:\\x\\", "", "", SW_SHOWNORMAL), 2);
  ASSERT_EQ(seams.Shell.Count(), 2u);
  EXPECT_EQ(seams.Shell.Calls()[0].Parameters, "http://a/");
  EXPECT_EQ(seams.Shell.Calls()[1].File, "C:\\x\\");

  EXPECT_TRUE(Seams::Clipboard().SetText("one"));
  seams.Clipboard.SetResult(false);
  EXPECT_FALSE(Seams::Clipboard().SetText("two"));
  EXPECT_EQ(seams.Clipboard.LastText(), "one");

  seams.FileDialogs.QueueFileName("C:\\backup\\a.reg");
  seams.FileDialogs.QueueCancel();
  std::string name = "initial.reg";
  EXPECT_TRUE(Seams::FileDialogs().SaveFile(nullptr, "注册表文件(*.reg)|*.reg", "reg", name,
                                            "选择或者输入要备份的注册表文件名"));
  EXPECT_EQ(name, "C:\\backup\\a.reg");
  std::string other = "keep";
  EXPECT_FALSE(Seams::FileDialogs().OpenFile(nullptr, "", "", other));
  EXPECT_EQ(other, "keep") << "a cancelled dialog leaves the name";
  EXPECT_FALSE(Seams::FileDialogs().OpenFile(nullptr, "", "", other)) << "nothing queued: cancel";
  const auto calls = seams.FileDialogs.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_TRUE(calls[0].Save);
  EXPECT_EQ(calls[0].InitialName, "initial.reg");
  EXPECT_EQ(calls[0].Title, "选择或者输入要备份的注册表文件名");
  EXPECT_FALSE(calls[1].Save);
}

// The real save dialog, answered by a second thread that types a name and presses OK.
TEST(Seams, RealSaveDialogReturnsTheTypedName) {
  TScratchDir dir(CurrentTestName());
  const std::string title = "Veldor 选择文件 test";
  const std::string typed = dir.Path() + "backup";
  std::atomic<bool> answered{false};
  std::thread user([&] {
    HWND dlg = nullptr;
    for (int i = 0; i < 500 && !dlg; ++i, Sleep(20)) dlg = FindWindowA(nullptr, title.c_str());
    if (!dlg) return;
    // The file name box is the combo box 0x47C in the explorer-style dialog, or the edit 0x480.
    HWND box = GetDlgItem(dlg, 0x47C);
    if (!box) box = GetDlgItem(dlg, 0x480);
    SetWindowTextA(box, typed.c_str());
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    answered = true;
  });
  std::string name;
  const bool ok = Seams::RealFileDialogs().SaveFile(
      nullptr, "注册表文件(*.reg)|*.reg|所有文件(*.*)|*.*", "reg", name, title);
  user.join();
  ASSERT_TRUE(answered.load()) << "no dialog with the title appeared";
  EXPECT_TRUE(ok);
  EXPECT_TRUE(SameText(name, typed + ".reg")) << name;
}
