#include <gtest/gtest.h>

#include "ImmunityFixtures.h"
#include "immunity/ComponentImmunity.h"

using namespace immunity_test;

namespace {
const HKEY kHklm = HKEY_LOCAL_MACHINE;

// Every kind of value the registry stores (odd lengths, no terminators, unknown types), a
// default value, and nested, empty and valued subkeys.
void FillRichKey(const std::string& path) {
  const std::vector<BYTE> text = {'a', 0, 'b', 0, 0, 0};
  SetValue(kHklm, path, "", REG_SZ, text);
  SetValue(kHklm, path, "Sz", REG_SZ, {'x', 0, 'y'});
  SetValue(kHklm, path, "Expand", REG_EXPAND_SZ, {'%', 0, 'P', 0, '%', 0, 0, 0});
  SetValue(kHklm, path, "Multi", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0});
  SetValue(kHklm, path, "Binary", REG_BINARY, {0, 1, 0, 0xFF, 0});
  SetValue(kHklm, path, "Empty", REG_BINARY, {});
  SetValue(kHklm, path, "None", REG_NONE, {7});
  SetValue(kHklm, path, "BigEndian", REG_DWORD_BIG_ENDIAN, {1, 2, 3, 4});
  SetValue(kHklm, path, "Qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
  SetValue(kHklm, path, "ShortDword", REG_DWORD, {9});
  SetValue(kHklm, path, "Odd", 0x1234, {1, 2, 3});
  SetDword(kHklm, path, "Dword", 0x80000001);
  SetValue(kHklm, path + "\\InprocServer32", "", REG_EXPAND_SZ, text);
  SetDword(kHklm, path + "\\Deep\\Deeper", "Level", 2);
  CreateKey(kHklm, path + "\\EmptyKey");
}

// Gives everyone exactly `access` on the key (and the right to change that again).
bool SetKeyAccess(const std::string& path, DWORD access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(kHklm, Sub(path).c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  BYTE aclBuffer[256];
  auto* acl = reinterpret_cast<ACL*>(aclBuffer);
  InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
  const DWORD denied = (KEY_ALL_ACCESS | DELETE) & ~(access | READ_CONTROL | WRITE_DAC);
  if (denied) AddAccessDeniedAce(acl, ACL_REVISION, denied, everyone);
  AddAccessAllowedAce(acl, ACL_REVISION, access | READ_CONTROL | WRITE_DAC, everyone);
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
  const bool ok = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
  FreeSid(everyone);
  RegCloseKey(key);
  return ok;
}

// A subkey whose access rules allow only `access`, opened to everyone again at the end.
struct TLockedKey {
  TLockedKey(const std::string& path, DWORD access) : Path(path) {
    CreateKey(kHklm, path);
    SetDword(kHklm, path, "Locked", 1);
    Locked = SetKeyAccess(path, access);
  }
  ~TLockedKey() { SetKeyAccess(Path, KEY_ALL_ACCESS | DELETE); }
  std::string Path;
  bool Locked = false;
};

class Components : public testing::Test {
 protected:
  TComponent a_ = MakeComponent("组件甲", "{5EED0001-0000-4000-8000-00000000000A}");
  TComponent b_ = MakeComponent("组件乙", "{5EED0001-0000-4000-8000-00000000000B}");
  TRegistryRestorer restore_{{{kHklm, a_.ClassKey}, {kHklm, b_.ClassKey}, {kHklm, kParkingRoot}}};
};
}  // namespace

TEST_F(Components, ImmuniseAndCancelGiveBackEveryValueAndSubkeyByteForByte) {
  FillRichKey(a_.ClassKey);
  const TKeyDump before = DumpKey(kHklm, a_.ClassKey);
  ASSERT_EQ(before.Values.size(), 12u);
  EXPECT_FALSE(ComponentImmunised(a_));
  EXPECT_EQ(ImmuniseComponent(a_), "组件甲免疫成功");
  EXPECT_FALSE(KeyExists(kHklm, a_.ClassKey));
  EXPECT_EQ(DumpKey(kHklm, a_.ParkingKey), before);
  EXPECT_TRUE(ComponentImmunised(a_));
  EXPECT_EQ(RestoreComponent(a_), "组件甲取消免疫成功");
  EXPECT_FALSE(KeyExists(kHklm, a_.ParkingKey));
  EXPECT_EQ(DumpKey(kHklm, a_.ClassKey), before);
}

TEST_F(Components, MissingOrAlreadyParkedKeysAreReportedAndLeftAlone) {
  const std::vector<TComponent> both = {a_, b_};
  EXPECT_EQ(ImmuniseComponents(both, {false, true}), "\r\n组件乙已免疫过了");
  EXPECT_EQ(RestoreComponents(both, {true, true}), "找不到组件甲备份\r\n找不到组件乙备份");
  EXPECT_EQ(RestoreComponents(both, {false, false}), "");
  EXPECT_FALSE(KeyExists(kHklm, a_.ClassKey) || KeyExists(kHklm, a_.ParkingKey));

  // Registered again after an earlier immunisation: nothing moves, success is still reported.
  SetDword(kHklm, a_.ClassKey, "Which", 1);
  SetDword(kHklm, a_.ParkingKey, "Which", 2);
  EXPECT_EQ(ImmuniseComponent(a_), "组件甲免疫成功");
  EXPECT_EQ(ReadDword(kHklm, a_.ClassKey, "Which"), 1);
  EXPECT_EQ(ReadDword(kHklm, a_.ParkingKey, "Which"), 2);
}

TEST_F(Components, AMoveThatCannotBeMadeWholeIsReportedAndChangesNothing) {
  // A subkey that cannot be read stops the copy; one that cannot be deleted stops the removal of
  // the source after a whole copy was made. Both keys must stay exactly as they were.
  for (const DWORD access : {DWORD(DELETE), DWORD(KEY_READ)}) {
    FillRichKey(a_.ClassKey);
    TLockedKey locked(a_.ClassKey + "\\Locked", access);
    ASSERT_TRUE(locked.Locked);
    const TKeyDump before = DumpKey(kHklm, a_.ClassKey);
    EXPECT_EQ(ImmuniseComponent(a_), "组件甲免疫失败") << access;
    EXPECT_FALSE(KeyExists(kHklm, a_.ParkingKey)) << access;
    EXPECT_EQ(DumpKey(kHklm, a_.ClassKey), before) << access;
  }
  // The same when cancelling: the parked key stays whole and the class key is not made.
  FillRichKey(a_.ParkingKey);
  SHDeleteKeyA(kHklm, Sub(a_.ClassKey).c_str());
  TLockedKey locked(a_.ParkingKey + "\\Locked", KEY_READ);
  const TKeyDump parked = DumpKey(kHklm, a_.ParkingKey);
  EXPECT_EQ(RestoreComponents({b_, a_}, {false, true}), "\r\n组件甲取消免疫失败");
  EXPECT_FALSE(KeyExists(kHklm, a_.ClassKey));
  EXPECT_EQ(DumpKey(kHklm, a_.ParkingKey), parked);
}

TEST_F(Components, CleanUpKeepsEveryParkedKeyThatWasNotRestored) {
  SetDword(kHklm, a_.ClassKey, "Which", 1);
  FillRichKey(b_.ClassKey);
  const TKeyDump b = DumpKey(kHklm, b_.ClassKey);
  ImmuniseComponents({a_, b_}, {true, true});
  RestoreComponents({a_, b_}, {true, false});
  EXPECT_FALSE(CleanUpParkingRoot());
  EXPECT_EQ(DumpKey(kHklm, b_.ParkingKey), b);

  RestoreComponent(b_);
  EXPECT_EQ(DumpKey(kHklm, b_.ClassKey), b);
  EXPECT_TRUE(CleanUpParkingRoot());
  EXPECT_FALSE(KeyExists(kHklm, kParkingRoot));
  SetDword(kHklm, kParkingRoot, "Note", 1);  // anything else in it keeps it too
  EXPECT_FALSE(CleanUpParkingRoot());
  EXPECT_EQ(ReadDword(kHklm, kParkingRoot, "Note"), 1);
}
