// Workers started by job code: which job runs, that nothing waits, that failures stay inside.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "app/JobRunner.h"
#include "app/Settings.h"
#include "regbackup/Rotation.h"
#include "support/RecordingSeams.h"
#include "support/Scratch.h"
#include "system/SysUtils.h"

namespace {
bool WaitForIdleWorkers(DWORD timeoutMs = 5000) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 10) {
    if (RunningWorkers() == 0) return true;
    Sleep(10);
  }
  return false;
}

// An editor that at once writes a short complete export into the file it is given.
class TQuickEditor : public IProcessStarter {
 public:
  static constexpr const char* kExport = "REGEDIT4\r\n\r\n";
  UINT WinExec(const std::string&, UINT) override { return 0; }
  bool RunAndWait(const std::string&, const std::string& commandLine) override {
    const auto open = commandLine.rfind('"', commandLine.size() - 2);
    WriteTextFile(commandLine.substr(open + 1, commandLine.size() - open - 2), kExport);
    return true;
  }
};

class JobRunner : public testing::Test {
 protected:
  void TearDown() override {
    WaitForIdleWorkers();
    UnregisterJobs();
  }
};
}  // namespace

TEST_F(JobRunner, UnknownCodeEndsTheWorkerAtOnceAndKeepsTheCode) {
  std::atomic<int> ran{0};
  RegisterJob(6, [&] { ++ran; });
  StartJob(5);
  StartJob(17);
  ASSERT_TRUE(WaitForIdleWorkers());
  EXPECT_EQ(ran, 0);
  EXPECT_EQ(JobCode.load(), 17);
}

TEST_F(JobRunner, BackToBackStartsEachRunTheirOwnJob) {
  // Both jobs hold their worker until released, so the two run side by side.
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> removals{0}, cleanings{0};
  RegisterJob(6, [&] {
    ++removals;
    WaitForSingleObject(release, 5000);
  });
  RegisterJob(16, [&] {
    ++cleanings;
    WaitForSingleObject(release, 5000);
  });
  StartJob(6);
  StartJob(16);  // set before the first worker may have read anything
  for (int i = 0; i < 500 && removals + cleanings < 2; ++i) Sleep(10);
  EXPECT_EQ(RunningWorkers(), 2);
  SetEvent(release);
  ASSERT_TRUE(WaitForIdleWorkers());
  EXPECT_EQ(removals, 1);
  EXPECT_EQ(cleanings, 1);
  CloseHandle(release);
}

TEST_F(JobRunner, AFailingJobIsSwallowedAndItsWorkerEnds) {
  RegisterJob(6, [] { throw std::runtime_error("disk gone"); });
  StartJob(6);
  EXPECT_TRUE(WaitForIdleWorkers());
}

TEST_F(JobRunner, ExportJobsRunTheRegistryEditorForTheirSlotOnTheWorkerAndWaitForIt) {
  TSeamGuard seams;
  TScratchDir dir(CurrentTestName());
  const std::string ini = dir.Path() + "config.ini";
  RegBakDir = "D:\\Backup\\";
  RotationDrop = 0;
  RegBackDateNote = {ini, "20240102"};
  RegisterRegistryExportJobs();
  for (WORD code = 7; code <= 9; ++code) {
    StartJob(code);
    ASSERT_TRUE(seams.Processes.WaitForCalls(code - 6, 5000));
  }
  ASSERT_TRUE(WaitForIdleWorkers());
  auto calls = seams.Processes.Calls();
  ASSERT_EQ(calls.size(), 3u);
  std::string editor = "\"";
  editor += GetWindowsDir();
  editor += "regedit.exe\" /e ";
  EXPECT_EQ(calls[0].CommandLine, editor + "\"D:\\Backup\\reg1.reg\"");
  EXPECT_EQ(calls[1].CommandLine, editor + "\"D:\\Backup\\reg2.reg\"");
  EXPECT_EQ(calls[2].CommandLine, editor + "\"D:\\Backup\\reg3.reg\"");
  for (const auto& c : calls) {
    EXPECT_TRUE(c.Waited) << "success is judged after the editor has ended";
    EXPECT_NE(c.ThreadId, GetCurrentThreadId()) << "the export runs on the worker";
  }
  EXPECT_FALSE(PathExists(ini)) << "no export was written: no date";

  // A written export drops the next slot and records the date.
  TQuickEditor quick;
  Seams::SetProcesses(&quick);
  RegBakDir = dir.Path();
  RotationDrop = 2;
  for (int slot = 1; slot <= 3; ++slot) WriteTextFile(dir.Path() + RotationSlotName(slot), "day");
  StartJob(7);
  ASSERT_TRUE(WaitForIdleWorkers());
  Seams::SetProcesses(&seams.Processes);
  EXPECT_EQ(ReadTextFile(dir.Path() + "reg1.reg"), TQuickEditor::kExport);
  EXPECT_FALSE(PathExists(dir.Path() + "reg2.reg"));
  EXPECT_EQ(TSettingsFile(ini).Read("RegBackDate", ""), "20240102");
}
