// Directory tree deletion on real folders of the Wine prefix, its guard, and links.
//
// Links are made from the Unix side (see support/WineUnix.h): Wine 8's CreateSymbolicLinkA does
// nothing, but CreateProcessA starts /bin/ln. What Wine 8 does with such links, measured here
// (WineLinkFacts): a link to a folder shows FILE_ATTRIBUTE_REPARSE_POINT, a link to a file looks
// like a plain file, and every Win32 operation on a link path acts on the target: DeleteFileA
// deletes the target file, RemoveDirectoryA removes an empty target folder, MoveFileA moves the
// target, and FILE_FLAG_OPEN_REPARSE_POINT is ignored. No Win32 call removes only the link, so
// the deletion removes links through the Unix side (system/FolderLinks.h).
#include <gtest/gtest.h>

#include <shlobj.h>

#include "support/Scratch.h"
#include "support/WineUnix.h"
#include "system/FileOps.h"
#include "system/SysUtils.h"

namespace {

void MakeFile(const std::string& path, const std::string& text, DWORD attributes = 0) {
  WriteTextFile(path, text);
  if (attributes) SetFileAttributesA(path.c_str(), attributes);
}

void MakeDir(const std::string& path) {
  CreateDirectoryA(path.c_str(), nullptr);
}

class FileOpsTest : public testing::Test {
 protected:
  TScratchDir scratch_{CurrentTestName()};
  std::string At(const std::string& rel) const { return scratch_.Path() + rel; }
};

}  // namespace

