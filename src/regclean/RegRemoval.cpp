#include "regclean/RegRemoval.h"

#include "system/Handles.h"
#include "regclean/RegText.h"
#include "system/UndoFolder.h"
#include "system/UndoWriter.h"
#include "system/RegValue.h"
#include "system/RegView.h"
#include "system/Registry.h"
#include "system/SysUtils.h"
#include "system/Text.h"

namespace {

// By the real path the walk found it under, in the 64-bit view that names every key so.
bool OpenHitKey(const TRegHit& hit, TKeyHandle& key) {
  return RegOpenKeyExW(hit.Root, hit.KeyPath.c_str(), REG_OPTION_OPEN_LINK,
                       KEY_QUERY_VALUE | KEY_SET_VALUE | RegViewFlag(TRegView::Bit64),
                       key.out()) == ERROR_SUCCESS;
}

bool StillHoldsIn(HKEY key, const TRegHit& hit) {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  if (ReadRegValue(key, hit.Name, type, data) != ERROR_SUCCESS) return false;
  if (type != hit.Type || data != hit.Data) return false;
  return IsInvalidRegString(hit.Name, data.data(), static_cast<DWORD>(data.size()));
}

std::wstring FullKeyName(const TRegHit& hit) {
  return WideFrom(hit.RootName) + (hit.KeyPath.empty() ? L"" : L"\\" + hit.KeyPath);
}

// Writes the hits to `undo`; true when every one of them could be carried.
bool AddToUndo(const std::vector<TRegHit>& hits, TUndoWriter& undo) {
  bool all = true;
  for (const TRegHit& hit : hits)
    all = undo.AddKey(FullKeyName(hit)) &&
          undo.AddValue(hit.Name, hit.Type, hit.Data.data(), hit.Data.size()) && all;
  return all;
}

}  // namespace

bool SplitGridKey(const std::wstring& text, HKEY& root, std::wstring& path) {
  root = nullptr;
  path.clear();
  const auto colon = text.find(L':');
  if (colon == std::wstring::npos) return false;
  const HKEY named = TRegistry::RootFromName(NarrowFrom(text.substr(0, colon)));
  // Only the roots the cleaner scans.
  if (named != HKEY_CURRENT_USER && named != HKEY_USERS && named != HKEY_LOCAL_MACHINE)
    return false;
  root = named;
  path = colon + 2 <= text.size() ? text.substr(colon + 2) : std::wstring();
  if (path.empty() || path[0] != L'\\') path = L"\\" + path;
  return true;
}

bool SplitGridKey(const std::string& text, HKEY& root, std::string& path) {
  std::wstring wide;
  const bool ok = SplitGridKey(WideFrom(text), root, wide);
  path = NarrowFrom(wide);
  return ok;
}

bool HitStillHolds(const TRegHit& hit) {
  TKeyHandle key;
  return OpenHitKey(hit, key) && StillHoldsIn(key.get(), hit);
}

TRemovalResult RemoveRegHits(const std::vector<TRegHit>& hits, const std::string& undoDir) {
  TRemovalResult result;
  std::vector<TRegHit> planned;
  std::vector<size_t> plannedIndex;
  for (size_t i = 0; i < hits.size(); ++i) {
    // A value the undo file cannot carry is never deleted.
    const TRegHit& hit = hits[i];
    if (!hit.Exact || !TUndoWriter::CanCarry(FullKeyName(hit)) ||
        !TUndoWriter::CanCarryValue(hit.Name, hit.Type, hit.Data.data(), hit.Data.size()) ||
        !HitStillHolds(hit))
      continue;
    planned.push_back(hits[i]);
    plannedIndex.push_back(i);
  }
  if (planned.empty()) return result;

  result.UndoFailed = true;
  TUndoWriter undo;
  if (!AddToUndo(planned, undo)) return result;
  const std::string file = SaveUndoFile(undo, "RegClean", undoDir);
  if (file.empty()) return result;
  result.UndoFailed = false;
  result.UndoWritten = true;
  result.UndoFile = file;

  std::vector<TRegHit> deleted;
  for (size_t k = 0; k < planned.size(); ++k) {
    const TRegHit& hit = planned[k];
    TKeyHandle key;  // each value opens its own key
    if (!OpenHitKey(hit, key) || !StillHoldsIn(key.get(), hit)) continue;
    if (RegDeleteValueW(key.get(), hit.Name.c_str()) != ERROR_SUCCESS) continue;
    deleted.push_back(hit);
    result.Deleted.push_back(plannedIndex[k]);
  }
  if (deleted.size() != planned.size()) {
    // Importing the file must not put back a value that was kept and has changed since.
    if (deleted.empty()) {
      DeleteFileW(WideFrom(file).c_str());
      result.UndoFile.clear();
    } else {
      // Replace the file only once the shorter one is complete: an undo file is never lost.
      const std::string shorter = file + ".new";
      TUndoWriter done;
      AddToUndo(deleted, done);
      if (done.SaveAsNew(shorter) && !MoveFileExW(WideFrom(shorter).c_str(), WideFrom(file).c_str(),
                                                  MOVEFILE_REPLACE_EXISTING))
        DeleteFileW(WideFrom(shorter).c_str());
    }
  }
  return result;
}
