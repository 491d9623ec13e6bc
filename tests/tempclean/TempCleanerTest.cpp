// The folder routines on scratch folders: the totals, a stop inside nested listings, links; the
// guard on the temporary folder; the URL-cache step.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <wininet.h>

#include "TmpCleanTestKit.h"
#include "system/SysUtils.h"
#include "tempclean/UrlCache.h"

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
    CreateDirectoryA((dir_.Path() + name).c_str(), nullptr);
    return dir_.Path() + name + "\\";
  }
  TScratchDir dir_{CurrentTestName()};
  TRecordingView view_;
  TTempCleaner cleaner_{view_};
};

}  // namespace

TEST_F(TempCleaner, FreedSpaceAddsEachFileDividedAndTurnsToMegabytesOneDeletionLate) {
  const std::string small = Sub("small"), a = Sub("a"), b = Sub("b"), c = Sub("c");
  for (int i = 0; i < 3; ++i) MakeFile(small + "f" + std::to_string(i), 500);
  MakeFile(a + "big.dat", 1000 * 1024);
  MakeFile(b + "mid.dat", 30 * 1024 + 1023);
  MakeFile(c + "two.dat", 2 * 1024);
  cleaner_.CleanTmpDir(dir_.Path() + "small");  // the routine adds the "\"
  EXPECT_EQ(view_.LastStatus(), Progress(3, "0KB"));
  EXPECT_TRUE(Exists(small));  // the folder given is never removed
  cleaner_.CleanTmpDir(a);
  EXPECT_EQ(view_.LastStatus(), Progress(4, "1000KB"));
  cleaner_.CleanTmpDir(b);
  EXPECT_EQ(view_.LastStatus(), Progress(5, "1030KB"));
  cleaner_.CleanTmpDir(c);
  EXPECT_EQ(view_.LastStatus(), Progress(6, "1MB"));
  EXPECT_EQ(view_.Lines().at(3), "删除 " + a + "big.dat 成功.");
  TmpCleanState.Reset();  // 2 GiB and more must not count negative
  EXPECT_EQ(TmpCleanState.AddDeleted(0x80000000UL).DelTmpSizeText, "2097152KB");
}

TEST_F(TempCleaner, StopEndsTheNestedListingAndItsCallerAtTheirNextEntries) {
  const std::string sub = Sub("sub");
  for (int i = 0; i < 5; ++i) MakeFile(sub + "f" + std::to_string(i), 10);
  view_.OnLine = [] { RequestTmpCleanStop(); };
  cleaner_.CleanTmpDir(dir_.Path());
  // The file in hand is finished; the folder keeps the rest, and is tried no further.
  EXPECT_EQ(view_.Lines().size(), 1u);
  int left = 0;
  for (int i = 0; i < 5; ++i) left += Exists(sub + "f" + std::to_string(i));
  EXPECT_EQ(left, 4);
}

