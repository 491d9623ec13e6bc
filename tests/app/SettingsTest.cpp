// config.ini, the settings page and the automatic backup's choice of slot, on real files.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "app/JobRunner.h"
#include "app/Settings.h"
#include "app/SettingsPage.h"
#include "app/TrayIcon.h"
#include "regbackup/Rotation.h"
#include "support/RecordingSeams.h"
#include "support/Scratch.h"
#include "support/TestHost.h"
#include "system/SysUtils.h"
#include "toolkit/Form.h"

namespace {
class Settings : public testing::Test {
 protected:
  Settings()
      : dir_(CurrentTestName()),
        form_("TSettingsTestForm", false),
        host_(form_),
        pages_(&form_),
        sheet_(&pages_, ""),
        page_(sheet_, host_),
        tray_(form_.Handle(), nullptr),
        ini_(dir_.Path() + "config.ini"),
        backups_(dir_.Path() + "Backup\\") {}

  void WriteIni(const std::string& text) { WriteTextFile(ini_, text); }
  std::string Ini(const std::string& key) { return TSettingsFile(ini_).Read(key, "<missing>"); }
  void Slots(bool reg1, bool reg2, bool reg3) {
    CreateDirectoryA(backups_.c_str(), nullptr);
    const bool present[] = {reg1, reg2, reg3};
    for (int slot = 1; slot <= 3; ++slot) {
      const std::string file = backups_ + RotationSlotName(slot);
      if (present[slot - 1])
        WriteTextFile(file, "day");
      else
        DeleteFileA(file.c_str());
    }
  }
  // The automatic backup as the load runs it, into the scratch folder.
  WORD Start(const std::string& lastDate) {
    jobs_.clear();
    return StartAutomaticBackup(TSettingsFile(ini_), backups_, lastDate, today_,
                                [&](WORD job) { jobs_.push_back(job); });
  }

  TSeamGuard seams_;
  TScratchDir dir_;
  TForm form_;
  TTestHost host_;
  TPageControl pages_;
  TTabSheet sheet_;
  TSettingsPage page_;
  TTrayIcon tray_;
  std::string ini_, backups_;
  std::string today_ = BackupDateStamp();
  std::vector<WORD> jobs_;
};
}  // namespace

TEST_F(Settings, LoadReadsTheFileAndFillsThePage) {
  // No config.ini: defaults, no icon; the default backup drive does not exist in the prefix, so
  // the load ends before any file is written.
  page_.LoadSettings(ini_, tray_);
  EXPECT_FALSE(tray_.TrayIconShown);
  EXPECT_EQ(RegBakDir, "D:\\Backup\\");
  EXPECT_EQ(page_.EditAutoRegBak.Text(), "D:\\Backup");
  EXPECT_TRUE(page_.CheckBoxAutoRegBak.Checked());
  EXPECT_TRUE(page_.CheckBoxAutoUpdate.Checked());
  EXPECT_FALSE(page_.CheckBoxAutoUpdate.Enabled());
  EXPECT_FALSE(page_.BitBtn6.Enabled());
  EXPECT_FALSE(PathExists(ini_));
  EXPECT_TRUE(host_.Jobs.empty());

  // Only "1" switches an option on; a value longer than any first buffer is read whole.
  const std::string longDir = "C:\\" + std::string(900, 'x');
  WriteIni("[RunData]\r\nInstallIcon=yes\r\nAutoRegBak=yes\r\nRegBakDir=" + longDir + "\r\n");
  page_.LoadSettings(ini_, tray_);
  EXPECT_FALSE(tray_.TrayIconShown);
  EXPECT_FALSE(page_.CheckBoxAutoRegBak.Checked());
  EXPECT_EQ(page_.EditAutoRegBak.Text(), longDir);
  EXPECT_EQ(Ini("RegBackDate"), "<missing>");

  // A relative folder would land in the current directory: no backup at all.
  WriteIni("[RunData]\r\nAutoRegBak=1\r\nRegBakDir=VeldorRelative\r\n");
  page_.LoadSettings(ini_, tray_);
  EXPECT_TRUE(host_.Jobs.empty());
  EXPECT_FALSE(PathExists("VeldorRelative"));
  EXPECT_EQ(Ini("RegBackDate"), "<missing>");

  // The Windows folder or a drive root counts as no backup folder.
  for (const std::string& system : {GetWindowsDir(), std::string("C:\\")}) {
    WriteIni("[RunData]\r\nAutoRegBak=1\r\nRegBakDir=" + system + "\r\n");
    page_.LoadSettings(ini_, tray_);
    EXPECT_TRUE(host_.Jobs.empty()) << system;
  }

  // A folder of our own: created, slot 1 exported; the job records the date once written.
  const std::string folder = backups_.substr(0, backups_.size() - 1);
  WriteIni("[RunData]\r\nAutoRegBak=1\r\nRegBakDir=" + folder + "\r\n");
  page_.LoadSettings(ini_, tray_);
  EXPECT_EQ(RegBakDir, backups_);
  EXPECT_TRUE(PathExists(backups_));
  EXPECT_EQ(host_.Jobs, std::vector<WORD>{7});
  EXPECT_EQ(RegBackDateNote.ConfigPath, ini_);
  EXPECT_EQ(RegBackDateNote.Day, today_);
  EXPECT_EQ(Ini("RegBackDate"), "<missing>");

  // Today's backup made: no further job.
  Slots(true, false, false);
  WriteIni("[RunData]\r\nAutoRegBak=1\r\nRegBakDir=" + folder + "\r\nRegBackDate=" + today_ +
           "\r\n");
  page_.LoadSettings(ini_, tray_);
  EXPECT_EQ(host_.Jobs, std::vector<WORD>{7});
}

