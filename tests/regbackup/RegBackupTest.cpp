// Page 8 and the rotation export against the real registry editor, registry and files.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "regbackup/RegBackupPage.h"
#include "regbackup/Rotation.h"
#include "support/RecordingSeams.h"
#include "support/Scratch.h"
#include "support/TestHost.h"
#include "support/WineUnix.h"
#include "system/SysUtils.h"
#include "system/UndoFolder.h"
#include "toolkit/Form.h"

namespace {
std::string ReadValue(const std::string& sub, const char* name) {
  char buf[64] = "";
  DWORD size = sizeof buf;
  if (RegGetValueA(HKEY_CURRENT_USER, sub.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) !=
      ERROR_SUCCESS)
    return "<missing>";
  return buf;
}

void WriteValue(const std::string& sub, const char* name, const char* text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1);
  RegCloseKey(key);
}

// The editor by its full path, the file quoted.
std::string EditorCommand(const char* option, const std::string& file) {
  std::string command = "\"";
  command += GetWindowsDir();
  command += "regedit.exe\" ";
  command += option;
  command += " \"";
  command += file;
  command += "\"";
  return command;
}

// The bytes of a text as UTF-16LE, as the editor writes its exports.
std::string Utf16(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// An editor that ends at once, writing `Writes` (when not empty) into the file it was given, and
// notes whether either button could be pressed meanwhile.
class TIdleEditor : public IProcessStarter {
 public:
  explicit TIdleEditor(const TRegBackupPage* page = nullptr) : page_(page) {}
  UINT WinExec(const std::string&, UINT) override { return 0; }
  bool RunAndWait(const std::string&, const std::string& commandLine) override {
    ++Runs;
    if (page_ && (page_->BitBtnRegBak.Enabled() || page_->BitBtnRegRes.Enabled()))
      ButtonsOnWhileRunning = true;
    const auto open = commandLine.rfind('"', commandLine.size() - 2);
    if (!Writes.empty())
      WriteTextFile(commandLine.substr(open + 1, commandLine.size() - open - 2), Writes);
    return true;
  }
  std::string Writes;
  int Runs = 0;
  bool ButtonsOnWhileRunning = false;

 private:
  const TRegBackupPage* page_;
};

class RegBackupPage : public testing::Test {
 protected:
  RegBackupPage()
      : dir_(CurrentTestName()),
        form_("TRegBackupTestForm", false),
        host_(form_),
        pages_(&form_),
        sheet_(&pages_, "") {
    form_.SetClientSize(554, 379);
    pages_.SetAlign(TAlign::Client);
    page_ = std::make_unique<TRegBackupPage>(sheet_, host_);
  }
  std::vector<TMessageBoxCall> Boxes() { return seams_.MessageBoxes.Calls(); }

  TSeamGuard seams_;
  TScratchDir dir_;
  TForm form_;
  TTestHost host_;
  TPageControl pages_;
  TTabSheet sheet_;
  std::unique_ptr<TRegBackupPage> page_;
};
}  // namespace

TEST_F(RegBackupPage, BackupReplacesTheOldFileAndTheRegistryEditorImportsItAgain) {
  TScratchKey key(CurrentTestName());
  WriteValue(key.Sub(), "Probe", "before");
  const std::string file = dir_.Path() + "whole.reg";
  WriteTextFile(file, "OLD");
  seams_.Processes.SetStartForReal(true);
  seams_.FileDialogs.QueueFileName(dir_.Path() + "whole.txt");  // another extension
  seams_.MessageBoxes.QueueAnswer(IDYES);                       // replace the existing file

  page_->BitBtnRegBak.Click();

  auto dialogs = seams_.FileDialogs.Calls();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_TRUE(dialogs[0].Save);
  EXPECT_EQ(dialogs[0].Title, "选择或者输入要备份的注册表文件名");
  EXPECT_EQ(dialogs[0].Filter, "注册表文件(*.reg)|*.reg|所有文件(*.*)|*.*");
  auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Text, "注意!要备份的注册表文件已经存在!\r\n确认要继续吗？");
  EXPECT_EQ(boxes[0].Flags, UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(boxes[1].Text, "备份注册表文件 " + file + " 成功!");
  EXPECT_EQ(boxes[1].Caption, "备份注册表");
  EXPECT_EQ(seams_.Processes.CommandLines(), std::vector<std::string>{EditorCommand("/e", file)});
  EXPECT_FALSE(PathExists(dir_.Path() + "whole.txt"));
  EXPECT_FALSE(PathExists(file + ".~1")) << "the old file is gone once the new one exists";
  EXPECT_GT(GetFileSizeOf(file), 1000);
  EXPECT_TRUE(page_->BitBtnRegBak.Enabled());

  // The restore hands the same file to the editor's import, which brings the value back.
  WriteValue(key.Sub(), "Probe", "after");
  seams_.Processes.Clear();
  seams_.FileDialogs.QueueFileName(file);
  page_->BitBtnRegResClick();
  ASSERT_EQ(seams_.Processes.Calls().size(), 1u);
  EXPECT_EQ(seams_.Processes.Calls()[0].CommandLine, EditorCommand("/c", file));
  EXPECT_EQ(ReadValue(key.Sub(), "Probe"), "before");
  EXPECT_EQ(Boxes().size(), 2u) << "the restore itself says nothing";
  EXPECT_EQ(seams_.FileDialogs.Calls()[1].Title, "选择要恢复的注册表文件名");
  // Once changes have left undo files, the dialog opens where they are.
  CreateDirectoryA(UndoFolder().c_str(), nullptr);
  seams_.FileDialogs.QueueCancel();
  page_->BitBtnRegResClick();
  EXPECT_EQ(seams_.FileDialogs.Calls()[2].InitialDir, UndoFolder());
}

