// config.ini next to the program, section "RunData": read once at the first show, written by the
// settings page. The file is code page 936 text, read and written here as the system's
// private-profile functions do, but without the system's code page in between: a folder named in
// Chinese reads back the same on any Windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class TSettingsFile {
 public:
  explicit TSettingsFile(std::string path) : path_(std::move(path)) {}
  const std::string& Path() const { return path_; }
  // The key's text, or `fallback` when the file or key is missing; values of any length.
  std::string Read(const std::string& key, const std::string& fallback) const;
  // False when the value could not be written (e.g. a read-only file or folder).
  bool Write(const std::string& key, const std::string& value) const;

 private:
  std::string path_;
};

struct TSettings {
  bool InstallIcon = false;  // "InstallIcon" is "1"
  std::string RegBakDir = "D:\\Backup";
  bool AutoRegBak = true;   // "AutoRegBak" is "1"
  std::string RegBackDate;  // read only when AutoRegBak
};

TSettings ReadSettings(const TSettingsFile& file);

// Drive letter + ":\" or a "\\server\share" name; anything else would resolve against the
// current directory.
bool IsAbsoluteFolder(const std::string& folder);
// Finds the folder or creates it (one level); no system error box for a drive without a disk.
bool EnsureFolder(const std::string& folder);

// False for a folder no backup may go into: not absolute, a drive root, or a folder of the one
// protected-folder list (the Windows folder, the profile ...). Such a folder counts as none.
bool IsAllowedBackupFolder(const std::string& folder);

// Puts back or deletes the copies an automatic backup that was ended hard left in the backup
// folder (with a trailing "\"), when it is an allowed one and exists. For a start that backs up
// nothing; StartAutomaticBackup does the same itself.
void RestoreStrayBackups(const std::string& folder);

// The automatic backup at start, for a backup folder with a trailing "\": restores stray copies,
// picks the slot and starts its export job through `startJob`, which records "RegBackDate" :=
// `today` once the export is written. Returns the job started, or 0 when none was (folder not
// allowed, missing and not creatable, or today's backup exists).
WORD StartAutomaticBackup(const TSettingsFile& file, const std::string& folder,
                          const std::string& lastDate, const std::string& today,
                          const std::function<void(WORD)>& startJob);

// Today as eight digits: year, month, day.
std::string BackupDateStamp();
