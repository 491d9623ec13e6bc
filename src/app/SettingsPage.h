// Page 9: the automatic registry backup settings, and the settings load at the first show that
// also installs the tray icon and hot key and starts the automatic backup.
#pragma once

#include <string>

#include "app/Settings.h"
#include "toolkit/Button.h"
#include "toolkit/Host.h"
#include "toolkit/Memo.h"
#include "toolkit/PageControl.h"

class TTrayIcon;

class TSettingsPage {
 public:
  TSettingsPage(TTabSheet& TS9, IHost& host);
  TSettingsPage(const TSettingsPage&) = delete;
  TSettingsPage& operator=(const TSettingsPage&) = delete;

  // Once, at the end of the first show: reads `configPath` (the program's config.ini), fills the
  // page, installs the tray icon and hot key when asked for, and starts the automatic backup.
  void LoadSettings(const std::string& configPath, TTrayIcon& tray);
  // Save into the file the load read; nothing before the load.
  void BitBtn5Click();

  TTabSheet& TS9;
  TCheckBox CheckBoxAutoUpdate;
  TCheckBox CheckBoxAutoRegBak;
  TEdit EditAutoRegBak;
  TButton BitBtn5;
  TButton BitBtn6;

  const TSettingsFile& File() const { return file_; }

 private:
  IHost& host_;
  TSettingsFile file_{""};
};
