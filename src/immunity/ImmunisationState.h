// The status check of both immunisation tabs, on a plain picture of what the tabs show, so the
// order and the stop-on-failure rule live apart from the controls.
#pragma once

#include <string>
#include <vector>

#include "immunity/ComponentImmunity.h"
#include "immunity/PluginList.h"

struct TPluginRowState {
  bool Checked = false;
  std::string Status;  // "已免疫" / "未免疫"
};

struct TImmunisationState {
  std::vector<bool> Components;  // checked = immunised, one per component
  bool Autoplay = false;         // CheckBox8
  int DriveIndex = 0;            // DriveBox item
  std::vector<TPluginRowState> Plugins;
  bool PatchChecked = false;  // CheckBox9
  bool PatchEnabled = true;
};

extern const char kPluginImmunised[];     // "已免疫"
extern const char kPluginNotImmunised[];  // "未免疫"

// Reads the registry into `state`, in this order: the components, the per-user autoplay value,
// the plug-in rows, the cursor patch of `osFamily`. What the registry does not say is left as it
// was. The first failure (a value that is missing or not REG_DWORD where an integer is read)
// ends the reading there, keeping what was set before; the result is then false.
bool ReadStateFromRegistry(TImmunisationState& state, const std::vector<TComponent>& components,
                           const std::vector<TPlugin>& plugins, const std::string& osFamily);
