// TRegistry against Wine's real registry, under HKCU\Software\VeldorTest\<test>.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "support/Scratch.h"
#include "system/Registry.h"

namespace {

// Everything below a key as the wide functions see it: what "byte for byte" is measured against.
using TValues = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;
using TTree = std::map<std::wstring, TValues>;  // relative key path -> values

void Snapshot(HKEY key, const std::wstring& path, TTree& tree) {
  TValues& values = tree[path];
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameLen = 16384, type = 0, size = 0;
    if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      break;
    std::vector<BYTE> data(size + 1);
    nameLen = 16384;
    DWORD got = size + 1;
    RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data.data(), &got);
    data.resize(got);
    values[std::wstring(name, nameLen)] = {type, data};
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLen = 256;
    if (RegEnumKeyExW(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
      Snapshot(child, path + L"\\" + std::wstring(name, nameLen), tree);
      RegCloseKey(child);
    }
  }
}

TTree SnapshotOf(const std::string& sub) {
  TTree tree;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    Snapshot(key, L"", tree);
    RegCloseKey(key);
  }
  return tree;
}

bool HkcuKeyExists(const std::string& sub) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

void SetRawW(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
}

class RegistryTest : public testing::Test {
 protected:
  TScratchKey scratch_{CurrentTestName()};
  std::string Base() const { return scratch_.Path(); }
  std::string Sub() const { return scratch_.Sub(); }
};

}  // namespace

TEST_F(RegistryTest, OpensRelativeToTheOpenKeyOrFromTheRoot) {
  TRegistry reg;
  EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
  EXPECT_EQ(reg.Access(), static_cast<REGSAM>(KEY_ALL_ACCESS));
  EXPECT_FALSE(reg.OpenKey(Base() + "\\A", false)) << "opened a key that does not exist";
  ASSERT_TRUE(reg.OpenKey(Base() + "\\A", true));
  EXPECT_EQ(reg.CurrentPath(), Sub() + "\\A");
  ASSERT_TRUE(reg.OpenKey("B\\", true));  // relative: below A; a trailing "\" is tolerated
  EXPECT_EQ(reg.CurrentPath(), Sub() + "\\A\\B");
  EXPECT_TRUE(HkcuKeyExists(Sub() + "\\A\\B"));
  EXPECT_FALSE(HkcuKeyExists("B")) << "a relative name was created at the root";

  EXPECT_TRUE(reg.KeyExists(Base() + "\\A"));
  EXPECT_FALSE(reg.KeyExists("A")) << "relative names look below the open key";
  ASSERT_TRUE(reg.OpenKey(Base(), false));
  EXPECT_TRUE(reg.KeyExists("A\\B"));

  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), "");
  ASSERT_TRUE(reg.OpenKey(Sub() + "\\A", false)) << "with no key open, relative means the root";

  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.CurrentKey(), nullptr) << "changing the root closes the key";
  EXPECT_TRUE(reg.KeyExists("\\Software"));
}

TEST_F(RegistryTest, ReadOnlyOpenRefusesWrites) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base(), false));
  reg.WriteString("v", "x");
  ASSERT_TRUE(reg.OpenKeyReadOnly(Base()));
  EXPECT_EQ(reg.ReadString("v"), "x");
  EXPECT_THROW(reg.WriteString("v", "y"), ERegistryError);
  reg.CloseKey();
  EXPECT_THROW(reg.WriteInteger("v", 1), ERegistryError) << "writing with no key open";
}