TEST_F(FileOpsTest, DeletesAWholeTreeAndNothingBeside) {
  const std::string tree = At("tree");
  MakeDir(tree);
  MakeDir(tree + "\\a");
  MakeDir(tree + "\\a\\b");
  MakeDir(tree + "\\a\\b\\c");
  MakeDir(tree + "\\empty");
  MakeDir(tree + "\\只读目录");
  MakeFile(tree + "\\top.txt", "1");
  MakeFile(tree + "\\a\\b\\c\\deep.txt", "2");
  MakeFile(tree + "\\a\\hidden.dat", "3", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(tree + "\\a\\b\\readonly.dat", "4", FILE_ATTRIBUTE_READONLY);
  MakeFile(tree + "\\a\\system.dat", "5", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
  MakeFile(tree + "\\a\\all.dat", "6",
           FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  MakeFile(tree + "\\只读目录\\恶意软件.txt", "7");
  MakeFile(tree + "\\\x81\x5c.txt", "8");  // a name whose second byte is "\"
  MakeFile(tree + "\\noext", "9");
  SetFileAttributesA((tree + "\\只读目录").c_str(), FILE_ATTRIBUTE_READONLY);
  // Neighbours with the same beginning, and the parent's own file.
  MakeDir(At("tree2"));
  MakeFile(At("tree2\\keep.txt"), "k");
  MakeFile(At("tree.txt"), "k");

  EXPECT_TRUE(DeleteDirectoryTree(tree + "\\"));
  EXPECT_FALSE(PathExists(tree));
  EXPECT_EQ(ReadTextFile(At("tree2\\keep.txt")), "k");
  EXPECT_EQ(ReadTextFile(At("tree.txt")), "k");
  EXPECT_TRUE(DirectoryExists(scratch_.Path()));

  MakeDir(tree);
  MakeFile(tree + "\\x", "x");
  EXPECT_TRUE(DeleteDirectoryTree(tree)) << "without a trailing separator";
  const std::string longName = At("A Long Folder Name");
  MakeDir(longName);
  MakeFile(longName + "\\x", "x");
  char shortName[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(longName.c_str(), shortName, MAX_PATH), 0u);
  ASSERT_NE(ExtractFileName(shortName), "A Long Folder Name");
  EXPECT_TRUE(DeleteDirectoryTree(shortName)) << "given by its short name: " << shortName;
  EXPECT_FALSE(PathExists(longName));
  EXPECT_FALSE(PathExists(tree));
  EXPECT_FALSE(DeleteDirectoryTree(tree)) << "a missing folder";
  EXPECT_FALSE(DeleteDirectoryTree(At("tree.txt"))) << "a file is no folder";
  EXPECT_EQ(ReadTextFile(At("tree.txt")), "k");
}

TEST_F(FileOpsTest, GoesOnPastEntriesItCannotDelete) {
  const std::string tree = At("tree");
  MakeDir(tree);
  MakeDir(tree + "\\sub");
  MakeFile(tree + "\\a.txt", "a");
  MakeFile(tree + "\\sub\\locked.txt", "l");
  MakeFile(tree + "\\sub\\z.txt", "z");
  MakeFile(tree + "\\z.txt", "z");
  HANDLE locked = CreateFileA((tree + "\\sub\\locked.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteDirectoryTree(tree));
  CloseHandle(locked);
  EXPECT_TRUE(FileExists(tree + "\\sub\\locked.txt"));
  EXPECT_FALSE(PathExists(tree + "\\a.txt"));
  EXPECT_FALSE(PathExists(tree + "\\z.txt"));
  EXPECT_FALSE(PathExists(tree + "\\sub\\z.txt"));
}

TEST(FolderGuard, RefusesWideAndNonAbsoluteFolders) {
  const std::string windows = ExcludeTrailingBackslash(GetWindowsDir());
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string profile = GetSpecialFolder(CSIDL_PROFILE);
  const std::string programs = GetSpecialFolder(CSIDL_PROGRAM_FILES);
  ASSERT_FALSE(profile.empty());
  const std::string refused[] = {
      "",
      "relative\\folder",
      "\\rooted\\without\\drive",
      "C:",
      "C:folder",
      "C:\\",
      "c:/",
      "D:\\",
      "Z:\\",
      "\\\\server\\share",
      "\\\\server\\share\\",
      "\\\\server",
      "\\\\?\\C:\\Program Files\\X",
      "\\\\.\\C:\\X",
      windows,
      AnsiUpperCase(windows) + "\\",
      windows + "\\system32\\..",
      system,
      programs,
      "c:/program files/",
      programs + "\\Foo\\..",
      programs + "\\Common Files",
      profile,
      ExtractFilePath(profile),  // the folder holding every profile
      GetSpecialFolder(CSIDL_PERSONAL),
      GetSpecialFolder(CSIDL_DESKTOPDIRECTORY),
      GetSpecialFolder(CSIDL_STARTUP),
      GetSpecialFolder(CSIDL_APPDATA),
      // Holds the application-data folders but not the temporary folder.
      ExtractFilePath(GetSpecialFolder(CSIDL_APPDATA)),
      GetSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY),
      ExcludeTrailingBackslash(GetTempDir()),
      windows + "\\Temp",
  };
  for (const auto& f : refused) EXPECT_TRUE(IsFolderTooWideToDelete(f)) << "'" << f << "'";

  const std::string allowed[] = {
      programs + "\\SomeRogue",
      programs + "\\SomeRogue\\",
      programs + "\\Common Files\\Rogue",
      windows + "\\Temp\\stale",
      GetTempDir() + "VeldorTest_x",
      profile + "\\Application Data\\Rogue",
      "C:\\Rogue",
      "\\\\server\\share\\app",
  };
  for (const auto& f : allowed) EXPECT_FALSE(IsFolderTooWideToDelete(f)) << "'" << f << "'";
}

// The same folders under other names: links, a drive letter, by their identity on disk.
TEST_F(FileOpsTest, GuardKnowsFoldersUnderOtherNames) {
  if (!IsWine()) GTEST_SKIP() << "links and drive letters are made from the Unix side of Wine";
  const std::string profile = GetSpecialFolder(CSIDL_PROFILE);
  const std::string appData = GetSpecialFolder(CSIDL_APPDATA);  // the profile's "\...\Roaming"
  ASSERT_EQ(appData.compare(0, profile.size() + 1, profile + "\\"), 0) << appData;
  const std::string inProfile = appData.substr(profile.size());
  ASSERT_TRUE(MakeUnixSymlink(ExtractFilePath(appData), At("alias")));
  ASSERT_TRUE(MakeUnixSymlink("C:\\", At("root")));
  ASSERT_TRUE(MakeUnixSymlink(GetTempDir(), At("temp")));
  MakeDir(At("plain"));
  ASSERT_TRUE(MakeUnixSymlink(At("plain"), At("plainlink")));
  struct TDrive {
    ~TDrive() { UnmapUnixDrive('P'); }
  } drive;
  ASSERT_TRUE(MapUnixDrive('P', profile));
  for (const std::string& f :
       {At("alias"), At("alias\\") + ExtractFileName(appData), At("root"), At("temp"),
        "P:" + inProfile, ExcludeTrailingBackslash("P:" + ExtractFilePath(inProfile))})
    EXPECT_TRUE(IsFolderTooWideToDelete(f)) << f;
  EXPECT_FALSE(IsFolderTooWideToDelete(At("plainlink")));
}

TEST_F(FileOpsTest, RefusedFoldersAreLeftUntouched) {
  MakeDir(At("rel"));
  MakeFile(At("rel\\file.txt"), "r");
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryA(scratch_.Path().c_str()));
  EXPECT_FALSE(DeleteDirectoryTree("rel"));
  EXPECT_FALSE(DeleteDirectoryTree(".\\rel"));
  SetCurrentDirectoryA(saved);
  EXPECT_EQ(ReadTextFile(At("rel\\file.txt")), "r");

  const std::string programs = GetSpecialFolder(CSIDL_PROGRAM_FILES);
  const std::string marker = programs + "\\VeldorTest_marker.txt";
  MakeFile(marker, "m");
  EXPECT_FALSE(DeleteDirectoryTree(programs + "\\"));
  EXPECT_FALSE(DeleteDirectoryTree(programs + "\\VeldorTest_none\\.."));
  EXPECT_EQ(ReadTextFile(marker), "m");
  DeleteFileA(marker.c_str());
}

// The platform behaviour the link rule guards against; if Wine changes, this says so first.
TEST_F(FileOpsTest, WineLinkFacts) {
  if (!IsWine()) GTEST_SKIP() << "links are made from the Unix side of Wine";
  MakeDir(At("target"));
  MakeFile(At("target\\inside.txt"), "t");
  MakeFile(At("file.txt"), "f");
  ASSERT_TRUE(MakeUnixSymlink(At("target"), At("dirlink")));
  ASSERT_TRUE(MakeUnixSymlink(At("file.txt"), At("filelink.txt")));
  EXPECT_EQ(GetFileAttributesA(At("dirlink").c_str()),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  EXPECT_EQ(GetFileAttributesA(At("filelink.txt").c_str()),
            static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE))
      << "a link to a file looks like a plain file";
  EXPECT_FALSE(RemoveDirectoryA(At("dirlink").c_str())) << "target not empty";
  EXPECT_TRUE(DeleteFileA(At("filelink.txt").c_str()));
  EXPECT_FALSE(PathExists(At("file.txt"))) << "DeleteFileA on a link no longer deletes the target";
}

TEST_F(FileOpsTest, NeverReachesThroughLinks) {
  if (!IsWine()) GTEST_SKIP() << "links are made from the Unix side of Wine";
  // Outside the tree: a folder with content, an empty folder and a file.
  MakeDir(At("outside"));
  MakeDir(At("outside\\sub"));
  MakeFile(At("outside\\precious.txt"), "p");
  MakeFile(At("outside\\sub\\deep.txt"), "d");
  MakeDir(At("outsideEmpty"));
  MakeFile(At("outside.txt"), "o");
  const std::string tree = At("tree");
  MakeDir(tree);
  MakeDir(tree + "\\real");
  MakeFile(tree + "\\real\\own.txt", "own");
  MakeFile(tree + "\\own.txt", "own");
  ASSERT_TRUE(MakeUnixSymlink(At("outside"), tree + "\\real\\dirlink"));
  ASSERT_TRUE(MakeUnixSymlink(At("outsideEmpty"), tree + "\\emptylink"));
  ASSERT_TRUE(MakeUnixSymlink(At("outside.txt"), tree + "\\filelink.txt"));

  EXPECT_TRUE(DeleteDirectoryTree(tree)) << "links go as links, then the emptied tree";
  EXPECT_FALSE(PathExists(tree));
  EXPECT_EQ(ReadTextFile(At("outside\\precious.txt")), "p");
  EXPECT_EQ(ReadTextFile(At("outside\\sub\\deep.txt")), "d");
  EXPECT_TRUE(DirectoryExists(At("outsideEmpty")));
  EXPECT_EQ(ReadTextFile(At("outside.txt")), "o");
  // Everything that was the tree's own is gone.
  EXPECT_FALSE(PathExists(tree + "\\own.txt"));
  EXPECT_FALSE(PathExists(tree + "\\real\\own.txt"));

  // The folder given may itself be a link: the link goes, what it points to stays.
  ASSERT_TRUE(MakeUnixSymlink(At("outside"), At("rootlink")));
  EXPECT_TRUE(DeleteDirectoryTree(At("rootlink")));
  EXPECT_FALSE(PathExists(At("rootlink")));
  EXPECT_EQ(ReadTextFile(At("outside\\precious.txt")), "p");
  EXPECT_EQ(ReadTextFile(At("outside\\sub\\deep.txt")), "d");
}
