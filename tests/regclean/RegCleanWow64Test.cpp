#include <gtest/gtest.h>

#include "RegCleanKit.h"
#include "regclean/InvalidRef.h"
#include "regclean/RegRemoval.h"
#include "support/Scratch.h"
#include "support/Wow64.h"

using namespace regclean_test;
using namespace wow64_test;

namespace {
const char kScratch[] = "Software\\VeldorTestWow64";
const std::wstring kKey64 = L"Software\\VeldorTestWow64\\Key";
const std::wstring kKey32 = L"Software\\Wow6432Node\\VeldorTestWow64\\Key";

struct TScratchViews {
  ~TScratchViews() {
    DeleteTreeIn(HKEY_LOCAL_MACHINE, kScratch, kView64);
    DeleteTreeIn(HKEY_LOCAL_MACHINE, kScratch, kView32);
  }
};
}  // namespace

TEST(RegCleanWow64, FilesOfTheReal64BitSystemFolderAreNotReportedAndHitsGoByTheirRealPath) {
  SKIP_UNLESS_WOW64();
  // wow64.dll exists only in the 64-bit system folder, which this program sees as SysWOW64.
  EXPECT_TRUE(IsValidPathRef("C:\\windows\\system32\\wow64.dll"));
  EXPECT_FALSE(IsValidPathRef("C:\\windows\\system32\\VeldorNoSuch.dll"));

  TScratchViews scratch;
  const std::string key = std::string("HKLM\\") + kScratch + "\\Key";
  ASSERT_TRUE(SeedString(key, "real", "C:\\windows\\system32\\wow64.dll", "/reg:64"));
  ASSERT_TRUE(SeedString(key, "gone", "C:\\VeldorNoSuch64.exe", "/reg:64"));
  ASSERT_TRUE(SeedString(key, "gone32", "C:\\VeldorNoSuch32.exe", "/reg:32"));

  TCollectSink sink;
  TRegWalker walker(sink);
  walker.ScanInvalidRefs(
      {{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, kScratch},
       {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\VeldorTestWow64"}});
  ASSERT_EQ(sink.Hits.size(), 2u);
  EXPECT_EQ(sink.Hits[0].KeyPath, kKey64);
  EXPECT_EQ(sink.Hits[0].Name, L"gone");
  EXPECT_EQ(sink.Hits[1].KeyPath, kKey32);
  EXPECT_EQ(sink.Hits[1].Name, L"gone32");
  EXPECT_EQ(sink.Hits[1].GridKey(),
            L"HKEY_LOCAL_MACHINE: Software\\Wow6432Node\\VeldorTestWow64\\Key");

  TScratchDir dir("Wow64Undo");
  const TRemovalResult done = RemoveRegHits(sink.Hits, dir.Path());
  EXPECT_EQ(done.Deleted.size(), 2u);
  const std::string subKey = std::string(kScratch) + "\\Key";
  EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE, subKey, "gone", kView64).first, DWORD(REG_NONE));
  EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE, subKey, "gone32", kView32).first, DWORD(REG_NONE));
  EXPECT_EQ(ValueIn(HKEY_LOCAL_MACHINE, subKey, "real", kView64).first, DWORD(REG_SZ));
  // The undo file names the 32-bit value's real key, where an import puts it back.
  const std::string undo = ReadTextFile(done.UndoFile);
  std::wstring text(undo.size() / 2, L'\0');
  memcpy(text.data(), undo.data(), text.size() * 2);
  EXPECT_NE(text.find(L"[HKEY_LOCAL_MACHINE\\" + kKey32 + L"]"), std::wstring::npos);
}
