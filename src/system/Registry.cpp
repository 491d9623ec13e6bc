#include "system/Registry.h"

#include <cstring>

#include "system/RegNameEnum.h"
#include "system/RegValue.h"
#include "system/RegistryTree.h"
#include "system/SysUtils.h"
#include "system/Text.h"

namespace {

// Drops every leading and trailing "\" of a key path.
std::string StripSeparators(const std::string& path) {
  std::string s = ExcludeTrailingBackslash(path);
  std::string::size_type first = 0;
  while (first < s.size() && s[first] == '\\') ++first;
  return s.substr(first);
}

std::string JoinKeyPath(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + "\\" + b;
}

// True when every key of the tree opens for reading and for deletion, so that a move about to
// be made cannot stop half-way and leave the source partly deleted.
bool TreeCanBeMoved(HKEY key, REGSAM view) {
  wchar_t name[256];  // key names are at most 255 characters
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    const LONG r = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) return true;
    TKeyHandle sub;
    if (r != ERROR_SUCCESS ||
        RegOpenKeyExW(key, name, 0, KEY_READ | DELETE | view, sub.out()) != ERROR_SUCCESS ||
        !TreeCanBeMoved(sub.get(), view))
      return false;
  }
}

bool TreeCanBeMoved(HKEY base, const std::string& sub, REGSAM view) {
  TKeyHandle key;
  return RegOpenKeyExW(base, WideFrom(sub).c_str(), 0, KEY_READ | DELETE | view, key.out()) ==
             ERROR_SUCCESS &&
         TreeCanBeMoved(key.get(), view);
}

[[noreturn]] void Fail(const std::string& what, const std::string& name, LONG code) {
  throw ERegistryError(what + " '" + name + "' (error " + std::to_string(code) + ")", code);
}

}  // namespace

TRegistry::TRegistry(REGSAM access, TRegView view) : access_(access), view_(view) {}

TRegistry::~TRegistry() {
  CloseKey();
}

void TRegistry::SetRootKey(HKEY root) {
  CloseKey();
  root_ = root;
}

void TRegistry::SetView(TRegView view) {
  CloseKey();
  view_ = view;
}

TRegistry::TTarget TRegistry::Resolve(const std::string& path) const {
  TTarget t;
  const bool fromRoot = !path.empty() && path[0] == '\\';
  t.Sub = StripSeparators(path);
  if (fromRoot || !current_) {
    t.Base = root_;
    t.Full = t.Sub;
  } else {
    t.Base = current_.get();
    t.Full = JoinKeyPath(currentPath_, t.Sub);
  }
  return t;
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
  const TTarget t = Resolve(path);
  HKEY key = nullptr;
  LONG r;
  if (canCreate) {
    DWORD disposition = 0;
    r = RegCreateKeyExW(t.Base, WideFrom(t.Sub).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        Sam(access_), nullptr, &key, &disposition);
  } else {
    r = RegOpenKeyExW(t.Base, WideFrom(t.Sub).c_str(), 0, Sam(access_), &key);
  }
  if (r != ERROR_SUCCESS) return false;
  CloseKey();  // only now: the base may have been the open key
  current_.reset(key);
  currentPath_ = t.Full;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& path) {
  const TTarget t = Resolve(path);
  HKEY key = nullptr;
  if (RegOpenKeyExW(t.Base, WideFrom(t.Sub).c_str(), 0, Sam(KEY_READ), &key) != ERROR_SUCCESS)
    return false;
  CloseKey();
  current_.reset(key);
  currentPath_ = t.Full;
  return true;
}

void TRegistry::CloseKey() {
  current_.reset();
  currentPath_.clear();
}

