// The drive autoplay policy: "NoDriveTypeAutoRun" per user (HKEY_CURRENT_USER) and for the
// machine (HKEY_LOCAL_MACHINE). The drive box's item index selects the value written.
#pragma once

#include <string>

extern const char kAutoplayValue[];       // "NoDriveTypeAutoRun"
extern const char kAutoplayUserKey[];     // under HKEY_CURRENT_USER
extern const char kAutoplayMachineKey[];  // under HKEY_LOCAL_MACHINE

// Drive box index 0..3 to the policy value; -1 for any other index.
int AutoplayValueOfIndex(int index);
// Policy value to drive box index; -1 for a value the box has no item for.
int DriveIndexOfAutoplayValue(int value);

// Writes the value of `index` per user (creating the key; failures ignored) and, when the machine
// key already exists, for the machine too. Nothing is written for an index outside 0..3.
// Returns true when the machine value was written (the only case that is reported).
bool ApplyAutoplayPolicy(int index);
// Deletes the machine value when the machine key opens; the per-user value stays. Returns true
// when the machine key opened (reported whether or not the value was there).
bool CancelAutoplayPolicy();
