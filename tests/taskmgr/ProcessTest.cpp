// The process tab against real processes: helpers started and ended by the tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "Helpers.h"
#include "support/RecordingSeams.h"
#include "support/TestHost.h"
#include "system/SysUtils.h"
#include "taskmgr/ProcessList.h"
#include "taskmgr/ProcessPage.h"
#include "toolkit/Form.h"

namespace {

class ProcessTab : public testing::Test {
 protected:
  ProcessTab()
      : form_("TProcessTestForm", false), host_(form_), pages_(&form_), sheet_(&pages_, "进程") {
    form_.SetClientSize(554, 379);
    pages_.SetAlign(TAlign::Client);
    tab_ = std::make_unique<TProcessTab>(sheet_, host_);
  }
  TListView& List() { return tab_->procListView; }
  int RowOf(DWORD id) {
    for (int i = 0; i < List().Count(); ++i)
      if (List().SubItem(i, 0) == std::to_string(id)) return i;
    return -1;
  }
  std::vector<std::string> Ids() {
    std::vector<std::string> ids;
    for (int i = 0; i < List().Count(); ++i) ids.push_back(List().SubItem(i, 0));
    return ids;
  }
  std::string OwnFolder() { return ExtractFilePath(ExeFileName()); }

  TSeamGuard seams_;
  TForm form_;
  TTestHost host_;
  TPageControl pages_;
  TTabSheet sheet_;
  std::unique_ptr<TProcessTab> tab_;
};

}  // namespace

TEST_F(ProcessTab, NewProcessesAppendEndedOnesGoAndNoRowIsSkipped) {
  tab_->ButtonRefProcessClick();
  ASSERT_GT(List().Count(), 0);
  THelperProcess a("idle"), b("idle"), c("idle");
  ASSERT_TRUE(a.Running() && b.Running() && c.Running());
  tab_->ButtonRefProcessClick();
  EXPECT_TRUE(tab_->ButtonRefProcess.Enabled());
  const int last = List().Count() - 1;
  EXPECT_EQ(RowOf(a.Id()), last - 2) << "new processes are appended in the system's order";
  EXPECT_EQ(RowOf(b.Id()), last - 1);
  EXPECT_EQ(RowOf(c.Id()), last);
  const int row = RowOf(a.Id());
  EXPECT_EQ(List().Caption(row), ExtractFileName(ExeFileName()));
  EXPECT_EQ(List().SubItem(row, 1), "00:00:00");
  EXPECT_NE(List().SubItem(row, 2), "0 K") << "the working set of a running helper";
  EXPECT_EQ(List().SubItem(row, 3), OwnFolder());
  EXPECT_EQ(host_.StatusBar().PanelText(0), "进程数：" + std::to_string(List().Count()));

  // The middle one ends: only its row goes, the others keep their order.
  auto ids = Ids();
  ids.erase(ids.begin() + RowOf(b.Id()));
  EXPECT_TRUE(EndProcessById(b.Id()));
  ASSERT_TRUE(b.WaitEnded(5000));
  tab_->ButtonRefProcessClick();
  EXPECT_EQ(Ids(), ids);

  // Ending from the tab asks first, with the warning as written; No leaves it running.
  seams_.MessageBoxes.QueueAnswer(IDNO);
  List().SetSelected(RowOf(c.Id()), true);
  tab_->BtnEndProcClick();
  ASSERT_EQ(seams_.MessageBoxes.Count(), 1u);
  const TMessageBoxCall call = seams_.MessageBoxes.Calls()[0];
  EXPECT_EQ(call.Caption, "任务管理器警告");
  EXPECT_EQ(call.Text,
            "警告: 终止进程会导致不希望发生的结果，\n\r包括数据丢失和系统不稳定。在被终止前，\n\r"
            "进程将没有机会保存其状态和数据。确实\n\r想终止该进程吗?");
  EXPECT_EQ(call.Flags, static_cast<UINT>(MB_YESNO | MB_ICONWARNING));
  EXPECT_TRUE(c.Running());
  seams_.MessageBoxes.QueueAnswer(IDYES);
  List().SetSelected(RowOf(c.Id()), true);
  tab_->BtnEndProcClick();
  EXPECT_TRUE(c.WaitEnded(5000));
  EXPECT_TRUE(a.Running()) << "only the selected process ends";
  EXPECT_EQ(RowOf(c.Id()), -1) << "the list is refreshed after ending";
}

