// The automatic registry backup at start: three slot files "reg1.reg", "reg2.reg", "reg3.reg" in
// the backup folder, written in turn, one a day at most. Each export deletes the slot after the
// one it writes, so one slot is always missing and the missing one tells which slot is next.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "regbackup/RegistryEditor.h"

// File name of slot 1, 2 or 3.
std::string RotationSlotName(int slot);

struct TRotationPlan {
  bool Export = false;  // false: today's backup exists, nothing to do
  WORD Job = 0;         // 7, 8 or 9: the job that writes slot Job - 6
  int Slot = 0;
  // The slot the export drops once it has succeeded (0: none). A second start on the same day
  // drops nothing: the slot after would be an earlier day's backup.
  int Drop = 0;
};

// Which slot the start writes, from which slots exist and whether the backup date is today.
TRotationPlan PlanRotation(bool reg1, bool reg2, bool reg3, bool sameDay);
// The same, looking at the files in `folder` (ending in "\").
TRotationPlan PlanRotationIn(const std::string& folder, bool sameDay);

// Job 7, 8 or 9 on its worker: exports into the slot (an existing slot file is replaced only once
// the new export is complete) and only then deletes the slot `drop` (0: none). A slot that is a
// link is never touched: the export goes to the slot after it, and the drop moves along. `stop`
// (an event, may be null) ends a running export, which then puts the slot's earlier file back
// and drops nothing. True when written.
bool RunRotationExport(const std::string& folder, int slot, int drop,
                       DWORD timeoutMs = kRegistryEditorWaitMs, HANDLE stop = nullptr);

// At start, before anything else happens in `folder`: a copy "regN.reg.~K" that an export moved
// aside and could not put back (the program was ended hard) goes back into its slot when the slot
// holds no complete export, the newest complete copy first; every other such copy is deleted.
void RestoreStrayCopies(const std::string& folder);

// The slot the next rotation job drops after its export; set by the starter just before it starts
// the job, as the job code is.
extern std::atomic<int> RotationDrop;
