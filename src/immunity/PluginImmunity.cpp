#include "immunity/PluginImmunity.h"

#include <windows.h>

#include "system/Registry.h"

const char kCompatibilityFlags[] = "Compatibility Flags";

namespace {
const char kCompatibilityRoot[] =
    "\\SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\{";

int SetFlags(const std::vector<TPlugin>& plugins, const std::vector<bool>& checked, bool create,
             int flags) {
  int count = 0;
  for (size_t i = 0; i < plugins.size() && i < checked.size(); ++i) {
    if (!checked[i]) continue;
    // The 64-bit browser reads the 64-bit view, the 32-bit one its own: both carry the flags.
    for (TRegView view : MachineViews()) {
      TRegistry reg(KEY_ALL_ACCESS, TRegView::Bit64);
      reg.SetRootKey(HKEY_LOCAL_MACHINE);
      if (reg.OpenKey(ViewKeyPath(view, PluginKeyPath(plugins[i].ClassId)), create))
        reg.WriteInteger(kCompatibilityFlags, flags);
    }
    ++count;  // a key that cannot be opened still counts as handled
  }
  return count;
}
}  // namespace

std::string PluginKeyPath(const std::string& classId) {
  size_t first = 0, last = classId.size();
  while (first < last && (unsigned char)classId[first] <= 32) ++first;
  while (last > first && (unsigned char)classId[last - 1] <= 32) --last;
  const std::string id = classId.substr(first, last - first);
  const size_t nul = id.find('\0');
  if (nul != std::string::npos) return kCompatibilityRoot + id.substr(0, nul);
  return kCompatibilityRoot + id + "}";
}

int ImmunisePlugins(const std::vector<TPlugin>& plugins, const std::vector<bool>& checked) {
  return SetFlags(plugins, checked, true, kKillBit);
}

int CancelPlugins(const std::vector<TPlugin>& plugins, const std::vector<bool>& checked) {
  return SetFlags(plugins, checked, false, 0);
}

bool ReadPluginState(const TPlugin& plugin, bool& immunised) {
  bool opened = false, all = true;
  for (TRegView view : MachineViews()) {
    TRegistry reg(KEY_ALL_ACCESS, TRegView::Bit64);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(ViewKeyPath(view, PluginKeyPath(plugin.ClassId)), false)) {
      all = false;  // a browser of this view still loads the plug-in
      continue;
    }
    opened = true;
    if (reg.ReadInteger(kCompatibilityFlags) != kKillBit) all = false;
  }
  if (!opened) return false;
  immunised = all;
  return true;
}