TEST_F(Settings, RotationPicksTheSlotAndNeverDropsAnEarlierDayOnTheSameDay) {
  EXPECT_EQ(Start("20000101"), 7);
  EXPECT_EQ(RotationDrop.load(), 2);

  Slots(true, false, false);
  EXPECT_EQ(Start(today_), 0) << "today's slot 1 exists";
  EXPECT_EQ(Start("20000101"), 8);
  EXPECT_EQ(RotationDrop.load(), 3);

  Slots(true, true, false);
  EXPECT_EQ(Start(today_), 0);
  EXPECT_EQ(Start("20000101"), 9);
  EXPECT_EQ(RotationDrop.load(), 1);

  // A third-slot day: reg1.reg was dropped by today's export, which is reg3.reg.
  Slots(false, true, true);
  EXPECT_EQ(Start(today_), 0);
  EXPECT_TRUE(jobs_.empty());

  // reg1.reg deleted by the user on its own day: written again, nothing dropped.
  Slots(false, false, true);
  EXPECT_EQ(Start(today_), 7);
  EXPECT_EQ(RotationDrop.load(), 0);

  Slots(true, true, true);
  EXPECT_EQ(Start("20000101"), 7);
  EXPECT_EQ(RotationDrop.load(), 2);
  // Choosing the slot deletes nothing: the job drops a slot only after its export.
  for (int slot = 1; slot <= 3; ++slot) EXPECT_TRUE(PathExists(backups_ + RotationSlotName(slot)));
}

TEST_F(Settings, AStartPutsBackWhatAnEndedBackupMovedAsideAndDeletesTheRest) {
  const std::string good = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Good]\r\n";
  const std::string cut = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Cu";
  auto slot = [&](int n) { return backups_ + RotationSlotName(n); };
  auto write = [&](const std::string& file, const std::string& text, WORD day) {
    WriteTextFile(file, text);
    const SYSTEMTIME when{2020, 1, 0, day, 12, 0, 0, 0};
    FILETIME written{};
    SystemTimeToFileTime(&when, &written);
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &written);
    CloseHandle(h);
  };
  Slots(false, true, true);
  // Slot 1 missing: the newest complete copy goes back, not the cut-off one made later.
  write(slot(1) + ".~1", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Older]\r\n", 1);
  write(slot(1) + ".~2", good, 2);
  write(slot(1) + ".~3", cut, 3);
  // Slot 2 cut off: its copy goes back. Slot 3 complete: its copy goes.
  write(slot(2), cut, 1);
  write(slot(2) + ".~1", good, 1);
  write(slot(3), good, 1);
  write(slot(3) + ".~1", "earlier", 1);
  // Also when the automatic backup is off.
  WriteIni("[RunData]\r\nAutoRegBak=0\r\nRegBakDir=" + backups_ + "\r\n");
  page_.LoadSettings(ini_, tray_);
  EXPECT_EQ(ReadTextFile(slot(1)), good);
  EXPECT_EQ(ReadTextFile(slot(2)), good);
  EXPECT_EQ(ReadTextFile(slot(3)), good);
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((backups_ + "*.~*").c_str(), &found);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE) << found.cFileName;
  if (find != INVALID_HANDLE_VALUE) FindClose(find);

  // A stray copy beside a missing slot is back before the start picks the slot.
  Slots(false, true, false);
  write(slot(1) + ".~1", good, 1);
  EXPECT_EQ(Start("20000101"), 9);
  EXPECT_EQ(ReadTextFile(slot(1)), good);
  EXPECT_FALSE(PathExists(slot(1) + ".~1"));
}