TEST_F(RegBackupPage, AnExistingFileStaysWhenTheUserSaysNoOrTheExportFails) {
  const std::string file = dir_.Path() + "keep.reg";
  WriteTextFile(file, "OLD");

  seams_.FileDialogs.QueueFileName(file);
  seams_.MessageBoxes.QueueAnswer(IDNO);
  page_->BitBtnRegBakClick();
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(seams_.Processes.Count(), 0u);
  EXPECT_EQ(ReadTextFile(file), "OLD");

  // The editor ends without writing anything, or leaves an export cut off in its last line or
  // without the editor's header: the old file comes back.
  TIdleEditor editor(page_.get());
  Seams::SetProcesses(&editor);
  const std::string header = Utf16(L"\xFEFFWindows Registry Editor Version 5.00\r\n");
  for (const std::string& written : {std::string(), header + Utf16(L"\r\n[HKEY_CURRENT_USER\\Soft"),
                                     Utf16(L"\xFEFFWindows Registry Editor Version 9.99\r\n\r\n"),
                                     std::string("REGEDIT5\r\n\r\n")}) {
    editor.Writes = written;
    seams_.FileDialogs.QueueFileName(file);
    seams_.MessageBoxes.QueueAnswer(IDYES);
    page_->BitBtnRegBakClick();
    EXPECT_EQ(ReadTextFile(file), "OLD");
    EXPECT_FALSE(PathExists(file + ".~1"));
    EXPECT_EQ(Boxes().back().Text,
              "备份注册表文件 " + file + " 失败!请确认文件名或者目录名中不含有空格!");
  }
  // Without an earlier file, the cut-off export goes.
  seams_.FileDialogs.QueueFileName(dir_.Path() + "new.reg");
  page_->BitBtnRegBakClick();
  EXPECT_FALSE(PathExists(dir_.Path() + "new.reg"));
  EXPECT_EQ(editor.Runs, 5);
  EXPECT_FALSE(editor.ButtonsOnWhileRunning);
  EXPECT_TRUE(page_->BitBtnRegBak.Enabled());
  EXPECT_TRUE(page_->BitBtnRegRes.Enabled());
  // A complete export in the older format replaces it.
  editor.Writes = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n";
  seams_.FileDialogs.QueueFileName(file);
  seams_.MessageBoxes.QueueAnswer(IDYES);
  page_->BitBtnRegBakClick();
  EXPECT_EQ(ReadTextFile(file), editor.Writes);
  EXPECT_EQ(Boxes().back().Text, "备份注册表文件 " + file + " 成功!");
  WriteTextFile(file, "OLD");
  Seams::SetProcesses(&seams_.Processes);

  // The editor cannot be started at all: the same.
  seams_.Processes.SetRunResult(false);
  seams_.FileDialogs.QueueFileName(file);
  seams_.MessageBoxes.QueueAnswer(IDYES);
  page_->BitBtnRegBakClick();
  EXPECT_EQ(ReadTextFile(file), "OLD");
  EXPECT_EQ(Boxes().back().Caption, "备份注册表");

  // A folder of the chosen name is neither moved nor written into.
  const std::string folder = dir_.Path() + "folder.reg";
  CreateDirectoryA(folder.c_str(), nullptr);
  WriteTextFile(folder + "\\inside.txt", "x");
  seams_.FileDialogs.QueueFileName(dir_.Path() + "folder");
  page_->BitBtnRegBakClick();
  EXPECT_EQ(ReadTextFile(folder + "\\inside.txt"), "x");
  EXPECT_EQ(Boxes().back().Text,
            "备份注册表文件 " + folder + " 失败!请确认文件名或者目录名中不含有空格!");

  // A chosen file that is a link to a user's file: refused before anything is asked or moved.
  if (!IsWine()) return;
  const std::string mine = dir_.Path() + "mine.txt";
  const std::string link = dir_.Path() + "linked.reg";
  WriteTextFile(mine, "MINE");
  ASSERT_TRUE(MakeUnixSymlink(mine, link));
  const size_t boxes = Boxes().size();
  seams_.FileDialogs.QueueFileName(link);
  page_->BitBtnRegBakClick();
  ASSERT_EQ(Boxes().size(), boxes + 1);
  EXPECT_EQ(Boxes().back().Text,
            "备份注册表文件 " + link + " 失败!请确认文件名或者目录名中不含有空格!");
  EXPECT_EQ(ReadTextFile(mine), "MINE");
  EXPECT_FALSE(PathExists(link + ".~1"));
}

