#include <gtest/gtest.h>

#include "ImmunityFixtures.h"
#include "immunity/ComponentImmunity.h"

using namespace immunity_test;

namespace {

// A class registration holding every kind of value the registry can store, a default value and
// nested, empty and valued subkeys.
void FillRichKey(const std::string& path) {
  const std::vector<BYTE> text = {'a', 0, 'b', 0, 0, 0}, odd = {'x', 0, 'y'};
  SetValue(HKEY_LOCAL_MACHINE, path, "", REG_SZ, text);
  SetValue(HKEY_LOCAL_MACHINE, path, "Sz", REG_SZ, odd);  // no terminator, odd length
  SetValue(HKEY_LOCAL_MACHINE, path, "Expand", REG_EXPAND_SZ, {'%', 0, 'P', 0, '%', 0, 0, 0});
  SetValue(HKEY_LOCAL_MACHINE, path, "Multi", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0});
  SetValue(HKEY_LOCAL_MACHINE, path, "Binary", REG_BINARY, {0, 1, 0, 0xFF, 0});
  SetValue(HKEY_LOCAL_MACHINE, path, "Empty", REG_BINARY, {});
  SetValue(HKEY_LOCAL_MACHINE, path, "None", REG_NONE, {7});
  SetDword(HKEY_LOCAL_MACHINE, path, "Dword", 0x80000001);
  SetValue(HKEY_LOCAL_MACHINE, path, "BigEndian", REG_DWORD_BIG_ENDIAN, {1, 2, 3, 4});
  SetValue(HKEY_LOCAL_MACHINE, path, "Qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
  SetValue(HKEY_LOCAL_MACHINE, path, "ShortDword", REG_DWORD, {9});
  SetValue(HKEY_LOCAL_MACHINE, path, "Odd", 0x1234, {1, 2, 3});
  SetValue(HKEY_LOCAL_MACHINE, path + "\\InprocServer32", "", REG_EXPAND_SZ, text);
  SetValue(HKEY_LOCAL_MACHINE, path + "\\InprocServer32", "ThreadingModel", REG_SZ, text);
  SetDword(HKEY_LOCAL_MACHINE, path + "\\Deep\\Deeper", "Level", 2);
  CreateKey(HKEY_LOCAL_MACHINE, path + "\\EmptyKey");
}

class Components : public testing::Test {
 protected:
  TComponent a_ = MakeComponent("组件甲", "{5EED0001-0000-4000-8000-00000000000A}");
  TComponent b_ = MakeComponent("组件乙", "{5EED0001-0000-4000-8000-00000000000B}");
  TRegistryRestorer restore_{{{HKEY_LOCAL_MACHINE, a_.ClassKey},
                              {HKEY_LOCAL_MACHINE, b_.ClassKey},
                              {HKEY_LOCAL_MACHINE, kParkingRoot}}};
};

}  // namespace

TEST_F(Components, ImmuniseAndCancelGiveBackEveryValueAndSubkeyByteForByte) {
  FillRichKey(a_.ClassKey);
  const TKeyDump before = DumpKey(HKEY_LOCAL_MACHINE, a_.ClassKey);
  ASSERT_EQ(before.Values.size(), 12u);
  ASSERT_EQ(before.Keys.size(), 3u);
  EXPECT_FALSE(ComponentImmunised(a_));

  EXPECT_EQ(ImmuniseComponent(a_), "组件甲免疫成功");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, a_.ClassKey));
  EXPECT_EQ(DumpKey(HKEY_LOCAL_MACHINE, a_.ParkingKey), before);
  EXPECT_TRUE(ComponentImmunised(a_));

  EXPECT_EQ(RestoreComponent(a_), "组件甲取消免疫成功");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, a_.ParkingKey));
  EXPECT_EQ(DumpKey(HKEY_LOCAL_MACHINE, a_.ClassKey), before);
}

TEST_F(Components, MissingKeysAreReportedAndNothingIsCreated) {
  EXPECT_TRUE(ComponentImmunised(a_));  // absent counts as immunised
  EXPECT_EQ(ImmuniseComponent(a_), "组件甲已免疫过了");
  EXPECT_EQ(RestoreComponent(a_), "找不到组件甲备份");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, a_.ClassKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, a_.ParkingKey));
}

TEST_F(Components, AnExistingParkedCopyLeavesBothKeysAsTheyAre) {
  SetDword(HKEY_LOCAL_MACHINE, a_.ClassKey, "Which", 1);
  SetDword(HKEY_LOCAL_MACHINE, a_.ParkingKey, "Which", 2);
  EXPECT_EQ(ImmuniseComponent(a_), "组件甲免疫成功");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, a_.ClassKey, "Which"), 1);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, a_.ParkingKey, "Which"), 2);
}

TEST_F(Components, MessagesJoinOneALineWithABreakBeforeEveryLaterComponent) {
  const std::vector<TComponent> both = {a_, b_};
  EXPECT_EQ(ImmuniseComponents(both, {false, true}), "\r\n组件乙已免疫过了");
  EXPECT_EQ(ImmuniseComponents(both, {true, true}), "组件甲已免疫过了\r\n组件乙已免疫过了");
  EXPECT_EQ(RestoreComponents(both, {false, false}), "");
}

TEST_F(Components, CleanUpKeepsEveryParkedKeyThatWasNotRestored) {
  SetDword(HKEY_LOCAL_MACHINE, a_.ClassKey, "Which", 1);
  FillRichKey(b_.ClassKey);
  const TKeyDump b = DumpKey(HKEY_LOCAL_MACHINE, b_.ClassKey);
  const std::vector<TComponent> both = {a_, b_};
  ImmuniseComponents(both, {true, true});
  EXPECT_EQ(RestoreComponents(both, {true, false}), "组件甲取消免疫成功");

  EXPECT_FALSE(CleanUpParkingRoot());
  EXPECT_EQ(DumpKey(HKEY_LOCAL_MACHINE, b_.ParkingKey), b);
  EXPECT_EQ(RestoreComponent(b_), "组件乙取消免疫成功");
  EXPECT_EQ(DumpKey(HKEY_LOCAL_MACHINE, b_.ClassKey), b);
  EXPECT_TRUE(CleanUpParkingRoot());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kParkingRoot));

  // A parking root that holds anything else stays too.
  SetDword(HKEY_LOCAL_MACHINE, kParkingRoot, "Note", 1);
  EXPECT_FALSE(CleanUpParkingRoot());
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kParkingRoot, "Note"), 1);
}
