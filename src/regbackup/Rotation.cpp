#include "regbackup/Rotation.h"

#include "regbackup/SafeExport.h"
#include "system/SysUtils.h"

std::atomic<int> RotationDrop{0};

std::string RotationSlotName(int slot) {
  return "reg" + std::to_string(slot) + ".reg";
}

TRotationPlan PlanRotation(bool reg1, bool reg2, bool reg3, bool sameDay) {
  TRotationPlan plan;
  // Today's export is the slot before the gap: slot 1 or 2 while reg1.reg exists, slot 3 when
  // reg2.reg and reg3.reg exist and reg1.reg was dropped by it.
  if (sameDay && (reg1 || (reg2 && reg3))) return plan;
  plan.Export = true;
  if (!reg1 || (reg2 && reg3)) {
    plan.Slot = 1;
  } else if (!reg2) {
    plan.Slot = 2;
  } else {
    plan.Slot = 3;
  }
  plan.Job = static_cast<WORD>(6 + plan.Slot);
  plan.Drop = sameDay ? 0 : plan.Slot % 3 + 1;
  return plan;
}

TRotationPlan PlanRotationIn(const std::string& folder, bool sameDay) {
  auto exists = [&](int slot) { return FileExists(folder + RotationSlotName(slot)); };
  return PlanRotation(exists(1), exists(2), exists(3), sameDay);
}

bool RunRotationExport(const std::string& folder, int slot, int drop, DWORD timeoutMs) {
  if (slot < 1 || slot > 3) return false;
  if (ExportRegistryReplacing(folder + RotationSlotName(slot), timeoutMs) !=
      TExportOutcome::Written)
    return false;
  if (drop >= 1 && drop <= 3 && drop != slot) DeleteFileEntry(folder + RotationSlotName(drop));
  return true;
}
