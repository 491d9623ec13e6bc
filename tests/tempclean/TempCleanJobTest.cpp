// Job 16 against the real folders it is defined on: the Windows "Temp" folder, the temporary
// folder, the root of C: and the Windows folder; which files went, which stayed, what was said.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <atomic>

#include "TmpCleanTestKit.h"
#include "system/SysUtils.h"

using namespace tempclean_test;

namespace {

const char kZeroSummary[] = "临时文件清理完成,共成功删除了0个临时文件,释放了0.0KB空间.";

class TempCleanJob : public testing::Test {
 protected:
  void SetUp() override { TmpCleanState.Reset(); }
  void TearDown() override { TmpCleanState.Reset(); }
  const std::string win_ = GetWindowsDir();
  TOwnTempFolder temp_;
};

}  // namespace

TEST_F(TempCleanJob, EveryStepCleansItsOwnFolderWithItsOwnFilter) {
  const std::string temp = GetTempDir();
  ASSERT_EQ(temp, temp_.Path());
  TRecordingView before;
  RunTmpCleanJob(before);  // whatever the prefix's folders held goes first
  // Windows "Temp": everything, hidden and system files too; subfolders removed.
  TFixedPlaceDir wsub(win_ + "Temp\\VeldorTest_TCJob\\");
  CreateDirectoryA((wsub.Path() + "deep").c_str(), nullptr);
  MakeFile(wsub.Path() + "deep\\b.bin", 2048);
  MakeFile(wsub.Path() + "hidden.dat", 10, FILE_ATTRIBUTE_HIDDEN);
  MakeFile(wsub.Path() + "system.dat", 10, FILE_ATTRIBUTE_SYSTEM);
  // The temporary folder: the same, but a locked file keeps its folder.
  for (const char* sub : {"sub", "locked"}) CreateDirectoryA((temp + sub).c_str(), nullptr);
  for (const char* name : {"u1.txt", "sub\\u2.doc", "locked\\busy.dat", "locked\\free.txt"})
    MakeFile(temp + name, 10);
  MakeFile(temp + "hs.dat", 10, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  HANDLE lock = CreateFileA((temp + "locked\\busy.dat").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  // The root of C:: .log and .tmp files there, nothing below.
  TFixedPlaceDir rootSub("C:\\VeldorTest_TCRoot\\");
  for (const char* name :
       {"C:\\VeldorTest_TC.tmp", "C:\\VeldorTest_TC.txt", "C:\\VeldorTest_TCRoot\\x.tmp"})
    MakeFile(name, 10);
  // The Windows folder: .log and .tmp in any letter case at any depth; subfolders stay.
  TFixedPlaceDir ext(win_ + "VeldorTest_TCExt\\");
  CreateDirectoryA((ext.Path() + "deeper").c_str(), nullptr);
  for (const char* name : {"REPORT.TMP", "setup.Log", "deeper\\x.log", "a.tmp.bak", "tmp"})
    MakeFile(ext.Path() + name, 10);

  TRecordingView view;
  RunTmpCleanJob(view);
  CloseHandle(lock);
  EXPECT_TRUE(DeleteFileA("C:\\VeldorTest_TC.txt"));

  const std::vector<std::string> gone = {wsub.Path() + "deep\\b.bin", wsub.Path() + "hidden.dat",
                                         wsub.Path() + "system.dat",  temp + "u1.txt",
                                         temp + "sub\\u2.doc",        temp + "hs.dat",
                                         temp + "locked\\free.txt",   "C:\\VeldorTest_TC.tmp",
                                         ext.Path() + "REPORT.TMP",   ext.Path() + "setup.Log",
                                         ext.Path() + "deeper\\x.log"};
  const auto lines = view.Lines();
  for (const auto& path : gone) {
    EXPECT_FALSE(Exists(path)) << path;
    EXPECT_EQ(Count(lines, "删除 " + path + " 成功."), 1) << path;
  }
  for (const std::string& kept : {ext.Path() + "a.tmp.bak", ext.Path() + "tmp",
                                  ext.Path() + "deeper", rootSub.Path() + "x.tmp", temp})
    EXPECT_TRUE(Exists(kept)) << kept;
  EXPECT_FALSE(Exists(wsub.Path()));
  EXPECT_FALSE(Exists(temp + "sub"));
  // Cleaned twice, reported twice; its folder stays.
  EXPECT_TRUE(Exists(temp + "locked\\busy.dat"));
  EXPECT_EQ(Count(lines, "删除 " + temp + "locked\\busy.dat 失败,文件正在使用中."), 2);

  // Start, one line per tried file, the summary once (from the last step), buttons back.
  const auto events = view.Events();
  EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + 3),
            (std::vector<std::string>{"run", "clear", "line:开始清理临时文件..."}));
  EXPECT_EQ(events.back(), "idle");
  const std::string summary =
      "临时文件清理完成,共成功删除了" + std::to_string(gone.size()) + "个临时文件,释放了2KB空间.";
  EXPECT_EQ(lines.size(), 1 + gone.size() + 2 + 2);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
            (std::vector<std::string>{"", summary}));
  EXPECT_EQ(view.LastStatus(), summary);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), IsSummary), 1);
}

