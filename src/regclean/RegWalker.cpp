#include "regclean/RegWalker.h"

#include "regclean/InvalidRef.h"
#include "system/Handles.h"
#include "regclean/RegText.h"
#include "system/UndoWriter.h"
#include "system/RegNameEnum.h"
#include "system/RegView.h"
#include "system/Text.h"

namespace {

// Opens a key as itself: a registry link is opened as the link key, which holds no subkeys and
// no string values, so the walk never follows one (and a link cycle cannot trap it). Keys are
// opened in the 64-bit view on 64-bit Windows, where the 32-bit view's keys lie below Wow6432Node:
// every value is met once, under its real path (RegRemoval opens it by that path again).
bool OpenNoFollow(HKEY base, const std::wstring& sub, TKeyHandle& out) {
  return RegOpenKeyExW(base, sub.c_str(), REG_OPTION_OPEN_LINK,
                       KEY_ALL_ACCESS | RegViewFlag(TRegView::Bit64), out.out()) == ERROR_SUCCESS;
}

// The text of stored string data up to its first NUL (or its end when it has none).
std::wstring StringOf(const BYTE* data, DWORD size) {
  const wchar_t* w = reinterpret_cast<const wchar_t*>(data);
  const size_t count = size / sizeof(wchar_t);
  size_t len = 0;
  while (len < count && w[len] != L'\0') ++len;
  return std::wstring(w, len);
}

// A row stands for the whole value: the data is one string ending in its NUL. A line break in
// the name or data would not show on the row's one line, and the line of an undo file cannot hold
// one: such values are listed, never deleted.
bool RowShowsWholeValue(const std::wstring& name, const BYTE* data, DWORD size) {
  if (size < sizeof(wchar_t) || size % sizeof(wchar_t) != 0) return false;
  const std::wstring all(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
  if (all.back() != L'\0') return false;
  return TUndoWriter::CanCarry(name) && TUndoWriter::CanCarry(all);
}

}  // namespace

std::wstring TRegHit::GridKey() const {
  return WideFrom(RootName) + L": " + KeyText;
}

std::vector<TRegScanRoot> DefaultScanRoots() {
  return {{"HKEY_CURRENT_USER", HKEY_CURRENT_USER, ""},
          {"HKEY_USERS", HKEY_USERS, ""},
          {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, "Software"}};
}

bool IsInvalidRegString(const std::wstring& name, const BYTE* data, DWORD size) {
  return !IsValidPathRefW(name) || !IsValidPathRefW(StringOf(data, size));
}

void TRegWalker::ScanInvalidRefs(const std::vector<TRegScanRoot>& roots) {
  for (const TRegScanRoot& root : roots) {
    if (sink_.Stopped()) return;
    root_ = &root;
    sink_.WalkingRoot(root.Name);
    TPath start;
    start.Wide = WideFrom(root.StartPath);
    start.Text = start.Wide;
    TKeyHandle key;
    // A start key that cannot be opened yields no hits for its root.
    if (start.Wide.empty()) {
      if (RegOpenKeyExW(root.Root, nullptr, 0, KEY_ALL_ACCESS | RegViewFlag(TRegView::Bit64),
                        key.out()) != ERROR_SUCCESS)
        continue;
    } else if (!OpenNoFollow(root.Root, start.Wide, key)) {
      continue;
    }
    DWORD maxLen = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
      WalkRegKeys(key.get(), start, 0, maxLen);
  }
}

void TRegWalker::WalkRegKeys(HKEY key, const TPath& path, int depth, DWORD maxLen) {
  // The names are taken first: handlers that run during the walk may change the key.
  const std::vector<std::wstring> names = WideSubKeyNames(key, maxLen);
  for (const std::wstring& name : names) {
    TKeyHandle sub;
    // A subkey that cannot be opened is skipped with its whole subtree.
    if (OpenNoFollow(key, name, sub)) {
      TPath child;
      child.Text = path.Text + L"\\" + name;
      child.Wide = path.Wide.empty() ? name : path.Wide + L"\\" + name;
      child.Exact = path.Exact && TUndoWriter::CanCarry(name);
      const auto [subKeys, maxSubKeyLen] = AnalyzeRegValues(sub.get(), child, name);
      if (sink_.Stopped()) return;
      if (subKeys > 0 && depth + 1 < kMaxRegWalkDepth)
        WalkRegKeys(sub.get(), child, depth + 1, maxSubKeyLen);
    }
    if (sink_.Stopped()) return;
  }
}

std::pair<DWORD, DWORD> TRegWalker::AnalyzeRegValues(HKEY key, const TPath& path,
                                                     const std::wstring& name) {
  DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxName = 0, maxData = 0;
  FILETIME written{};
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr, &values,
                       &maxName, &maxData, nullptr, &written) != ERROR_SUCCESS)
    return {0, 0};
  if (nameBuf_.size() < maxName + 1) nameBuf_.resize(maxName + 1);
  if (dataBuf_.size() < maxData + sizeof(wchar_t)) dataBuf_.resize(maxData + sizeof(wchar_t));
  // The values the key held when it was measured: asking past the last one would cost one more
  // round trip to the registry per key only to hear that there is none.
  for (DWORD i = 0; i < values;) {
    DWORD nameLen = static_cast<DWORD>(nameBuf_.size());
    DWORD dataLen = static_cast<DWORD>(dataBuf_.size());
    DWORD type = REG_NONE;
    const LONG r =
        RegEnumValueW(key, i, nameBuf_.data(), &nameLen, nullptr, &type, dataBuf_.data(), &dataLen);
    if (r == ERROR_MORE_DATA) {  // grew since the key was measured
      nameBuf_.resize(nameBuf_.size() * 2 + 256);
      dataBuf_.resize(dataBuf_.size() * 2 + 256);
      continue;
    }
    if (r != ERROR_SUCCESS) break;
    ++i;
    if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
    sink_.Analyzing(name);
    if (sink_.Stopped()) break;
    const std::wstring valueName(nameBuf_.data(), nameLen);
    if (!IsInvalidRegString(valueName, dataBuf_.data(), dataLen)) continue;
    TRegHit hit;
    hit.RootName = root_->Name;
    hit.Root = root_->Root;
    hit.KeyText = path.Text;
    hit.KeyPath = path.Wide;
    hit.Name = valueName;
    hit.Type = type;
    hit.Data.assign(dataBuf_.begin(), dataBuf_.begin() + dataLen);
    hit.TimeText = FormatLastWrite(written);
    hit.DataText = StringOf(hit.Data.data(), dataLen);
    hit.Exact = path.Exact && RowShowsWholeValue(valueName, hit.Data.data(), dataLen);
    sink_.AddHit(std::move(hit));
  }
  return {subKeys, maxSubKeyLen};
}
