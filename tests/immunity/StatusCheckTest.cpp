#include <gtest/gtest.h>

#include "ImmunityFixtures.h"
#include "immunity/AutoplayPolicy.h"
#include "immunity/CursorPatch.h"
#include "immunity/ImmunisationState.h"
#include "immunity/PluginImmunity.h"

using namespace immunity_test;

namespace {
const char kOs[] = "Veldor Test OS";
const std::string kUpdates = std::string("\\SOFTWARE\\Microsoft\\Updates\\") + kOs;

class StatusCheck : public testing::Test {
 protected:
  StatusCheck() { state_.Plugins.assign(plugins_.size(), {false, "未免疫"}); }
  bool Read() { return ReadStateFromRegistry(state_, components_, plugins_, kOs); }
  std::string Key(int row) { return PluginKeyPath(plugins_[row].ClassId); }

  std::vector<TComponent> components_ = {
      MakeComponent("甲", "{5EED0003-0000-4000-8000-00000000000A}"),
      MakeComponent("乙", "{5EED0003-0000-4000-8000-00000000000B}")};
  std::vector<TPlugin> plugins_ = {{"一", "5EED0003-0000-4000-8000-000000000001"},
                                   {"二", "5EED0003-0000-4000-8000-000000000002"},
                                   {"三", "5EED0003-0000-4000-8000-000000000002"},
                                   {"四", "5EED0003-0000-4000-8000-000000000004"}};
  TImmunisationState state_;
  TRegistryRestorer restore_{{{HKEY_LOCAL_MACHINE, components_[0].ClassKey},
                              {HKEY_CURRENT_USER, kAutoplayUserKey},
                              {HKEY_LOCAL_MACHINE, kAutoplayMachineKey},
                              {HKEY_LOCAL_MACHINE, Key(0).substr(0, Key(0).rfind('\\'))},
                              {HKEY_LOCAL_MACHINE, kUpdates}}};
};
}  // namespace

TEST_F(StatusCheck, ShowsComponentsPluginRowsAndTheirSharedKeys) {
  SetDword(HKEY_LOCAL_MACHINE, components_[0].ClassKey, "v", 1);
  SetDword(HKEY_LOCAL_MACHINE, Key(0), kCompatibilityFlags, 1025);
  SetDword(HKEY_LOCAL_MACHINE, Key(1), kCompatibilityFlags, 1024);  // rows 2 and 3 share it
  state_.Plugins[3] = {true, "未免疫"};  // no key: left as the user set it
  EXPECT_TRUE(Read());
  EXPECT_EQ(state_.Components, (std::vector<bool>{false, true}));
  EXPECT_FALSE(state_.Plugins[0].Checked);
  EXPECT_EQ(state_.Plugins[0].Status, "未免疫");
  for (int row : {1, 2}) {
    EXPECT_TRUE(state_.Plugins[row].Checked);
    EXPECT_EQ(state_.Plugins[row].Status, "已免疫");
  }
  EXPECT_TRUE(state_.Plugins[3].Checked);
}

TEST_F(StatusCheck, AMissingFlagStopsTheCheckWithLaterRowsAndThePatchUntouched) {
  SetDword(HKEY_LOCAL_MACHINE, Key(0), kCompatibilityFlags, 1024);
  CreateKey(HKEY_LOCAL_MACHINE, Key(1));
  SetDword(HKEY_LOCAL_MACHINE, Key(3), kCompatibilityFlags, 1024);
  CreateKey(HKEY_LOCAL_MACHINE, kUpdates + "\\SP1\\KB925902");
  EXPECT_FALSE(Read());
  EXPECT_TRUE(state_.Plugins[0].Checked);
  EXPECT_FALSE(state_.Plugins[3].Checked);
  EXPECT_EQ(state_.Plugins[3].Status, "未免疫");
  EXPECT_FALSE(state_.PatchChecked);
  EXPECT_TRUE(state_.PatchEnabled);
}

TEST_F(StatusCheck, AutoplayValuesMapToTheDriveBoxBothWays) {
  for (int index = 0; index < 4; ++index) {
    state_.Autoplay = false;
    ApplyAutoplayPolicy(index);
    EXPECT_TRUE(Read());
    EXPECT_TRUE(state_.Autoplay);
    EXPECT_EQ(state_.DriveIndex, index);
  }
  const std::pair<int, int> table[] = {{255, 0}, {181, 1}, {189, 2}, {157, 3}};
  for (auto [value, index] : table) {
    EXPECT_EQ(AutoplayValueOfIndex(index), value);
    EXPECT_EQ(DriveIndexOfAutoplayValue(value), index);
  }
  SetDword(HKEY_CURRENT_USER, kAutoplayUserKey, kAutoplayValue, 145);
  EXPECT_TRUE(Read());
  EXPECT_FALSE(state_.Autoplay);
  EXPECT_EQ(state_.DriveIndex, 3);  // the box keeps its last item

  // A value of another type stops the check with the box already checked.
  SetValue(HKEY_CURRENT_USER, kAutoplayUserKey, kAutoplayValue, REG_SZ, {'1', 0});
  SetDword(HKEY_LOCAL_MACHINE, Key(0), kCompatibilityFlags, 1024);
  EXPECT_FALSE(Read());
  EXPECT_TRUE(state_.Autoplay);
  EXPECT_FALSE(state_.Plugins[0].Checked);
}

TEST_F(StatusCheck, AutoplayPolicyTouchesTheMachineOnlyWhereItsKeyExists) {
  ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAutoplayMachineKey));
  EXPECT_FALSE(ApplyAutoplayPolicy(2));
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kAutoplayUserKey, kAutoplayValue), 189);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAutoplayMachineKey));
  EXPECT_FALSE(CancelAutoplayPolicy());

  CreateKey(HKEY_LOCAL_MACHINE, kAutoplayMachineKey);
  EXPECT_TRUE(ApplyAutoplayPolicy(3));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kAutoplayMachineKey, kAutoplayValue), 157);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kAutoplayUserKey, kAutoplayValue), 157);
  EXPECT_TRUE(CancelAutoplayPolicy());
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kAutoplayMachineKey, kAutoplayValue), -1);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kAutoplayUserKey, kAutoplayValue), 157);
  EXPECT_TRUE(CancelAutoplayPolicy());  // reported even with the value already gone
}

TEST_F(StatusCheck, ThePatchFoundUnderAnEarlierServicePackStaysFound) {
  state_.PatchChecked = true;
  EXPECT_EQ(DetectCursorPatch(kOs), TPatchDetection::Unknown);
  CreateKey(HKEY_LOCAL_MACHINE, kUpdates + "\\SP2\\KB111111");
  EXPECT_EQ(DetectCursorPatch(kOs), TPatchDetection::NotFound);
  EXPECT_TRUE(Read());
  EXPECT_FALSE(state_.PatchChecked);

  CreateKey(HKEY_LOCAL_MACHINE, kUpdates + "\\SP1\\KB925902-v2");
  EXPECT_EQ(DetectCursorPatch(kOs), TPatchDetection::Found);
  EXPECT_TRUE(Read());
  EXPECT_TRUE(state_.PatchChecked);
  EXPECT_FALSE(state_.PatchEnabled);
  CreateKey(HKEY_LOCAL_MACHINE, kUpdates + "\\SP0\\kb925902");  // other letter case: no match
  EXPECT_EQ(DetectCursorPatch(kOs), TPatchDetection::Found);
}
