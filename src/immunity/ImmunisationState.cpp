#include "immunity/ImmunisationState.h"

#include <windows.h>

#include "immunity/AutoplayPolicy.h"
#include "immunity/CursorPatch.h"
#include "immunity/PluginImmunity.h"
#include "system/Registry.h"

const char kPluginImmunised[] = "已免疫";
const char kPluginNotImmunised[] = "未免疫";

namespace {

void ReadAutoplay(TImmunisationState& state) {
  TRegistry reg;
  reg.SetRootKey(HKEY_CURRENT_USER);
  if (!reg.OpenKey(kAutoplayUserKey, false) || !reg.ValueExists(kAutoplayValue)) return;
  // The box is checked before the value is read: a value of the wrong type stops the check with
  // the box already checked.
  state.Autoplay = true;
  const int index = DriveIndexOfAutoplayValue(reg.ReadInteger(kAutoplayValue));
  if (index >= 0)
    state.DriveIndex = index;
  else
    state.Autoplay = false;
}

void ReadPlugins(TImmunisationState& state, const std::vector<TPlugin>& plugins) {
  for (size_t i = 0; i < plugins.size() && i < state.Plugins.size(); ++i) {
    bool immunised = false;
    if (!ReadPluginState(plugins[i], immunised)) continue;
    state.Plugins[i].Checked = immunised;
    state.Plugins[i].Status = immunised ? kPluginImmunised : kPluginNotImmunised;
  }
}

void ReadPatch(TImmunisationState& state, const std::string& osFamily) {
  switch (DetectCursorPatch(osFamily)) {
    case TPatchDetection::Found:
      state.PatchChecked = true;
      state.PatchEnabled = false;
      break;
    case TPatchDetection::NotFound:
      state.PatchChecked = false;
      break;
    case TPatchDetection::Unknown:
      break;
  }
}

}  // namespace

bool ReadStateFromRegistry(TImmunisationState& state, const std::vector<TComponent>& components,
                           const std::vector<TPlugin>& plugins, const std::string& osFamily) {
  try {
    state.Components.resize(components.size());
    for (size_t i = 0; i < components.size(); ++i)
      state.Components[i] = ComponentImmunised(components[i]);
    ReadAutoplay(state);
    ReadPlugins(state, plugins);
    ReadPatch(state, osFamily);
    return true;
  } catch (...) {
    return false;
  }
}