TEST_F(TempCleanJob, NothingToDeleteSummarizesZeroAndNoWindowsTempNoSummaryAtAll) {
  TRecordingView first, second, third;
  RunTmpCleanJob(first);  // whatever the prefix held goes first
  RunTmpCleanJob(second);
  EXPECT_EQ(second.Lines(), (std::vector<std::string>{"开始清理临时文件...", "", kZeroSummary}));
  EXPECT_EQ(second.LastStatus(), kZeroSummary);

  // Moved aside for one job, and back under its own spelling whatever happens.
  WIN32_FIND_DATAA fd;
  FindClose(FindFirstFileA((win_ + "Temp").c_str(), &fd));
  struct TAside {
    std::string Home, Away;
    ~TAside() { MoveFileA(Away.c_str(), Home.c_str()); }
  } aside{win_ + fd.cFileName, win_ + "Temp.VeldorTestAway"};
  ASSERT_TRUE(MoveFileA(aside.Home.c_str(), aside.Away.c_str()));
  RunTmpCleanJob(third);
  EXPECT_EQ(third.Lines(), std::vector<std::string>{"开始清理临时文件..."});
  EXPECT_EQ(third.Events().back(), "idle");
}

TEST_F(TempCleanJob, ASecondJobWaitsUntilTheRunningOneHasEnded) {
  static std::atomic<int> clock{0};  // orders the starts and ends of both workers
  struct TStampView : TRecordingView {
    std::atomic<int> Started{0}, Ended{0};
    void SetRunning(bool running) override {
      (running ? Started : Ended) = ++clock;
      if (running) Sleep(300);  // keeps the first job busy while the second one starts
      TRecordingView::SetRunning(running);
    }
  } a, b;
  TRecordingView before;
  RunTmpCleanJob(before);  // whatever the prefix's folders held goes first
  std::thread first([&] { RunTmpCleanJob(a); });
  while (a.Started == 0) Sleep(5);
  RequestTmpCleanStop();  // the stopped job must finish its steps on its own state
  std::thread second([&] { RunTmpCleanJob(b); });
  first.join();
  second.join();
  EXPECT_LT(a.Ended.load(), b.Started.load());
  EXPECT_EQ(b.Lines(), (std::vector<std::string>{"开始清理临时文件...", "", kZeroSummary}));
}

TEST_F(TempCleanJob, ATemporaryFolderThatIsALinkOrAnotherNameOfAProtectedOneIsNotEntered) {
  ASSERT_TRUE(IsWine()) << "links and drive letters are made from the Unix side";
  TFixedPlaceDir target("C:\\VeldorTest_TCLinkTarget\\");
  MakeFile(target.Path() + "keep.txt", 10);
  const std::string link = "C:\\VeldorTest_TCLink";
  RemoveUnixTree(link);
  ASSERT_TRUE(MakeUnixSymlink(target.Path(), link));
  // A protected folder that holds nothing the prefix needs, reached through a link to the folder
  // holding it and through a drive letter on that folder.
  const std::string guarded = GetSpecialFolder(CSIDL_COMMON_TEMPLATES);
  const std::string holder = ExtractFilePath(guarded), name = ExtractFileName(guarded);
  TScratchDir scratch(CurrentTestName());
  ASSERT_TRUE(MakeUnixSymlink(holder, scratch.Path() + "alias"));
  struct TDrive {
    ~TDrive() { UnmapUnixDrive('Q'); }
  } drive;
  ASSERT_TRUE(MapUnixDrive('Q', holder));
  for (const std::string& temp :
       {link + "\\", scratch.Path() + "alias\\" + name + "\\", "Q:\\" + name + "\\"}) {
    MakeFile(guarded + "\\VeldorTest_keep.txt", 10);
    for (const char* var : {"TMP", "TEMP"}) SetEnvironmentVariableA(var, temp.c_str());
    TRecordingView view;
    RunTmpCleanJob(view);
    EXPECT_TRUE(Exists(target.Path() + "keep.txt")) << temp;
    EXPECT_TRUE(Exists(guarded + "\\VeldorTest_keep.txt")) << temp;
  }
  for (const char* var : {"TMP", "TEMP"}) SetEnvironmentVariableA(var, temp_.Path().c_str());
  DeleteFileA((guarded + "\\VeldorTest_keep.txt").c_str());
  RemoveUnixTree(link);
}
