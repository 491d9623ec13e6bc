#include <gtest/gtest.h>

#include "ImmunityFixtures.h"
#include "immunity/AutoplayPolicy.h"
#include "immunity/CursorPatch.h"
#include "immunity/ImmunisationState.h"
#include "immunity/PluginImmunity.h"

using namespace immunity_test;

namespace {
const HKEY kHklm = HKEY_LOCAL_MACHINE, kHkcu = HKEY_CURRENT_USER;
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
  TRegistryRestorer restore_{{{kHklm, components_[0].ClassKey},
                              {kHkcu, kAutoplayUserKey},
                              {kHklm, kAutoplayMachineKey},
                              {kHklm, Key(0).substr(0, Key(0).rfind('\\'))},
                              {kHklm, kUpdates}}};
};
}  // namespace

TEST_F(StatusCheck, ShowsComponentsAndPluginRowsWithTheirSharedKeys) {
  SetDword(kHklm, components_[0].ClassKey, "v", 1);
  SetDword(kHklm, Key(0), kCompatibilityFlags, 1025);
  SetDword(kHklm, Key(1), kCompatibilityFlags, 1024);  // rows 1 and 2 share it
  state_.Plugins[3].Checked = true;                    // no key: left as the user set it
  EXPECT_TRUE(Read());
  EXPECT_EQ(state_.Components, (std::vector<bool>{false, true}));
  EXPECT_FALSE(state_.Plugins[0].Checked);
  EXPECT_EQ(state_.Plugins[0].Status, "未免疫");
  EXPECT_TRUE(state_.Plugins[1].Checked && state_.Plugins[2].Checked);
  EXPECT_EQ(state_.Plugins[2].Status, "已免疫");
  EXPECT_TRUE(state_.Plugins[3].Checked);
}

TEST_F(StatusCheck, AMissingFlagStopsTheCheckWithLaterRowsAndThePatchUntouched) {
  SetDword(kHklm, Key(0), kCompatibilityFlags, 1024);
  CreateKey(kHklm, Key(1));
  SetDword(kHklm, Key(3), kCompatibilityFlags, 1024);
  CreateKey(kHklm, kUpdates + "\\SP1\\KB925902");
  EXPECT_FALSE(Read());
  EXPECT_TRUE(state_.Plugins[0].Checked);
  EXPECT_FALSE(state_.Plugins[3].Checked);
  EXPECT_FALSE(state_.PatchChecked);
}

TEST_F(StatusCheck, AutoplayValuesMapToTheDriveBoxBothWays) {
  for (int index = 0; index < 4; ++index) {
    state_.Autoplay = false;
    ApplyAutoplayPolicy(index);
    EXPECT_TRUE(Read());
    EXPECT_TRUE(state_.Autoplay);
    EXPECT_EQ(state_.DriveIndex, index);
  }
  EXPECT_EQ(ReadDword(kHkcu, kAutoplayUserKey, kAutoplayValue), 157);

  // A value of another type stops the check with the box already checked.
  SetValue(kHkcu, kAutoplayUserKey, kAutoplayValue, REG_SZ, {'1', 0});
  SetDword(kHklm, Key(0), kCompatibilityFlags, 1024);
  EXPECT_FALSE(Read());
  EXPECT_TRUE(state_.Autoplay);
  EXPECT_FALSE(state_.Plugins[0].Checked);
}

TEST_F(StatusCheck, ThePatchFoundUnderAnEarlierServicePackStaysFound) {
  state_.PatchChecked = true;
  EXPECT_EQ(DetectCursorPatch(kOs), TPatchDetection::Unknown);
  CreateKey(kHklm, kUpdates + "\\SP2\\KB111111");
  EXPECT_TRUE(Read());
  EXPECT_FALSE(state_.PatchChecked);
  CreateKey(kHklm, kUpdates + "\\SP1\\KB925902-v2");
  EXPECT_TRUE(Read());
  EXPECT_TRUE(state_.PatchChecked);
  EXPECT_FALSE(state_.PatchEnabled);
}
