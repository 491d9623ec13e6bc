// 64-bit Windows shows a 32-bit program a registry of its own: HKEY_LOCAL_MACHINE\Software (with
// the class registrations under it) is redirected to Software\Wow6432Node. Machine-wide settings
// are therefore read and written in both views, each key named by the path the 64-bit view gives
// it, which is its real one. On 32-bit Windows there is one view and nothing changes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Whether this 32-bit program runs on 64-bit Windows; asked once.
bool IsWow64();

enum class TRegView {
  Own,    // what the system shows this program without asking: the 32-bit view under WOW64
  Bit64,  // the 64-bit view, which holds the 32-bit one below Wow6432Node
  Bit32,  // the 32-bit view
};

// KEY_WOW64_64KEY or KEY_WOW64_32KEY to add to an access mask; nothing on 32-bit Windows, where
// older systems refuse the flags and both views are the one registry.
REGSAM RegViewFlag(TRegView view);

// The views that machine-wide settings live in: Bit64 then Bit32 under WOW64, Own otherwise.
std::vector<TRegView> MachineViews();

// The path below HKEY_LOCAL_MACHINE by which the 64-bit view names the key that `view` calls
// `path`: for the 32-bit view under WOW64 "Software\X" becomes "Software\Wow6432Node\X" and
// "Software\Classes\X" becomes "Software\Classes\Wow6432Node\X"; other keys are shared and other
// views unchanged. A leading "\" is kept.
std::string ViewKeyPath(TRegView view, const std::string& path);
