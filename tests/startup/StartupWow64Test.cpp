#include <gtest/gtest.h>

#include "StartupScratch.h"
#include "startup/StartupItems.h"
#include "system/Text.h"
#include "support/Wow64.h"

using namespace startup_test;
using namespace wow64_test;

namespace {
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRun64[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run,00";
const char kRun32[] =
    "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run,00";

const TStartupEntry* Find(const std::vector<TStartupEntry>& entries, const std::string& name,
                          const std::string& location) {
  for (const TStartupEntry& e : entries)
    if (e.Name == WideFrom(name) && e.Location == WideFrom(location)) return &e;
  return nullptr;
}

struct TRunValue {
  ~TRunValue() {
    for (REGSAM view : {kView64, kView32}) {
      HKEY key = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE | view, &key) != 0) continue;
      RegDeleteValueA(key, Name.c_str());
      RegCloseKey(key);
    }
  }
  std::string Name = Unique("wow");
};
}  // namespace

TEST(StartupWow64, BothRunViewsAreListedAndEachRowDeletesInItsOwnViewOnly) {
  SKIP_UNLESS_WOW64();
  TRunValue value;
  const std::string key = std::string("HKLM\\") + kRunKey;
  ASSERT_TRUE(SeedString(key, value.Name, "C:\\a64.exe", "/reg:64"));
  ASSERT_TRUE(SeedString(key, value.Name, "C:\\a32.exe", "/reg:32"));

  const std::vector<TStartupEntry> entries = ListStartupEntries();
  const TStartupEntry* row64 = Find(entries, value.Name, kRun64);
  const TStartupEntry* row32 = Find(entries, value.Name, kRun32);
  ASSERT_TRUE(row64 && row32);
  EXPECT_EQ(row64->Command, L"C:\\a64.exe");
  EXPECT_EQ(row32->Command, L"C:\\a32.exe");
  // The user's keys are one key in both views: listed once.
  TStartupScratch scratch;
  scratch.Set(HKEY_CURRENT_USER, kRunKey, value.Name, "C:\\user.exe");
  int userRows = 0;
  for (const TStartupEntry& e : ListStartupEntries())
    userRows += e.Name == WideFrom(value.Name) && StartupLocationCode(e.Location) == L"10";
  EXPECT_EQ(userRows, 1);

  EXPECT_TRUE(DeleteStartupEntry(value.Name, kRun64));
  EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE, kRunKey, value.Name, kView64).first, DWORD(REG_NONE));
  EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE, kRunKey, value.Name, kView32).first, DWORD(REG_SZ));
  EXPECT_TRUE(DeleteStartupEntry(value.Name, kRun32));
  EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE, kRunKey, value.Name, kView32).first, DWORD(REG_NONE));
  EXPECT_TRUE(ValueIn(HKEY_CURRENT_USER, kRunKey, value.Name, 0).first == REG_SZ);
}