TEST_F(RegBackupPage, NamesWithSpacesAndMissingOrForeignFilesAreRefusedBeforeAnythingRuns) {
  auto lastBox = [&] { return Boxes().empty() ? TMessageBoxCall{} : Boxes().back(); };
  seams_.FileDialogs.QueueFileName("C:\\a b\\x");
  page_->BitBtnRegBakClick();
  EXPECT_EQ(lastBox().Text, "要保存的文件名或者目录名中含有空格,保存失败!");
  EXPECT_EQ(lastBox().Caption, "提示:");
  EXPECT_EQ(lastBox().Flags, UINT(MB_OK));

  const std::string spaced = dir_.Path() + "with space.reg";
  WriteTextFile(spaced, "x");
  seams_.FileDialogs.QueueFileName(spaced);
  page_->BitBtnRegResClick();
  EXPECT_EQ(lastBox().Text, "要恢复的文件名或者目录名中含有空格,恢复失败!");

  seams_.FileDialogs.QueueFileName(dir_.Path() + "missing.reg");
  page_->BitBtnRegResClick();
  EXPECT_EQ(lastBox().Text, "要恢复的注册表文件不存在,恢复失败!");
  EXPECT_EQ(lastBox().Caption, "提示:");

  // A chosen text file is not swapped for the registration file of the same name.
  WriteTextFile(dir_.Path() + "notes.txt", "x");
  WriteTextFile(dir_.Path() + "notes.reg", "REGEDIT4\r\n");
  WriteTextFile(dir_.Path() + "gone.reg", "REGEDIT4\r\n");
  seams_.FileDialogs.QueueFileName(dir_.Path() + "notes.txt");
  page_->BitBtnRegResClick();
  EXPECT_EQ(lastBox().Text, "要恢复的注册表文件不存在,恢复失败!");
  // Nor is a missing one.
  seams_.FileDialogs.QueueFileName(dir_.Path() + "gone.txt");
  page_->BitBtnRegResClick();
  EXPECT_EQ(lastBox().Text, "要恢复的注册表文件不存在,恢复失败!");
  EXPECT_EQ(Boxes().size(), 5u);
  EXPECT_EQ(seams_.Processes.Count(), 0u);

  seams_.FileDialogs.QueueCancel();
  page_->BitBtnRegBakClick();
  EXPECT_EQ(Boxes().size(), 5u);
}

TEST(Rotation, TheDroppedSlotGoesOnlyAfterTheNewExportExists) {
  TScratchDir dir(CurrentTestName());
  TSeamGuard seams;
  for (int slot = 1; slot <= 3; ++slot)
    WriteTextFile(dir.Path() + RotationSlotName(slot), "day " + std::to_string(slot));
  const TRotationPlan plan = PlanRotationIn(dir.Path(), false);
  ASSERT_EQ(plan.Job, 7);
  ASSERT_EQ(plan.Drop, 2);

  // The editor writes nothing: every slot stays as it was.
  EXPECT_FALSE(RunRotationExport(dir.Path(), plan.Slot, plan.Drop));
  for (int slot = 1; slot <= 3; ++slot)
    EXPECT_EQ(ReadTextFile(dir.Path() + RotationSlotName(slot)), "day " + std::to_string(slot));

  seams.Processes.SetStartForReal(true);
  EXPECT_TRUE(RunRotationExport(dir.Path(), plan.Slot, plan.Drop));
  EXPECT_GT(GetFileSizeOf(dir.Path() + "reg1.reg"), 1000);
  EXPECT_FALSE(PathExists(dir.Path() + "reg2.reg"));
  EXPECT_EQ(ReadTextFile(dir.Path() + "reg3.reg"), "day 3");
  EXPECT_EQ(seams.Processes.Calls().back().CommandLine,
            EditorCommand("/e", dir.Path() + "reg1.reg"));

  // A slot that is a link to a user's file is left alone: the export goes to the next slot and
  // the drop moves along with it.
  if (!IsWine()) return;
  const std::string mine = dir.Path() + "mine.txt";
  WriteTextFile(mine, "MINE");
  DeleteFileA((dir.Path() + "reg1.reg").c_str());
  ASSERT_TRUE(MakeUnixSymlink(mine, dir.Path() + "reg1.reg"));
  TIdleEditor editor;
  editor.Writes = "REGEDIT4\r\n\r\n";
  Seams::SetProcesses(&editor);
  EXPECT_TRUE(RunRotationExport(dir.Path(), 1, 2));
  Seams::SetProcesses(&seams.Processes);
  EXPECT_EQ(ReadTextFile(mine), "MINE");
  EXPECT_EQ(ReadTextFile(dir.Path() + "reg2.reg"), editor.Writes);
  EXPECT_FALSE(PathExists(dir.Path() + "reg3.reg"));
}