TEST_F(Settings, SaveConfirmsOnlyWhatWasWritten) {
  page_.LoadSettings(ini_, tray_);
  page_.CheckBoxAutoRegBak.SetChecked(false);
  page_.BitBtn5.Click();
  EXPECT_EQ(Ini("AutoRegBak"), "0");
  EXPECT_EQ(Ini("RegBakDir"), "<missing>");
  ASSERT_EQ(seams_.MessageBoxes.Count(), 1u);
  EXPECT_EQ(seams_.MessageBoxes.Calls()[0].Text, "设置已保存!");
  EXPECT_EQ(seams_.MessageBoxes.Calls()[0].Caption, "信息");
  EXPECT_EQ(seams_.MessageBoxes.Calls()[0].Owner, form_.Handle());

  // A folder two levels deep cannot be created: nothing is written, nothing confirmed.
  page_.CheckBoxAutoRegBak.SetChecked(true);
  page_.EditAutoRegBak.SetText(dir_.Path() + "no\\such");
  page_.BitBtn5.Click();
  EXPECT_EQ(Ini("AutoRegBak"), "0");
  EXPECT_EQ(seams_.MessageBoxes.Count(), 1u);

  page_.EditAutoRegBak.SetText(backups_);
  page_.BitBtn5.Click();
  EXPECT_TRUE(PathExists(backups_));
  EXPECT_EQ(Ini("AutoRegBak"), "1");
  EXPECT_EQ(Ini("RegBakDir"), backups_);
  EXPECT_EQ(seams_.MessageBoxes.Count(), 2u);

  // The Windows folder or a drive root: nothing saved, and the user is told why.
  for (const std::string& system : {GetWindowsDir(), std::string("C:\\")}) {
    page_.EditAutoRegBak.SetText(system);
    page_.BitBtn5.Click();
    EXPECT_EQ(Ini("RegBakDir"), backups_);
    EXPECT_EQ(seams_.MessageBoxes.Calls().back().Text, "备份目录不能是系统目录或磁盘根目录!");
  }
  EXPECT_EQ(seams_.MessageBoxes.Count(), 4u);

  // A config.ini that cannot be written (the tests run as root under Wine, where the read-only
  // attribute binds nobody; a file held open without sharing does): no confirmation.
  HANDLE held = CreateFileA(ini_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  page_.CheckBoxAutoRegBak.SetChecked(false);
  page_.BitBtn5.Click();
  CloseHandle(held);
  EXPECT_EQ(Ini("AutoRegBak"), "1");
  EXPECT_EQ(seams_.MessageBoxes.Count(), 4u);
}

// Also run with the system code page 1252: config.ini is code page 936 text on any system, and
// the folder it names is made under its Chinese name.
TEST_F(Settings, AChineseFolderNameSurvivesTheFile_AnyCodePage) {
  const std::string folder = dir_.Path() + "备份";
  WriteIni("[RunData]\r\nRegBakDir=" + folder + "\r\n");
  EXPECT_EQ(Ini("RegBakDir"), folder);
  ASSERT_TRUE(EnsureFolder(Ini("RegBakDir")));
  const std::string ascii = dir_.Path();
  EXPECT_NE(GetFileAttributesW((std::wstring(ascii.begin(), ascii.end()) + L"备份").c_str()),
            INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(TSettingsFile(ini_).Write("RegBakDir", folder + "2"));
  EXPECT_NE(ReadTextFile(ini_).find("RegBakDir=" + folder + "2\r\n"), std::string::npos);
}
