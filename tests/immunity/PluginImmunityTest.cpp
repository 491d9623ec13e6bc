#include <gtest/gtest.h>

#include "ImmunityFixtures.h"
#include "immunity/PluginImmunity.h"

using namespace immunity_test;

namespace {
const char kRoot[] = "\\SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
const std::string kRow1("C22D6D40-47D8-40FE-825A-CC7F\0\0\0\0B3B8", 36);
const std::string kRow18("41563D23-91B6-4B96-8966-B5642A18\0\0\0\0", 36);
}  // namespace

TEST(PluginList, TheResourceRowsAndTheirKeyPaths) {
  const std::vector<TPlugin> plugins = LoadPluginList();
  ASSERT_EQ(plugins.size(), 86u);
  EXPECT_EQ(plugins[0].Name, "3721上网助手1");  // converted to code page 936
  EXPECT_EQ(plugins[0].ClassId, kRow1);
  EXPECT_EQ(plugins[17].ClassId, kRow18);
  EXPECT_EQ(plugins[6].ClassId, plugins[7].ClassId);
  EXPECT_EQ(plugins[85].Name, "自由行中文域名");
  EXPECT_EQ(plugins[85].ClassId, "1DF3A074-022B-4C74-8E47-3CA2B0E7E1BB");

  EXPECT_EQ(PluginKeyPath(kRow1), std::string(kRoot) + "{C22D6D40-47D8-40FE-825A-CC7F");
  EXPECT_EQ(PluginKeyPath(kRow18), std::string(kRoot) + "{41563D23-91B6-4B96-8966-B5642A18}");
  EXPECT_EQ(PluginKeyPath(" \t1DF3A074-022B\r\n"), std::string(kRoot) + "{1DF3A074-022B}");
}

TEST(PluginKillBits, AreSetAndClearedAndEveryCheckedRowCounts) {
  TRegistryRestorer restore({{HKEY_LOCAL_MACHINE, kRoot}});
  const std::vector<TPlugin> plugins = {{"有键", "5EED0002-0000-4000-8000-000000000001"},
                                        {"无键", "5EED0002-0000-4000-8000-000000000002"},
                                        {"残缺", kRow1}};
  const std::string key = PluginKeyPath(plugins[0].ClassId);
  SetDword(HKEY_LOCAL_MACHINE, key, kCompatibilityFlags, 1025);
  SetDword(HKEY_LOCAL_MACHINE, key, "Other", 7);
  bool immunised = true;
  ASSERT_TRUE(ReadPluginState(plugins[0], immunised));
  EXPECT_FALSE(immunised);  // the kill bit plus another bit is not the kill bit

  EXPECT_EQ(ImmunisePlugins(plugins, {true, false, true}), 2);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, key, kCompatibilityFlags), 1024);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, key, "Other"), 7);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, PluginKeyPath(kRow1), kCompatibilityFlags), 1024);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, PluginKeyPath(plugins[1].ClassId)));

  // A row without a key still counts and gets none; existing keys stay, holding 0.
  EXPECT_EQ(CancelPlugins(plugins, {true, true, false}), 2);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, key, kCompatibilityFlags), 0);
  EXPECT_FALSE(ReadPluginState(plugins[1], immunised));
  ASSERT_TRUE(ReadPluginState(plugins[2], immunised));
  EXPECT_TRUE(immunised);
}
