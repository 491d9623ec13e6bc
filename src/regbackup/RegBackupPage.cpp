#include "regbackup/RegBackupPage.h"

#include "regbackup/RegistryEditor.h"
#include "regbackup/SafeExport.h"
#include "system/Seams.h"
#include "system/SysUtils.h"
#include "system/UndoFolder.h"
#include "toolkit/Guarded.h"

    namespace {
  const char kFilter[] = "注册表文件(*.reg)|*.reg|所有文件(*.*)|*.*";
  const char kSaveTitle[] = "选择或者输入要备份的注册表文件名";
  const char kOpenTitle[] = "选择要恢复的注册表文件名";
  const char kNotFound[] = "要恢复的注册表文件不存在,恢复失败!";

  std::string BackupFailedText(const std::string& file) {
    return "备份注册表文件 " + file + " 失败!请确认文件名或者目录名中不含有空格!";
  }

  bool HasExtension(const std::string& fileName) {
    const auto dot = LastDelimiter(fileName, ".\\:");
    return dot != std::string::npos && fileName[dot] == '.';
  }

  bool HasRegExtension(const std::string& fileName) {
    return HasExtension(fileName) &&
           SameText(fileName.substr(LastDelimiter(fileName, ".\\:")), ".reg");
  }
}  // namespace

std::string ChangeFileExtToReg(const std::string& fileName) {
  const auto dot = LastDelimiter(fileName, ".\\:");
  if (dot != std::string::npos && fileName[dot] == '.') return fileName.substr(0, dot) + ".reg";
  return fileName + ".reg";
}

TRegBackupPage::TRegBackupPage(TTabSheet& sheet, IHost& host)
    : TS8(sheet),
      Label5(&sheet, "备份注册表的重要性", 24, 20),
      Label6(&sheet,
             "注册表是Windows的核心,它保证和影响着系统的正常运行.在系统正常时保存备份是非常必要的!",
             24, 48, 500, 36),
      GroupBox3(&sheet, "注册表备份", 24, 96, 500, 80),
      BitBtnRegBak(&GroupBox3, "备份注册表(&B)", 24, 32, 130, 28),
      GroupBox4(&sheet, "注册表恢复", 24, 196, 500, 80),
      BitBtnRegRes(&GroupBox4, "恢复注册表(&R)", 24, 32, 130, 28),
      host_(host) {
  Label5.SetName("Label5");
  TFont bold = Label5.Font();
  bold.SetBold(true);
  Label5.SetFont(bold);
  Label6.SetName("Label6");
  GroupBox3.SetName("GroupBox3");
  BitBtnRegBak.SetName("BitBtnRegBak");
  GroupBox4.SetName("GroupBox4");
  BitBtnRegRes.SetName("BitBtnRegRes");
  BitBtnRegBak.OnClick = [this](TControl*) { BitBtnRegBakClick(); };
  BitBtnRegRes.OnClick = [this](TControl*) { BitBtnRegResClick(); };
}

void TRegBackupPage::BitBtnRegBakClick() {
  if (busy_) return;
  Guarded([&] { Backup(); });
  SetBusy(false);
}

void TRegBackupPage::BitBtnRegResClick() {
  if (busy_) return;
  Guarded([&] { Restore(); });
  SetBusy(false);
}

void TRegBackupPage::SetBusy(bool busy) {
  busy_ = busy;
  BitBtnRegBak.SetEnabled(!busy);
  BitBtnRegRes.SetEnabled(!busy);
}

void TRegBackupPage::Say(const std::string& text, const std::string& caption) {
  // After an exit from the tray menu nothing more is shown.
  if (host_.Closing()) return;
  Seams::MessageBoxes().Show(host_.MainWindow(), text, caption, MB_OK);
}

void TRegBackupPage::Backup() {
  std::string chosen;
  if (!Seams::FileDialogs().SaveFile(host_.MainWindow(), kFilter, "", chosen, kSaveTitle)) return;
  const std::string file = ChangeFileExtToReg(chosen);
  if (file.find(' ') != std::string::npos) {
    Say("要保存的文件名或者目录名中含有空格,保存失败!", "提示:");
    return;
  }
  // Nothing is moved or written through a link: it would land on whatever it points to.
  if (IsLinkPath(file)) {
    Say(BackupFailedText(file), "备份注册表");
    return;
  }
  if (FileExists(file)) {
    const std::string question =
        std::string("注意!要备份的注册表文件已经存在!") + "\r\n" + "确认要继续吗？";
    if (Seams::MessageBoxes().Show(host_.MainWindow(), question, "Confirm",
                                   MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
  }
  SetBusy(true);
  // The existing file is only moved aside: it comes back if the new export does not appear.
  const TExportOutcome outcome = ExportRegistryReplacing(file);
  SetBusy(false);
  if (outcome == TExportOutcome::Written)
    Say("备份注册表文件 " + file + " 成功!", "备份注册表");
  else
    Say(BackupFailedText(file), "备份注册表");
}

void TRegBackupPage::Restore() {
  std::string chosen;
  // Undo files are found without knowing where the program keeps them.
  const std::string undo = UndoFolder();
  const std::string initialDir = DirectoryExists(undo) ? undo : std::string();
  if (!Seams::FileDialogs().OpenFile(host_.MainWindow(), kFilter, "", chosen, kOpenTitle,
                                     initialDir))
    return;
  // Only the chosen file is imported: a name of another kind is never swapped for a ".reg" file
  // of the same name, whether it exists or not; a name without an extension gets ".reg".
  if (HasExtension(chosen) && !HasRegExtension(chosen)) {
    Say(kNotFound, "提示:");
    return;
  }
  const std::string file = HasExtension(chosen) ? chosen : chosen + ".reg";
  if (!FileExists(file)) {
    Say(kNotFound, "提示:");
    return;
  }
  if (file.find(' ') != std::string::npos) {
    Say("要恢复的文件名或者目录名中含有空格,恢复失败!", "提示:");
    return;
  }
  SetBusy(true);
  ImportRegistry(file);
  SetBusy(false);
}
