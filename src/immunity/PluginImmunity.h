// Plug-in kill bits: Internet Explorer refuses to load a class whose key under
// "ActiveX Compatibility" holds "Compatibility Flags" = 1024. Keys and values are never deleted;
// cancelling writes 0.
#pragma once

#include <string>
#include <vector>

#include "immunity/PluginList.h"

extern const char kCompatibilityFlags[];  // "Compatibility Flags"
constexpr int kKillBit = 1024;

// The key of a plug-in in HKEY_LOCAL_MACHINE: the identifier with characters of code 32 or less
// trimmed from both ends, between "...\ActiveX Compatibility\{" and "}". An identifier with a NUL
// inside ends the path there, without the closing brace, as the registry would read it.
std::string PluginKeyPath(const std::string& classId);

// Sets (immunise) or clears (cancel) the kill bit of every checked plug-in, in order, and returns
// how many were checked. On 64-bit Windows each is written in both registry views. Immunising
// creates a missing key; cancelling skips it (still counted).
// A failing write throws ERegistryError; the plug-ins before it stay written.
int ImmunisePlugins(const std::vector<TPlugin>& plugins, const std::vector<bool>& checked);
int CancelPlugins(const std::vector<TPlugin>& plugins, const std::vector<bool>& checked);

// The state of one plug-in: false when its key opens in no registry view (the row is then left as
// it is); otherwise true with `immunised` set to whether the flags are exactly the kill bit in
// every view (both on 64-bit Windows). A missing or non-DWORD value throws ERegistryError.
bool ReadPluginState(const TPlugin& plugin, bool& immunised);
