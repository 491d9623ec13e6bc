// The two folder routines on scratch folders: what the totals add up to, which failures count,
// how a stop ends nested listings, and that links are removed as links.
#include <gtest/gtest.h>

#include "TmpCleanTestKit.h"
#include "support/Scratch.h"
#include "support/WineUnix.h"
#include "system/SysUtils.h"
#include "tempclean/UrlCache.h"

#include <shlobj.h>
#include <wininet.h>

using namespace tempclean_test;

namespace {

std::string Progress(int count, const std::string& size) {
  return "临时文件清理中...,成功删除了" + std::to_string(count) + "个临时文件,释放了" + size +
         "空间.";
}

class TempCleaner : public testing::Test {
 protected:
  void SetUp() override { TmpCleanState.Reset(); }
  void TearDown() override { TmpCleanState.Reset(); }
  std::string Sub(const std::string& name) {
    const std::string p = dir_.Path() + name + "\\";
    CreateDirectoryA(p.c_str(), nullptr);
    return p;
  }

  TScratchDir dir_{CurrentTestName()};
  TRecordingView view_;
  TTempCleaner cleaner_{view_};
};

}  // namespace

TEST_F(TempCleaner, FreedSpaceAddsEachFileDividedAndTurnsToMegabytesOneDeletionLate) {
  const std::string small = Sub("small"), a = Sub("a"), b = Sub("b"), c = Sub("c");
  for (int i = 0; i < 3; ++i) MakeFile(small + "f" + std::to_string(i) + ".dat", 500);
  MakeFile(a + "big.dat", 1000 * 1024);
  MakeFile(b + "mid.dat", 30 * 1024 + 1023);
  MakeFile(c + "two.dat", 2 * 1024);

  cleaner_.CleanTmpDir(dir_.Path() + "small");  // no trailing "\": the routine adds it
  EXPECT_EQ(view_.LastStatus(), Progress(3, "0KB"));
  EXPECT_TRUE(Exists(small));  // the folder given is never removed
  cleaner_.CleanTmpDir(a);
  EXPECT_EQ(view_.LastStatus(), Progress(4, "1000KB"));
  cleaner_.CleanTmpDir(b);
  EXPECT_EQ(view_.LastStatus(), Progress(5, "1030KB"));
  cleaner_.CleanTmpDir(c);
  EXPECT_EQ(view_.LastStatus(), Progress(6, "1MB"));
  EXPECT_EQ(view_.Lines().at(3), "删除 " + a + "big.dat 成功.");

  TmpCleanState.Reset();  // a size of 2 GiB or more must not count negative
  EXPECT_EQ(TmpCleanState.AddDeleted(0x80000000UL).DelTmpSizeText, "2097152KB");
}