TEST_F(RegistryTest, StringsRoundTripAndExpandStringsStayUnexpanded) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base(), false));
  reg.WriteString("text", "恶意软件清理 C:\\Program Files\\");
  reg.WriteString("empty", "");
  reg.WriteExpandString("path", "%SystemRoot%\\system32");
  EXPECT_EQ(reg.ReadString("text"), "恶意软件清理 C:\\Program Files\\");
  EXPECT_EQ(reg.ReadString("empty"), "");
  EXPECT_EQ(reg.ValueType("empty"), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(reg.ReadString("path"), "%SystemRoot%\\system32");
  EXPECT_EQ(reg.ValueType("path"), static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(reg.ReadString("missing"), "");

  // Stored text without a final NUL, and text with an early NUL.
  ASSERT_EQ(
      RegSetValueExA(reg.CurrentKey(), "raw", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3),
      ERROR_SUCCESS);
  EXPECT_EQ(reg.ReadString("raw"), "abc");
  ASSERT_EQ(RegSetValueExA(reg.CurrentKey(), "cut", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>("ab\0cd"), 6),
            ERROR_SUCCESS);
  EXPECT_EQ(reg.ReadString("cut"), "ab");

  reg.WriteInteger("number", 7);
  EXPECT_THROW(reg.ReadString("number"), ERegistryError);
}

TEST_F(RegistryTest, IntegersReadOnlyFromDwordValues) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base(), false));
  reg.WriteInteger("n", -5);
  reg.WriteInteger("big", 0x7fffffff);
  EXPECT_EQ(reg.ReadInteger("n"), -5);
  EXPECT_EQ(reg.ReadInteger("big"), 0x7fffffff);
  EXPECT_EQ(reg.ValueType("n"), static_cast<DWORD>(REG_DWORD));

  EXPECT_THROW(reg.ReadInteger("missing"), ERegistryError);
  reg.WriteString("s", "5");
  EXPECT_THROW(reg.ReadInteger("s"), ERegistryError);
  reg.WriteBinary("b", {1, 0, 0, 0});
  EXPECT_THROW(reg.ReadInteger("b"), ERegistryError);
  reg.WriteBinary("be", {0, 0, 0, 1}, REG_DWORD_BIG_ENDIAN);
  EXPECT_THROW(reg.ReadInteger("be"), ERegistryError);
  reg.WriteBinary("long", {1, 0, 0, 0, 0, 0, 0, 0}, REG_DWORD);
  EXPECT_THROW(reg.ReadInteger("long"), ERegistryError) << "a DWORD value of 8 bytes";
  reg.CloseKey();
  EXPECT_THROW(reg.ReadInteger("n"), ERegistryError);
}

TEST_F(RegistryTest, BinaryValuesKeepTheirType) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base(), false));
  const std::vector<BYTE> bytes = {0, 1, 2, 0xff, 0x5c, 0};
  reg.WriteBinary("bin", bytes);
  reg.WriteBinary("none", {9, 8}, REG_NONE);
  reg.WriteBinary("nothing", {});
  DWORD type = 0;
  EXPECT_EQ(reg.ReadBinary("bin", &type), bytes);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(reg.ReadBinary("none", &type), (std::vector<BYTE>{9, 8}));
  EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));
  EXPECT_TRUE(reg.ReadBinary("nothing", &type).empty());
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_TRUE(reg.ValueExists("nothing"));
  type = 123;
  EXPECT_TRUE(reg.ReadBinary("missing", &type).empty());
  EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));
}

