#include "app/Settings.h"

#include <cctype>
#include <vector>

#include "app/JobRunner.h"
#include "regbackup/Rotation.h"
#include "system/ProtectedFolders.h"
#include "system/SysUtils.h"

namespace {
const char kSection[] = "RunData";

// Folder tests on a removable drive without a disk would otherwise raise a system error box.
class TNoCriticalErrorBoxes {
 public:
  TNoCriticalErrorBoxes() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~TNoCriticalErrorBoxes() { SetErrorMode(old_); }

 private:
  UINT old_;
};
}  // namespace

std::string TSettingsFile::Read(const std::string& key, const std::string& fallback) const {
  std::vector<char> buffer(256);
  for (;;) {
    const DWORD n = GetPrivateProfileStringA(kSection, key.c_str(), fallback.c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), path_.c_str());
    // A value that filled the buffer may have been cut: read again with room to spare.
    if (n + 1 < buffer.size() || buffer.size() >= (1u << 20)) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 4);
  }
}

bool TSettingsFile::Write(const std::string& key, const std::string& value) const {
  return WritePrivateProfileStringA(kSection, key.c_str(), value.c_str(), path_.c_str()) != FALSE;
}

TSettings ReadSettings(const TSettingsFile& file) {
  TSettings s;
  s.InstallIcon = file.Read("InstallIcon", "0") == "1";
  s.RegBakDir = file.Read("RegBakDir", "D:\\Backup");
  s.AutoRegBak = file.Read("AutoRegBak", "1") == "1";
  if (s.AutoRegBak) s.RegBackDate = file.Read("RegBackDate", "");
  return s;
}

bool IsAbsoluteFolder(const std::string& folder) {
  if (folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) &&
      folder[1] == ':' && folder[2] == '\\')
    return true;
  return folder.size() > 2 && folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\\';
}

bool EnsureFolder(const std::string& folder) {
  if (!IsAbsoluteFolder(folder)) return false;
  TNoCriticalErrorBoxes quiet;
  if (DirectoryExists(folder)) return true;
  CreateDirectoryA(ExcludeTrailingBackslash(folder).c_str(), nullptr);
  return DirectoryExists(folder);
}

bool IsAllowedBackupFolder(const std::string& folder) {
  // An export there would replace and drop files of the system's or the user's own.
  return IsAbsoluteFolder(folder) && !IsProtectedFolder(folder);
}

void RestoreStrayBackups(const std::string& folder) {
  if (!IsAllowedBackupFolder(folder)) return;
  TNoCriticalErrorBoxes quiet;
  if (DirectoryExists(folder)) RestoreStrayCopies(folder);
}

WORD StartAutomaticBackup(const TSettingsFile& file, const std::string& folder,
                          const std::string& lastDate, const std::string& today,
                          const std::function<void(WORD)>& startJob) {
  if (!IsAllowedBackupFolder(folder) || !EnsureFolder(folder)) return 0;
  TRotationPlan plan;
  {
    TNoCriticalErrorBoxes quiet;
    RestoreStrayCopies(folder);
    plan = PlanRotationIn(folder, !lastDate.empty() && lastDate == today);
  }
  if (!plan.Export) return 0;
  RotationDrop = plan.Drop;
  RegBackDateNote = {file.Path(), today};
  startJob(plan.Job);
  return plan.Job;
}

std::string BackupDateStamp() {
  SYSTEMTIME now{};
  GetLocalTime(&now);  // one reading, so the stamp cannot straddle midnight
  return FormatDatePart(now, 1) + FormatDatePart(now, 2) + FormatDatePart(now, 3);
}