bool TRegistry::KeyExists(const std::string& path) {
  const TTarget t = Resolve(path);
  TKeyHandle key;
  return RegOpenKeyExW(t.Base, WideFrom(t.Sub).c_str(), 0,
                       Sam(STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS),
                       key.out()) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const std::string& name) {
  if (!current_) return false;
  return RegQueryValueExW(current_.get(), WideFrom(name).c_str(), nullptr, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& name) {
  return current_ && RegDeleteValueW(current_.get(), WideFrom(name).c_str()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::string& path) {
  const TTarget t = Resolve(path);
  if (t.Sub.empty()) return false;  // never the open key or the root itself through ""
  return RegistryTree::DeleteTree(t.Base, t.Sub, Sam(0));
}

bool TRegistry::MoveKey(const std::string& oldPath, const std::string& newPath, bool deleteSource) {
  const TTarget from = Resolve(oldPath);
  const TTarget to = Resolve(newPath);
  if (from.Sub.empty() || to.Sub.empty()) return false;
  // A target inside the source would be copied into itself without end.
  const std::string src = AnsiUpperCase(from.Full);
  const std::string dst = AnsiUpperCase(to.Full);
  if (dst == src || dst.compare(0, src.size() + 1, src + "\\") == 0) return false;
  if (!KeyExists(oldPath) || KeyExists(newPath)) return false;
  if (deleteSource && !TreeCanBeMoved(from.Base, from.Sub, Sam(0))) return false;
  if (!RegistryTree::CopyTree(from.Base, from.Sub, to.Base, to.Sub, Sam(0))) return false;
  return !deleteSource || RegistryTree::DeleteTree(from.Base, from.Sub, Sam(0));
}

std::string TRegistry::ReadString(const std::string& name) {
  if (!current_) return "";
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  const LONG r = ReadRegValue(current_.get(), WideFrom(name), type, data);
  if (r == ERROR_FILE_NOT_FOUND) return "";
  if (r != ERROR_SUCCESS) Fail("Cannot read value", name, r);
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    Fail("Value is not a string:", name, ERROR_UNSUPPORTED_TYPE);
  // Stored text need not end in a NUL, or may hold one early; take the text up to it.
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  return NarrowFrom(text.substr(0, text.find(L'\0')));
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  const std::wstring wide = WideFrom(value);
  PutValue(name, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
           static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  const std::wstring wide = WideFrom(value);
  PutValue(name, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
           static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

int TRegistry::ReadInteger(const std::string& name) {
  if (!current_) Fail("No key open to read", name, ERROR_INVALID_HANDLE);
  DWORD type = 0, value = 0, size = sizeof value;
  const LONG r = RegQueryValueExW(current_.get(), WideFrom(name).c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(&value), &size);
  if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA) Fail("Cannot read value", name, r);
  if (type != REG_DWORD || r == ERROR_MORE_DATA || size != sizeof value)
    Fail("Value is not an integer:", name, ERROR_UNSUPPORTED_TYPE);
  return static_cast<int>(value);
}

void TRegistry::WriteInteger(const std::string& name, int value) {
  const DWORD v = static_cast<DWORD>(value);
  PutValue(name, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

std::vector<BYTE> TRegistry::ReadBinary(const std::string& name, DWORD* type) {
  DWORD t = REG_NONE;
  std::vector<BYTE> data;
  if (type) *type = REG_NONE;
  if (!current_) return data;
  const LONG r = ReadRegValue(current_.get(), WideFrom(name), t, data);
  if (r == ERROR_FILE_NOT_FOUND) return data;
  if (r != ERROR_SUCCESS) Fail("Cannot read value", name, r);
  if (type) *type = t;
  return data;
}

void TRegistry::WriteBinary(const std::string& name, const std::vector<BYTE>& data, DWORD type) {
  static const BYTE kNothing = 0;
  PutValue(name, type, data.empty() ? &kNothing : data.data(), static_cast<DWORD>(data.size()));
}

DWORD TRegistry::ValueType(const std::string& name) {
  DWORD type = REG_NONE;
  if (!current_ || RegQueryValueExW(current_.get(), WideFrom(name).c_str(), nullptr, &type, nullptr,
                                    nullptr) != ERROR_SUCCESS)
    return REG_NONE;
  return type;
}

std::vector<std::string> TRegistry::GetValueNames() {
  DWORD maxLen = 0;
  if (!current_ ||
      RegQueryInfoKeyW(current_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, &maxLen, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  std::vector<std::string> names;
  for (const std::wstring& name : WideValueNames(current_.get(), maxLen))
    names.push_back(NarrowFrom(name));
  return names;
}

std::vector<std::string> TRegistry::GetKeyNames() {
  DWORD maxLen = 0;
  if (!current_ ||
      RegQueryInfoKeyW(current_.get(), nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr,
                       nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  std::vector<std::string> names;
  for (const std::wstring& name : WideSubKeyNames(current_.get(), maxLen))
    names.push_back(NarrowFrom(name));
  return names;
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& info) {
  info = TRegKeyInfo{};
  if (!current_) return false;
  return RegQueryInfoKeyW(current_.get(), nullptr, nullptr, nullptr, &info.NumSubKeys,
                          &info.MaxSubKeyLen, nullptr, &info.NumValues, &info.MaxValueLen,
                          &info.MaxDataLen, nullptr, &info.FileTime) == ERROR_SUCCESS;
}

HKEY TRegistry::RootFromName(const std::string& name) {
  static const struct {
    const char* Name;
    HKEY Key;
  } kRoots[] = {{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                {"HKEY_USERS", HKEY_USERS},
                {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}};
  for (const auto& r : kRoots)
    if (lstrcmpiA(name.c_str(), r.Name) == 0) return r.Key;
  return nullptr;
}

void TRegistry::PutValue(const std::string& name, DWORD type, const BYTE* data, DWORD size) {
  if (!current_) Fail("No key open to write", name, ERROR_INVALID_HANDLE);
  const LONG r = RegSetValueExW(current_.get(), WideFrom(name).c_str(), 0, type, data, size);
  if (r != ERROR_SUCCESS) Fail("Cannot write value", name, r);
}
