// Page 8: backing up the whole registry into a file the user chooses and restoring such a file,
// both through the system registry editor.
#pragma once

#include <string>

#include "toolkit/Button.h"
#include "toolkit/Host.h"
#include "toolkit/Label.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"

class TRegBackupPage {
 public:
  TRegBackupPage(TTabSheet& TS8, IHost& host);
  TRegBackupPage(const TRegBackupPage&) = delete;
  TRegBackupPage& operator=(const TRegBackupPage&) = delete;

  void BitBtnRegBakClick();
  void BitBtnRegResClick();

  TTabSheet& TS8;
  TLabel Label5;
  TLabel Label6;
  TGroupBox GroupBox3;
  TButton BitBtnRegBak;
  TGroupBox GroupBox4;
  TButton BitBtnRegRes;

 private:
  void Backup();
  void Restore();
  // Both buttons stay off while the registry editor runs; the window keeps answering.
  void SetBusy(bool busy);
  void Say(const std::string& text, const std::string& caption);

  IHost& host_;
  bool busy_ = false;
};

// "name.txt" -> "name.reg"; a name without an extension gets ".reg". Double-byte aware.
std::string ChangeFileExtToReg(const std::string& fileName);