TEST_F(RegistryTest, ListsNamesAndKeyInfo) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base(), false));
  reg.WriteString("", "default");
  reg.WriteString("one", "1");
  reg.WriteInteger("两", 2);
  ASSERT_TRUE(reg.OpenKey(Base() + "\\Sub1", true));
  ASSERT_TRUE(reg.OpenKey(Base() + "\\子键", true));
  ASSERT_TRUE(reg.OpenKey(Base(), false));

  auto values = reg.GetValueNames();
  std::sort(values.begin(), values.end());
  EXPECT_EQ(values, (std::vector<std::string>{"", "one", "两"}));
  auto keys = reg.GetKeyNames();
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"Sub1", "子键"}));

  TRegKeyInfo info;
  ASSERT_TRUE(reg.GetKeyInfo(info));
  EXPECT_EQ(info.NumSubKeys, 2u);
  EXPECT_EQ(info.NumValues, 3u);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](FILETIME f) {
    return (ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  const ULONGLONG tenMinutes = 10ull * 60 * 10000000;
  EXPECT_LE(ticks(info.FileTime), ticks(now) + tenMinutes);
  EXPECT_GE(ticks(info.FileTime) + tenMinutes, ticks(now)) << "last write time is not recent";

  reg.CloseKey();
  EXPECT_FALSE(reg.GetKeyInfo(info));
  EXPECT_TRUE(reg.GetValueNames().empty());
}

TEST_F(RegistryTest, DeleteValueRemovesOnlyThatValue) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base(), false));
  reg.WriteString("keep", "1");
  reg.WriteString("drop", "2");
  reg.WriteString("", "default");
  EXPECT_TRUE(reg.ValueExists("drop"));
  EXPECT_TRUE(reg.DeleteValue("drop"));
  EXPECT_FALSE(reg.ValueExists("drop"));
  EXPECT_FALSE(reg.DeleteValue("drop"));
  EXPECT_EQ(reg.ReadString("keep"), "1");
  EXPECT_EQ(reg.ReadString(""), "default");
}

TEST_F(RegistryTest, DeleteKeyRemovesExactlyThatSubtree) {
  TRegistry reg;
  for (const char* k : {"\\Parent\\Target\\L1\\L2\\L3", "\\Parent\\Target\\Other",
                        "\\Parent\\Target2\\Keep", "\\Parent\\TargetX", "\\Parent\\Sibling"}) {
    ASSERT_TRUE(reg.OpenKey(Base() + k, true));
    reg.WriteString("v", k);
  }
  ASSERT_TRUE(reg.OpenKey(Base() + "\\Parent", false));
  reg.WriteString("parentValue", "stays");
  const TTree before = SnapshotOf(Sub());

  EXPECT_TRUE(reg.DeleteKey("Target"));  // relative to the open Parent key
  EXPECT_FALSE(HkcuKeyExists(Sub() + "\\Parent\\Target"));
  TTree expected = before;
  for (auto it = expected.begin(); it != expected.end();) {
    const std::wstring& p = it->first;
    if (p == L"\\Parent\\Target" || p.rfind(L"\\Parent\\Target\\", 0) == 0)
      it = expected.erase(it);
    else
      ++it;
  }
  EXPECT_EQ(SnapshotOf(Sub()), expected) << "something beside the subtree changed";
  EXPECT_FALSE(reg.DeleteKey("Target")) << "deleting a missing key reports failure";

  EXPECT_TRUE(reg.DeleteKey(Base() + "\\Parent\\Target2"));  // from the root
  EXPECT_TRUE(HkcuKeyExists(Sub() + "\\Parent\\TargetX"));
  EXPECT_FALSE(reg.DeleteKey("")) << "an empty name must not delete the open key";
  EXPECT_FALSE(reg.DeleteKey("\\")) << "the root itself is never deleted";
  EXPECT_TRUE(HkcuKeyExists(Sub() + "\\Parent\\Sibling"));
}

