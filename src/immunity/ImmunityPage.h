// The two immunisation tabs of page 1: "恶意网页免疫" (scripting components, drive autoplay,
// cursor patch) and "插件免疫" (plug-in kill bits). The buttons and select-all labels of both
// tabs share their handlers, which act on whichever of the two is the active inner tab.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "immunity/CursorPatch.h"
#include "immunity/ImmunisationState.h"
#include "immunity/InstallerTrust.h"
#include "immunity/PluginList.h"
#include "toolkit/Button.h"
#include "toolkit/ClickLabel.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Host.h"
#include "toolkit/Label.h"
#include "toolkit/ListView.h"
#include "toolkit/Memo.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"

class TImmunityPage {
 public:
  // Inner tab indexes of the two sheets in their page control.
  static constexpr int kComponentTab = 2;
  static constexpr int kPluginTab = 3;

  TImmunityPage(TTabSheet& componentSheet, TTabSheet& pluginSheet, IHost& host);
  TImmunityPage(const TImmunityPage&) = delete;
  TImmunityPage& operator=(const TImmunityPage&) = delete;

  // Re-reads the state of both tabs from the registry. The main window calls it at first show;
  // the buttons call it after every immunise and cancel. Never throws.
  void ReadImmunisationState();

  // Immunise / cancel the selection of the active inner tab.
  void BitBtn2Click(TControl* sender = nullptr);
  void BitBtn1Click(TControl* sender = nullptr);
  // Tag 1 of the sender checks everything on the active inner tab, any other Tag unchecks it.
  void SelectallClick(TControl* sender);
  void CheckBox8Click(TControl* sender = nullptr);

  // Replaces the signature check of the cursor patch installer; nullptr restores the real one.
  void SetInstallerTrust(IInstallerTrust* trust);

  TTabSheet& TabSheetComponents;
  TTabSheet& TabSheetPlugins;

  // Tab "恶意网页免疫".
  TLabel Label1;
  TCheckBox CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7;
  TCheckBox CheckBox8;
  TComboBox DriveBox;
  TCheckBox CheckBox9;
  TEdit Ms0717Url;
  TLabel Label2;
  TClickLabel Label3, Label4;
  TButton BitBtn4, BitBtn3;

  // Tab "插件免疫".
  TPanel PanelPluginButtons;
  TListView ActiveListView;
  TClickLabel Selectall, Noselectall;
  TButton BitBtn1, BitBtn2;

  // The plug-ins of the list, one per row in the same order; key paths come from here because a
  // list view cannot hold the NUL characters of the damaged identifiers.
  const std::vector<TPlugin> Plugins;
  // The OS family name used for the cursor patch (the Windows version name).
  std::string OsFamily;
  // Where the cursor patch installer comes from.
  TPatchSources PatchSources;

 private:
  int ActiveInnerTab() const;
  std::vector<TCheckBox*> ComponentBoxes();
  std::vector<bool> ComponentChecks();
  std::vector<bool> PluginChecks() const;
  TImmunisationState CurrentState();
  void ShowState(const TImmunisationState& state);
  int ShowMessage(const std::string& text, UINT icon = MB_ICONINFORMATION);

  void ImmuniseComponentTab();
  void CancelComponentTab();
  void ImmunisePluginTab();
  void CancelPluginTab();
  // Cursor patch step: true when the installer was started. Throws TPatchAbandoned when the
  // program ends while the installer is fetched.
  struct TPatchAbandoned {};
  bool RunCursorPatch();
  void PlaceProgressInStatusBar();
  void RestoreProgress();

  IHost& host_;
  TAuthenticodeTrust realTrust_;
  IInstallerTrust* trust_ = &realTrust_;
  struct TBounds {
    int Left = 0, Top = 0, Width = 0, Height = 0;
  };
  TControl* progressHome_ = nullptr;  // where the progress bar was before the status bar
  TBounds progressBounds_;
  bool patchBusy_ = false;  // the patch installer is being fetched
};