TEST_F(ProcessTab, AReusedIdIsANewRowAndIsNeverEndedUnderItsOldName) {
  THelperProcess helper("idle"), later("idle");
  std::vector<TProcInfo> snapshot;
  ASSERT_TRUE(TakeProcessSnapshot(snapshot));
  tab_->ApplySnapshot(snapshot);
  const int rows = List().Count();
  const int row = RowOf(helper.Id());
  ASSERT_GE(row, 0);
  ASSERT_LT(row, rows - 1) << "the helper's row is not the last one";

  // Same id, another program: the old row goes and the new process is appended.
  for (TProcInfo& p : snapshot)
    if (p.ProcessId == helper.Id()) p.ImageName = L"other.exe";
  tab_->ApplySnapshot(snapshot);
  ASSERT_EQ(List().Count(), rows);
  EXPECT_EQ(List().Caption(rows - 1), "other.exe");
  EXPECT_EQ(List().SubItem(rows - 1, 0), std::to_string(helper.Id()));

  // The row says "other.exe" while the id belongs to the helper: nothing is ended.
  seams_.MessageBoxes.QueueAnswer(IDYES);
  List().SetSelected(rows - 1, true);
  tab_->BtnEndProcClick();
  EXPECT_EQ(seams_.MessageBoxes.Count(), 1u);
  EXPECT_TRUE(helper.Running());
  EXPECT_FALSE(EndProcessIfNamed(helper.Id(), L"other.exe"));
  EXPECT_TRUE(helper.Running());
}

TEST_F(ProcessTab, FoldersComeFromEachProcessItselfAndTheIdleEntryOpensNothing) {
  // A second copy of this program, in a folder with a double-byte name. (Wine here keeps Unix
  // file names in GBK, so a name the code page cannot hold cannot be made.)
  wchar_t temp[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dir = std::wstring(temp) + L"VeldorTest_\u4efb\u52a1\\";
  char tempAnsi[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, tempAnsi);
  const std::string dirAnsi = std::string(tempAnsi) + "VeldorTest_任务\\";
  CreateDirectoryW(temp, nullptr);  // the prefix's temporary folder may not exist yet
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  const std::wstring copy = dir + L"test_taskmgr.exe";
  ASSERT_TRUE(CopyFileW(OwnExePath().c_str(), copy.c_str(), FALSE));
  {
    THelperProcess own("idle"), moved("idle", copy);
    ASSERT_TRUE(moved.Running());
    std::vector<TProcInfo> snapshot;
    ASSERT_TRUE(TakeProcessSnapshot(snapshot));
    TProcInfo idle;
    idle.ImageName = L"System Idle";
    idle.MemoryKB = 16;
    TProcInfo tail;  // a name that is the end of another process's name, with no process
    tail.ImageName = L"ss.exe";
    tail.ProcessId = 0x7ffffff0;
    snapshot.push_back(idle);
    snapshot.push_back(tail);
    tab_->ApplySnapshot(snapshot);

    EXPECT_EQ(List().SubItem(RowOf(own.Id()), 3), OwnFolder());
    const std::string movedFolder = List().SubItem(RowOf(moved.Id()), 3);
    EXPECT_EQ(movedFolder, dirAnsi) << "by its own id, not by its name";
    EXPECT_EQ(List().SubItem(RowOf(0), 3), "System Idle");
    EXPECT_EQ(List().SubItem(RowOf(0), 2), "16 K");
    EXPECT_EQ(List().SubItem(RowOf(0x7ffffff0), 3), "") << "no folder of rpcss.exe or csrss.exe";

    for (DWORD id : {DWORD(0), moved.Id()}) {
      List().SetSelected(RowOf(id), true);
      tab_->procListViewDblClick();
    }
    EXPECT_EQ(seams_.Shell.Count(), 1u) << "the idle entry has no folder to open";
    ASSERT_EQ(seams_.Shell.Count(), 1u);
    EXPECT_EQ(seams_.Shell.Calls()[0].Operation, "open");
    EXPECT_EQ(seams_.Shell.Calls()[0].File, dirAnsi);
  }
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(dir.c_str());
}

TEST(ProcessTexts, CpuTimeAndMemoryAtTheirLimits) {
  EXPECT_EQ(FormatCpuTime(0), "00:00:00");
  EXPECT_EQ(FormatCpuTime(23 * 3600 + 59 * 60 + 59), "23:59:59");
  EXPECT_EQ(FormatCpuTime(25 * 3600 + 61), "25:01:01");
  EXPECT_EQ(FormatCpuTime(1000ull * 3600), "1000:00:00");
  EXPECT_EQ(MemoryKBOf(0x80000000ull), 2097152u);
  EXPECT_EQ(MemoryKBOf(0xFFFFFFFFull), 4194304u);
  EXPECT_EQ(MemoryKBOf(1536), 2u);  // halves go to the even neighbour
  EXPECT_EQ(MemoryKBOf(2560), 2u);
  EXPECT_EQ(MemoryKBOf(2561), 3u);
  EXPECT_EQ(FormatMemory(MemoryKBOf(0xFFFFFFFFull)), "4194304 K");
  EXPECT_FALSE(EndProcessById(0));
}