TEST_F(TempCleaner, AFileThatStaysGetsTheInUseLineAndIsNotCounted) {
  MakeFile(dir_.Path() + "ro.tmp", 4096, FILE_ATTRIBUTE_READONLY);
  cleaner_.CleanTmpDir(dir_.Path());
  EXPECT_EQ(view_.Lines(),
            std::vector<std::string>{"删除 " + dir_.Path() + "ro.tmp 失败,文件正在使用中."});
  EXPECT_EQ(view_.LastStatus(), Progress(0, ""));
  EXPECT_TRUE(Exists(dir_.Path() + "ro.tmp"));
  SetFileAttributesA((dir_.Path() + "ro.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(TempCleaner, StopEndsTheNestedListingAndItsCallerAtTheirNextEntries) {
  const std::string sub = Sub("sub");
  for (int i = 0; i < 5; ++i) MakeFile(sub + "f" + std::to_string(i) + ".tmp", 10);
  view_.OnLine = [](const std::string&) { RequestTmpCleanStop(); };
  cleaner_.CleanTmpDir(dir_.Path());
  // The file in hand is finished; the folder stays with the rest, tried no further.
  ASSERT_EQ(view_.Lines().size(), 1u);
  EXPECT_TRUE(Exists(sub));
  int left = 0;
  for (int i = 0; i < 5; ++i) left += Exists(sub + "f" + std::to_string(i) + ".tmp");
  EXPECT_EQ(left, 4);
}

TEST_F(TempCleaner, LinksAreRemovedAsLinksAndNeverLeadTheCleaningAway) {
  ASSERT_TRUE(IsWine()) << "links are made from the Unix side";
  TScratchDir outside(CurrentTestName() + "_target");
  const std::string full = outside.Path() + "full\\", empty = outside.Path() + "empty\\";
  CreateDirectoryA(full.c_str(), nullptr);
  CreateDirectoryA((full + "sub").c_str(), nullptr);
  CreateDirectoryA(empty.c_str(), nullptr);
  MakeFile(full + "keep.txt", 10);
  MakeFile(full + "keep.tmp", 10);
  MakeFile(full + "sub\\keep.log", 10);
  MakeFile(outside.Path() + "file.tmp", 5000);
  const std::string d = dir_.Path();
  ASSERT_TRUE(MakeUnixSymlink(full, d + "tofull"));
  ASSERT_TRUE(MakeUnixSymlink(empty, d + "toempty"));
  ASSERT_TRUE(MakeUnixSymlink(outside.Path() + "file.tmp", d + "link.tmp"));
  MakeFile(d + "real.tmp", 10);

  // Descending by extension: folder links are not entered (nor removed, as no folder is there);
  // a link named .tmp goes as a link and frees nothing.
  cleaner_.CleanTmpFilesByExt(d, true);
  EXPECT_FALSE(Exists(d + "real.tmp"));
  EXPECT_FALSE(Exists(d + "link.tmp"));
  EXPECT_TRUE(Exists(d + "tofull\\keep.tmp"));
  EXPECT_EQ(view_.LastStatus(), Progress(2, "0KB"));
  EXPECT_EQ(Count(view_.Lines(), "删除 " + d + "link.tmp 成功."), 1);

  // The full clean removes the folder links themselves.
  cleaner_.CleanTmpDir(d);
  EXPECT_FALSE(Exists(d + "tofull"));
  EXPECT_FALSE(Exists(d + "toempty"));
  EXPECT_EQ(view_.Lines().size(), 2u);  // nothing is written about folders
  for (const char* kept : {"full\\keep.txt", "full\\keep.tmp", "full\\sub\\keep.log", "empty"})
    EXPECT_TRUE(Exists(outside.Path() + kept)) << kept;
  EXPECT_EQ(GetFileSizeOf(outside.Path() + "file.tmp"), 5000);
}

TEST(TempFolderGuard, RefusesRootsAndFoldersHoldingTheSystemOrProfile) {
  const std::string windows = GetWindowsDir(), profile = GetSpecialFolder(CSIDL_PROFILE);
  for (const std::string& wide :
       {std::string(), std::string("C:\\"), std::string("c:"), std::string("\\\\server\\share\\"),
        windows, profile, ExtractFilePath(ExcludeTrailingBackslash(profile))})
    EXPECT_TRUE(IsTempFolderTooWide(wide)) << wide;
  EXPECT_FALSE(IsTempFolderTooWide(profile + "\\Temp\\"));
  EXPECT_FALSE(IsTempFolderTooWide(windows + "Temp"));
}

TEST(UrlCache, DeleteUrlCacheEntriesEmptiesTheCache) {
  const char* urls[] = {"http://veldor.test/a.html", "http://veldor.test/b.css",
                        "http://veldor.test/c.js"};
  for (const char* url : urls) {
    char file[MAX_PATH] = {};
    ASSERT_TRUE(CreateUrlCacheEntryA(url, 0, "html", file, 0));
    MakeFile(file, 100);
    FILETIME none{};
    ASSERT_TRUE(CommitUrlCacheEntryA(url, file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr,
                                     nullptr));
  }
  DeleteUrlCacheEntries();
  for (const char* url : urls) {
    DWORD size = 0;
    GetUrlCacheEntryInfoA(url, nullptr, &size);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << url;
  }
  DWORD size = 0;
  EXPECT_EQ(FindFirstUrlCacheEntryA(nullptr, nullptr, &size), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
}
