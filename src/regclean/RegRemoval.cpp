#include "regclean/RegRemoval.h"

#include <cstdio>

#include "regclean/RegKeyHandle.h"
#include "regclean/RegText.h"
#include "system/SysUtils.h"

namespace {

// Reads the value as stored; false when the key or value is gone.
bool ReadStored(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
  DWORD size = 0;
  LONG r = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  for (int tries = 0; r == ERROR_SUCCESS && tries < 4; ++tries) {
    data.resize(size);
    DWORD got = size;
    r = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(),
                         &got);
    if (r == ERROR_MORE_DATA) {
      size = got > size ? got : size * 2 + 16;
      r = ERROR_SUCCESS;
      continue;
    }
    if (r != ERROR_SUCCESS) return false;
    data.resize(got);
    return true;
  }
  return false;
}

bool OpenHitKey(const TRegHit& hit, TRegKeyHandle& key) {
  return RegOpenKeyExW(hit.Root, hit.KeyPath.c_str(), REG_OPTION_OPEN_LINK,
                       KEY_QUERY_VALUE | KEY_SET_VALUE, key.Out()) == ERROR_SUCCESS;
}

bool StillHoldsIn(HKEY key, const TRegHit& hit) {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  if (!ReadStored(key, hit.Name, type, data)) return false;
  if (type != hit.Type || data != hit.Data) return false;
  return IsInvalidRegString(hit.Name, data.data(), static_cast<DWORD>(data.size()));
}

std::string Quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

std::string RootKeyText(const TRegHit& hit) {
  std::string key = WideToAnsi(hit.KeyPath);
  return "[" + hit.RootName + (key.empty() ? "" : "\\" + key) + "]";
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size();
  ok = FlushFileBuffers(f) && ok;
  ok = CloseHandle(f) && ok;
  if (!ok) DeleteFileA(path.c_str());
  return ok;
}

// A name not yet taken in `dir`: two removals within one second keep both undo files.
std::string FreeUndoName(const std::string& dir) {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u%02u%02u-%02u%02u%02u", (unsigned)t.wYear,
                (unsigned)t.wMonth, (unsigned)t.wDay, (unsigned)t.wHour, (unsigned)t.wMinute,
                (unsigned)t.wSecond);
  std::string name = dir + "RegClean-" + stamp + ".reg";
  for (int n = 2; GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
    name = dir + "RegClean-" + stamp + "-" + std::to_string(n) + ".reg";
  return name;
}

}  // namespace

bool SplitGridKey(const std::string& text, HKEY& root, std::string& path) {
  root = nullptr;
  path.clear();
  const auto colon = text.find(':');
  if (colon == std::string::npos) return false;
  const std::string name = text.substr(0, colon);
  if (name == "HKEY_CURRENT_USER")
    root = HKEY_CURRENT_USER;
  else if (name == "HKEY_USERS")
    root = HKEY_USERS;
  else if (name == "HKEY_LOCAL_MACHINE")
    root = HKEY_LOCAL_MACHINE;
  else
    return false;
  path = colon + 2 <= text.size() ? text.substr(colon + 2) : std::string();
  if (path.empty() || path[0] != '\\') path = "\\" + path;
  return true;
}

bool HitStillHolds(const TRegHit& hit) {
  TRegKeyHandle key;
  return OpenHitKey(hit, key) && StillHoldsIn(key.Get(), hit);
}

std::string UndoFileText(const std::vector<TRegHit>& hits) {
  std::string text = "REGEDIT4\r\n";
  std::string lastKey;
  for (const TRegHit& hit : hits) {
    const std::string key = RootKeyText(hit);
    if (key != lastKey) {
      text += "\r\n" + key + "\r\n";
      lastKey = key;
    }
    // The data as bytes of the code page (hex(1) string, hex(2) expandable string), so nothing
    // in it needs quoting and embedded NULs come back too.
    const std::wstring all(reinterpret_cast<const wchar_t*>(hit.Data.data()),
                           hit.Data.size() / sizeof(wchar_t));
    const std::string bytes = WideToAnsi(all);
    text += hit.Name.empty() ? "@" : Quoted(WideToAnsi(hit.Name));
    text += hit.Type == REG_EXPAND_SZ ? "=hex(2):" : "=hex(1):";
    char hex[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
      std::snprintf(hex, sizeof hex, "%02x", (unsigned)(unsigned char)bytes[i]);
      if (i) text += (i % 24 == 0) ? ",\\\r\n  " : ",";
      text += hex;
    }
    text += "\r\n";
  }
  return text;
}

TRemovalResult RemoveRegHits(const std::vector<TRegHit>& hits, const std::string& undoDir) {
  TRemovalResult result;
  std::vector<TRegHit> planned;
  std::vector<size_t> plannedIndex;
  for (size_t i = 0; i < hits.size(); ++i) {
    if (!hits[i].Exact || !HitStillHolds(hits[i])) continue;
    planned.push_back(hits[i]);
    plannedIndex.push_back(i);
  }
  if (planned.empty()) return result;

  result.UndoFailed = true;
  const std::string dir = IncludeTrailingBackslash(undoDir);
  if (dir.empty() || (!DirectoryExists(dir) && !CreateDirectoryA(dir.c_str(), nullptr)))
    return result;
  const std::string file = FreeUndoName(dir);
  if (!WriteWholeFile(file, UndoFileText(planned))) return result;
  result.UndoFailed = false;
  result.UndoWritten = true;
  result.UndoFile = file;

  std::vector<TRegHit> deleted;
  for (size_t k = 0; k < planned.size(); ++k) {
    const TRegHit& hit = planned[k];
    TRegKeyHandle key;  // each value opens its own key
    if (!OpenHitKey(hit, key) || !StillHoldsIn(key.Get(), hit)) continue;
    if (RegDeleteValueW(key.Get(), hit.Name.c_str()) != ERROR_SUCCESS) continue;
    deleted.push_back(hit);
    result.Deleted.push_back(plannedIndex[k]);
  }
  if (deleted.size() != planned.size()) {
    // Importing the file must not put back a value that was kept and has changed since.
    if (deleted.empty()) {
      DeleteFileA(file.c_str());
      result.UndoFile.clear();
    } else {
      // Replace the file only once the shorter one is complete: an undo file is never lost.
      const std::string shorter = file + ".new";
      if (WriteWholeFile(shorter, UndoFileText(deleted)) &&
          !MoveFileExA(shorter.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileA(shorter.c_str());
    }
  }
  return result;
}