TEST_F(TempCleaner, OnlyASucceededDeletionCounts) {
  // A name that is no name in the locale's encoding (made on the Unix side, listed in a form that
  // names nothing) cannot be deleted and stays uncounted. A file another program holds open,
  // shared for deletion, takes the delete call and stays. A path of MAX_PATH or more goes only
  // where the system takes such paths (Wine does, Windows does not): it counts when it went.
  ASSERT_TRUE(IsWine()) << "the odd name is made from the Unix side";
  const std::string longRoot = Sub("long"), oddRoot = Sub("odd"), heldRoot = Sub("held");
  MakeFile(heldRoot + "held.tmp", 2048);
  HANDLE held =
      CreateFileA((heldRoot + "held.tmp").c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::wstring deep = L"\\\\?\\" + std::wstring(longRoot.begin(), longRoot.end());
  for (int i = 0; i < 2; ++i) {  // a folder that can still be listed, a file that cannot be named
    deep += std::wstring(60, L'd') + L"\\";
    CreateDirectoryW(deep.c_str(), nullptr);
  }
  const std::wstring longFile = deep + std::wstring(100, L'f') + L".tmp";
  CloseHandle(CreateFileW(longFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_NE(GetFileAttributesW(longFile.c_str()), INVALID_FILE_ATTRIBUTES);
  const auto oddEntries = [&] {
    int n = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((oddRoot + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return n;
    do n += fd.cFileName[0] != '.';
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
  };
  ASSERT_TRUE(StartUnixProgram(
      {"/bin/sh", "-c", "cd '" + UnixPathOf(oddRoot) + "' && touch $(printf '\\377\\376').tmp"}));
  for (int i = 0; i < 100 && oddEntries() == 0; ++i) Sleep(50);
  ASSERT_EQ(oddEntries(), 1);

  cleaner_.CleanTmpFilesByExt(longRoot, true);
  cleaner_.CleanTmpDir(oddRoot);
  cleaner_.CleanTmpDir(heldRoot);
  const bool heldStayed = Exists(heldRoot + "held.tmp");
  CloseHandle(held);
  EXPECT_TRUE(heldStayed);
  const bool longGone = GetFileAttributesW(longFile.c_str()) == INVALID_FILE_ATTRIBUTES;
  EXPECT_EQ(view_.Lines().size(), 3u);
  int failed = 0;
  for (const std::string& line : view_.Lines())
    failed += line.find(" 失败,文件正在使用中.") != std::string::npos ? 1 : 0;
  EXPECT_EQ(failed, longGone ? 2 : 3);
  EXPECT_EQ(view_.LastStatus(), longGone ? Progress(1, "0KB") : Progress(0, ""));
  EXPECT_EQ(oddEntries(), 1);
}

TEST_F(TempCleaner, LinksAreRemovedAsLinksAndNeverLeadTheCleaningAway) {
  ASSERT_TRUE(IsWine()) << "links are made from the Unix side";
  TScratchDir outside(CurrentTestName() + "_target");
  const std::string full = outside.Path() + "full\\", d = dir_.Path();
  CreateDirectoryA(full.c_str(), nullptr);
  CreateDirectoryA((full + "sub").c_str(), nullptr);
  CreateDirectoryA((outside.Path() + "empty").c_str(), nullptr);
  for (const char* name : {"full\\keep.txt", "full\\keep.tmp", "full\\sub\\keep.log"})
    MakeFile(outside.Path() + name, 10);
  MakeFile(outside.Path() + "file.tmp", 5000);
  ASSERT_TRUE(MakeUnixSymlink(full, d + "tofull"));
  ASSERT_TRUE(MakeUnixSymlink(outside.Path() + "empty", d + "toempty"));
  ASSERT_TRUE(MakeUnixSymlink(outside.Path() + "file.tmp", d + "link.tmp"));
  MakeFile(d + "real.tmp", 10);

  // By extension, descending: folder links are not entered; a file link goes as a link and
  // frees nothing (its target has 4 KB).
  cleaner_.CleanTmpFilesByExt(d, true);
  EXPECT_FALSE(Exists(d + "real.tmp"));
  EXPECT_FALSE(Exists(d + "link.tmp"));
  EXPECT_EQ(view_.LastStatus(), Progress(2, "0KB"));
  EXPECT_EQ(Count(view_.Lines(), "删除 " + d + "link.tmp 成功."), 1);
  // The full clean removes the folder links themselves, silently.
  cleaner_.CleanTmpDir(d);
  EXPECT_FALSE(Exists(d + "tofull"));
  EXPECT_FALSE(Exists(d + "toempty"));
  EXPECT_EQ(view_.Lines().size(), 2u);
  for (const char* kept : {"full\\keep.txt", "full\\keep.tmp", "full\\sub\\keep.log", "empty"})
    EXPECT_TRUE(Exists(outside.Path() + kept)) << kept;
  EXPECT_EQ(GetFileSizeOf(outside.Path() + "file.tmp"), 5000);
}

TEST(TempFolderGuard, RefusesRootsAndEveryProtectedFolderButTheTemporaryOne) {
  const std::string windows = GetWindowsDir(), profile = GetSpecialFolder(CSIDL_PROFILE);
  for (const std::string wide : {"", "C:\\", "c:", "\\\\server\\share\\"})
    EXPECT_TRUE(IsTempFolderTooWide(wide)) << wide;
  EXPECT_TRUE(IsTempFolderTooWide(windows));
  EXPECT_TRUE(IsTempFolderTooWide(profile));
  EXPECT_TRUE(IsTempFolderTooWide(ExtractFilePath(profile)));
  for (int csidl : {CSIDL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_STARTMENU, CSIDL_FAVORITES,
                    CSIDL_PROGRAM_FILES_COMMON, CSIDL_COMMON_DOCUMENTS})
    EXPECT_TRUE(IsTempFolderTooWide(GetSpecialFolder(csidl) + "\\")) << csidl;
  EXPECT_FALSE(IsTempFolderTooWide(profile + "\\Temp\\"));
  EXPECT_FALSE(IsTempFolderTooWide(GetTempDir()));
}

TEST(UrlCache, DeleteUrlCacheEntriesEmptiesTheCache) {
  const char* urls[] = {"http://veldor.test/a.html", "http://veldor.test/b.css"};
  for (const char* url : urls) {
    char file[MAX_PATH] = {};
    ASSERT_TRUE(CreateUrlCacheEntryA(url, 0, "html", file, 0));
    MakeFile(file, 100);
    ASSERT_TRUE(
        CommitUrlCacheEntryA(url, file, {}, {}, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
  }
  DeleteUrlCacheEntries();
  DWORD size = 0;
  for (const char* url : urls)
    EXPECT_FALSE(GetUrlCacheEntryInfoA(url, nullptr, &size) ||
                 GetLastError() != ERROR_FILE_NOT_FOUND)
        << url;
  EXPECT_EQ(FindFirstUrlCacheEntryA(nullptr, nullptr, &size), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
}
