#include "immunity/AutoplayPolicy.h"

#include <windows.h>

#include "system/Registry.h"

const char kAutoplayValue[] = "NoDriveTypeAutoRun";
const char kAutoplayUserKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\";
const char kAutoplayMachineKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

namespace {
const int kValues[] = {255, 181, 189, 157};  // all drives, CD-ROM, keep CD audio, USB drives
}

int AutoplayValueOfIndex(int index) {
  return index >= 0 && index < 4 ? kValues[index] : -1;
}

int DriveIndexOfAutoplayValue(int value) {
  for (int i = 0; i < 4; ++i)
    if (kValues[i] == value) return i;
  return -1;
}

bool ApplyAutoplayPolicy(int index) {
  const int value = AutoplayValueOfIndex(index);
  try {
    TRegistry user;
    user.SetRootKey(HKEY_CURRENT_USER);
    if (user.OpenKey(kAutoplayUserKey, true) && value >= 0)
      user.WriteInteger(kAutoplayValue, value);
  } catch (const ERegistryError&) {
    // The per-user write is best effort; the machine step still runs.
  }
  TRegistry machine;
  machine.SetRootKey(HKEY_LOCAL_MACHINE);
  if (value < 0 || !machine.OpenKey(kAutoplayMachineKey, false)) return false;
  machine.WriteInteger(kAutoplayValue, value);
  return true;
}

bool CancelAutoplayPolicy() {
  TRegistry machine;
  machine.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!machine.OpenKey(kAutoplayMachineKey, false)) return false;
  if (machine.ValueExists(kAutoplayValue)) machine.DeleteValue(kAutoplayValue);
  return true;
}
