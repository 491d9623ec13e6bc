#include "regbackup/Rotation.h"

#include <algorithm>
#include <vector>

#include "regbackup/SafeExport.h"
#include "system/Text.h"
#include "system/SysUtils.h"
#include "toolkit/Host.h"
#include "system/Handles.h"

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
  plan.Job = static_cast<WORD>(kJobExportSlot1 - 1 + plan.Slot);
  plan.Drop = sameDay ? 0 : plan.Slot % 3 + 1;
  return plan;
}

TRotationPlan PlanRotationIn(const std::string& folder, bool sameDay) {
  auto exists = [&](int slot) { return FileExists(folder + RotationSlotName(slot)); };
  return PlanRotation(exists(1), exists(2), exists(3), sameDay);
}

bool RunRotationExport(const std::string& folder, int slot, int drop, DWORD timeoutMs,
                       HANDLE stop) {
  if (slot < 1 || slot > 3) return false;
  auto slotFile = [&](int n) { return folder + RotationSlotName(n); };
  for (int skipped = 0; IsLinkPath(slotFile(slot)); ++skipped) {
    if (skipped == 2) return false;  // every slot is a link
    slot = slot % 3 + 1;
    if (drop != 0) drop = slot % 3 + 1;
  }
  if (ExportRegistryReplacing(slotFile(slot), timeoutMs, stop) != TExportOutcome::Written)
    return false;
  if (drop >= 1 && drop <= 3 && drop != slot && !IsLinkPath(slotFile(drop)))
    DeleteFileEntry(slotFile(drop));
  return true;
}

namespace {
struct TStrayCopy {
  std::string Path;
  ULONGLONG Written = 0;
};

// The regular files "<file>.~K" (K digits only) beside `file`.
std::vector<TStrayCopy> StrayCopiesOf(const std::string& file) {
  std::vector<TStrayCopy> copies;
  WIN32_FIND_DATAW found{};
  TFindHandle find(FindFirstFileW(WideFrom(file + ".~*").c_str(), &found));
  if (!find) return copies;
  const std::string folder = ExtractFilePath(file);
  const std::string prefix = ExtractFileName(file) + ".~";
  const size_t suffixAt = prefix.size();
  do {
    bool exact = true;
    const std::string name = NarrowFrom(found.cFileName, &exact);
    // Only names of the program's own making ("reg1.reg.~2"): another would name another file.
    if (!exact || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    // The pattern also matches short names: the long name must have the form itself.
    if (name.size() <= suffixAt || !SameText(name.substr(0, suffixAt), prefix) ||
        name.find_first_not_of("0123456789", suffixAt) != std::string::npos)
      continue;
    const ULONGLONG written = (ULONGLONG(found.ftLastWriteTime.dwHighDateTime) << 32) |
                              found.ftLastWriteTime.dwLowDateTime;
    copies.push_back({folder + name, written});
  } while (FindNextFileW(find.get(), &found));
  return copies;
}
}  // namespace

void RestoreStrayCopies(const std::string& folder) {
  for (int slot = 1; slot <= 3; ++slot) {
    const std::string file = folder + RotationSlotName(slot);
    std::vector<TStrayCopy> copies = StrayCopiesOf(file);
    if (copies.empty()) continue;
    std::sort(copies.begin(), copies.end(),
              [](const TStrayCopy& a, const TStrayCopy& b) { return a.Written > b.Written; });
    // A link in the slot is left as it is; a link among the copies never goes into the slot.
    std::string back;
    if (!IsLinkPath(file) && !IsCompleteExport(file)) {
      for (const auto& copy : copies)
        if (!IsLinkPath(copy.Path) && IsCompleteExport(copy.Path)) {
          back = copy.Path;
          break;
        }
      if (back.empty() && !FileHasContent(file)) {
        for (const auto& copy : copies)
          if (!IsLinkPath(copy.Path) && FileHasContent(copy.Path)) {
            back = copy.Path;
            break;
          }
      }
    }
    for (const auto& copy : copies)
      if (copy.Path != back) DeleteFileEntry(copy.Path);
    if (!back.empty() &&
        !MoveFileExW(WideFrom(back).c_str(), WideFrom(file).c_str(), MOVEFILE_REPLACE_EXISTING)) {
      DeleteFileEntry(file);
      MoveFileW(WideFrom(back).c_str(), WideFrom(file).c_str());
    }
  }
}