TEST_F(RegistryTest, MoveKeyCopiesEveryValueByteForByte) {
  HKEY src = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (Sub() + "\\Src").c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &src, nullptr),
            ERROR_SUCCESS);
  const wchar_t multi[] = L"一\0two\0\0";
  const wchar_t hangul[] = L"\xD55C\xAE00 text";  // not in code page 936
  const ULONGLONG qword = 0x1122334455667788ull;
  const DWORD dword = 0xDEADBEEF;
  const BYTE odd[] = {'a', 0, 'b'};  // a REG_SZ of odd length
  std::vector<BYTE> large(1024 * 1024);
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<BYTE>(i * 7 + 3);
  SetRawW(src, L"", REG_SZ, L"默认值", sizeof(L"默认值"));
  SetRawW(src, L"multi", REG_MULTI_SZ, multi, sizeof multi);
  SetRawW(src, L"expand", REG_EXPAND_SZ, L"%TEMP%\\x", sizeof(L"%TEMP%\\x"));
  SetRawW(src, L"hangul", REG_SZ, hangul, sizeof hangul);
  SetRawW(src, L"qword", REG_QWORD, &qword, sizeof qword);
  SetRawW(src, L"dword", REG_DWORD, &dword, sizeof dword);
  SetRawW(src, L"none", REG_NONE, "\x01\x02", 2);
  SetRawW(src, L"emptyNone", REG_NONE, nullptr, 0);
  SetRawW(src, L"emptySz", REG_SZ, nullptr, 0);
  SetRawW(src, L"odd", REG_SZ, odd, sizeof odd);
  SetRawW(src, L"large", REG_BINARY, large.data(), static_cast<DWORD>(large.size()));
  SetRawW(src, L"名字", REG_BINARY, "\x5c", 1);
  for (const wchar_t* k : {L"L1\\L2\\L3", L"L1\\Other", L"\xD55C", L"空"}) {
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyExW(src, k, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    SetRawW(child, L"", REG_SZ, k, static_cast<DWORD>((wcslen(k) + 1) * sizeof(wchar_t)));
    SetRawW(child, L"bin", REG_BINARY, "\x00\xff", 2);
    RegCloseKey(child);
  }
  RegCloseKey(src);
  const TTree before = SnapshotOf(Sub() + "\\Src");
  ASSERT_EQ(before.at(L"").size(), 12u);

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base(), false));
  ASSERT_TRUE(reg.MoveKey("Src", "\\" + Sub() + "\\Dst\\Deeper"));
  EXPECT_FALSE(HkcuKeyExists(Sub() + "\\Src"));
  EXPECT_EQ(SnapshotOf(Sub() + "\\Dst\\Deeper"), before);

  // Copy only: both remain, identical.
  ASSERT_TRUE(reg.MoveKey("Dst\\Deeper", "Copy", false));
  EXPECT_EQ(SnapshotOf(Sub() + "\\Dst\\Deeper"), before);
  EXPECT_EQ(SnapshotOf(Sub() + "\\Copy"), before);
}

TEST_F(RegistryTest, MoveKeyRefusesAndChangesNothing) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Base() + "\\A\\Inner", true));
  reg.WriteString("a", "1");
  ASSERT_TRUE(reg.OpenKey(Base() + "\\B", true));
  reg.WriteString("b", "2");
  ASSERT_TRUE(reg.OpenKey(Base(), false));
  const TTree before = SnapshotOf(Sub());

  EXPECT_FALSE(reg.MoveKey("A", "B")) << "target exists";
  EXPECT_EQ(SnapshotOf(Sub()), before);
  EXPECT_FALSE(reg.MoveKey("Missing", "C")) << "source missing";
  EXPECT_FALSE(HkcuKeyExists(Sub() + "\\C"));
  EXPECT_FALSE(reg.MoveKey("A", "A\\Inner\\Below")) << "target inside the source";
  EXPECT_FALSE(reg.MoveKey("A", "a")) << "same key, other case";
  EXPECT_FALSE(reg.MoveKey("A", "")) << "empty target";
  EXPECT_EQ(SnapshotOf(Sub()), before);
}

TEST(RegistryRoots, RootFromName) {
  EXPECT_EQ(TRegistry::RootFromName("HKEY_LOCAL_MACHINE"), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(TRegistry::RootFromName("HKEY_CURRENT_USER"), HKEY_CURRENT_USER);
  EXPECT_EQ(TRegistry::RootFromName("HKEY_USERS"), HKEY_USERS);
  EXPECT_EQ(TRegistry::RootFromName("HKEY_CLASSES_ROOT"), HKEY_CLASSES_ROOT);
  EXPECT_EQ(TRegistry::RootFromName("HKEY_CURRENT_CONFIG"), HKEY_CURRENT_CONFIG);
  EXPECT_EQ(TRegistry::RootFromName("HKEY_NOWHERE"), nullptr);
  EXPECT_EQ(TRegistry::RootFromName(""), nullptr);
}
