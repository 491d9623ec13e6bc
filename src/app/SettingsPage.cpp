#include "app/SettingsPage.h"

#include "app/JobRunner.h"
#include "app/TrayIcon.h"
#include "system/Seams.h"
#include "system/SysUtils.h"
#include "toolkit/Guarded.h"

TSettingsPage::TSettingsPage(TTabSheet& sheet, IHost& host)
    : TS9(sheet),
      CheckBoxAutoUpdate(&sheet, "自动检查网上本软件的最新版本", 24, 24, 300, 20),
      CheckBoxAutoRegBak(&sheet, "软件每次启动后自动备份注册表文件到", 24, 56, 240, 20),
      EditAutoRegBak(&sheet, 268, 55, 220, 21),
      BitBtn5(&sheet, "保存设置(&S)", 24, 100, 110, 28),
      BitBtn6(&sheet, "取消(&C)", 148, 100, 90, 28),
      host_(host) {
  CheckBoxAutoUpdate.SetName("CheckBoxAutoUpdate");
  CheckBoxAutoUpdate.SetChecked(true);
  CheckBoxAutoUpdate.SetEnabled(false);
  CheckBoxAutoRegBak.SetName("CheckBoxAutoRegBak");
  EditAutoRegBak.SetName("EditAutoRegBak");
  EditAutoRegBak.SetText("D:\\Backup");
  BitBtn5.SetName("BitBtn5");
  BitBtn5.OnClick = [this](TControl*) { BitBtn5Click(); };
  BitBtn6.SetName("BitBtn6");
  BitBtn6.SetEnabled(false);
  // The automatic backup this page starts ends with the program, its slot as it was.
  host_.AddStopHook([] { StopRegistryExportJobs(); });
}

void TSettingsPage::LoadSettings(const std::string& configPath, TTrayIcon& tray) {
  file_ = TSettingsFile(configPath);
  Guarded([&] {
    const TSettings s = ReadSettings(file_);
    tray.TrayIconShown = s.InstallIcon;
    RegBakDir = s.RegBakDir;
    EditAutoRegBak.SetText(s.RegBakDir);
    tray.Install();
    CheckBoxAutoRegBak.SetChecked(s.AutoRegBak);
    if (!s.AutoRegBak) {
      // Copies left by an earlier automatic backup that was ended hard go back all the same.
      RestoreStrayBackups(IncludeTrailingBackslash(s.RegBakDir));
      return;
    }
    RegBakDir = IncludeTrailingBackslash(RegBakDir);
    // An empty or relative folder would resolve against the current directory: no backup then.
    if (!IsAbsoluteFolder(RegBakDir)) return;
    StartAutomaticBackup(file_, RegBakDir, s.RegBackDate, BackupDateStamp(),
                         [this](WORD job) { host_.StartJob(job); });
  });
}

void TSettingsPage::BitBtn5Click() {
  Guarded([&] {
    if (file_.Path().empty()) return;
    bool written;
    if (CheckBoxAutoRegBak.Checked()) {
      const std::string folder = EditAutoRegBak.Text();
      const std::string withSlash = IncludeTrailingBackslash(folder);
      if (IsAbsoluteFolder(withSlash) && !IsAllowedBackupFolder(withSlash)) {
        Seams::MessageBoxes().Show(host_.MainWindow(), "备份目录不能是系统目录或磁盘根目录!",
                                   "提示:", MB_OK);
        return;
      }
      // The folder must be there before any key names it.
      if (!EnsureFolder(withSlash)) return;
      written = file_.Write("AutoRegBak", "1");
      written = file_.Write("RegBakDir", folder) && written;
    } else {
      written = file_.Write("AutoRegBak", "0");
    }
    if (!written) return;
    Seams::MessageBoxes().Show(host_.MainWindow(), "设置已保存!", "信息", MB_OK);
  });
}
