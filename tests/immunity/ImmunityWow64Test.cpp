#include <gtest/gtest.h>

#include "ImmunityFixtures.h"
#include "immunity/ComponentImmunity.h"
#include "immunity/PluginImmunity.h"
#include "support/Wow64.h"

using namespace immunity_test;
using namespace wow64_test;

namespace {
const char kClassId[] = "{5EED0021-0000-4000-8000-000000000064}";
const std::string kPluginId = "5EED0021-0000-4000-8000-000000000065";

// The tree of a key in one view, read on the Win32 API; empty when it does not open.
TKeyDump DumpIn(const std::string& path, REGSAM view) {
  HKEY key = OpenIn(HKEY_LOCAL_MACHINE, Sub(path), view);
  if (!key) return {};
  TKeyDump dump = DumpOpenKey(key);
  RegCloseKey(key);
  return dump;
}

struct TScratchViews {
  ~TScratchViews() {
    for (REGSAM view : {kView64, kView32}) {
      DeleteTreeIn(HKEY_LOCAL_MACHINE, Sub(c.ClassKey), view);
      DeleteTreeIn(HKEY_LOCAL_MACHINE, Sub(c.ParkingKey), view);
      DeleteTreeIn(HKEY_LOCAL_MACHINE, Sub(PluginKeyPath(kPluginId)), view);
    }
  }
  TComponent c = MakeComponent("组件", kClassId);
};
}  // namespace

TEST(ImmunityWow64, KillBitsAndParkingCoverBothViewsAndCancellingRestoresBoth) {
  SKIP_UNLESS_WOW64();
  TScratchViews scratch;
  const std::vector<TPlugin> plugins = {{"插件", kPluginId}};
  const std::string pluginKey = Sub(PluginKeyPath(kPluginId));
  EXPECT_EQ(ImmunisePlugins(plugins, {true}), 1);
  for (REGSAM view : {kView64, kView32})
    EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE, pluginKey, kCompatibilityFlags, view).second,
              std::vector<BYTE>({0, 4, 0, 0}))
        << view;
  bool immunised = false;
  ASSERT_TRUE(ReadPluginState(plugins[0], immunised));
  EXPECT_TRUE(immunised);
  // The 64-bit browser alone still loading it is not immunised.
  ASSERT_TRUE(Reg64("add \"HKLM\\" + pluginKey + "\" /v \"" + kCompatibilityFlags +
                    "\" /t REG_DWORD /d 0 /f /reg:64"));
  ASSERT_TRUE(ReadPluginState(plugins[0], immunised));
  EXPECT_FALSE(immunised);
  EXPECT_EQ(CancelPlugins(plugins, {true}), 1);
  EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE, pluginKey, kCompatibilityFlags, kView32).second,
            std::vector<BYTE>({0, 0, 0, 0}));

  // A class registered in both views, differently.
  const std::string classKey = "HKLM\\" + Sub(scratch.c.ClassKey);
  ASSERT_TRUE(SeedString(classKey, "", "64-bit class", "/reg:64"));
  ASSERT_TRUE(SeedString(classKey + "\\InprocServer32", "", "C:\\x64.dll", "/reg:64"));
  ASSERT_TRUE(SeedString(classKey, "", "32-bit class", "/reg:32"));
  ASSERT_TRUE(SeedString(classKey + "\\InprocServer32", "ThreadingModel", "Both", "/reg:32"));
  const TKeyDump before64 = DumpIn(scratch.c.ClassKey, kView64);
  const TKeyDump before32 = DumpIn(scratch.c.ClassKey, kView32);
  ASSERT_FALSE(before64.Values.empty() || before32.Values.empty());
  ASSERT_NE(before64, before32);

  EXPECT_EQ(ImmuniseComponent(scratch.c), "组件免疫成功");
  EXPECT_FALSE(KeyIn(HKEY_LOCAL_MACHINE, Sub(scratch.c.ClassKey), kView64));
  EXPECT_FALSE(KeyIn(HKEY_LOCAL_MACHINE, Sub(scratch.c.ClassKey), kView32));
  EXPECT_EQ(DumpIn(scratch.c.ParkingKey, kView64), before64);
  EXPECT_EQ(DumpIn("\\SOFTWARE\\Classes\\Wow6432Node\\CLSIDBAK\\" + std::string(kClassId), kView64),
            before32);
  EXPECT_TRUE(ComponentImmunised(scratch.c));

  EXPECT_EQ(RestoreComponent(scratch.c), "组件取消免疫成功");
  EXPECT_EQ(DumpIn(scratch.c.ClassKey, kView64), before64);
  EXPECT_EQ(DumpIn(scratch.c.ClassKey, kView32), before32);
  EXPECT_FALSE(ComponentImmunised(scratch.c));
}
