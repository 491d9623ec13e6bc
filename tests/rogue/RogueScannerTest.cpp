#include <gtest/gtest.h>

#include "RogueScratch.h"
#include "rogue/RogueScanner.h"
#include "support/RecordingSeams.h"
#include "support/RegSnapshot.h"
#include "support/Scratch.h"
#include "support/UndoImport.h"
#include "system/Text.h"

using namespace rogue_test;

namespace {
const std::string kAlexaRelation = std::string("2%11^HKEY_LOCAL_MACHINE&\\") + kAlexaKey;
const std::string kSogouRelation = "3%33^&Sogou PXP";

std::vector<std::string> Names(const std::vector<TRogueRow>& rows) {
  std::vector<std::string> names;
  for (const TRogueRow& r : rows) names.push_back(r.Name);
  return names;
}

class RogueScanner : public testing::Test {
 protected:
  TRogueScratch scratch_;
  TSeamGuard seams_;
};
}  // namespace

TEST_F(RogueScanner, OnlyKinds11And33WithAPathAreFindings) {
  scratch_.InstallKeyProgram(kAlexaKey);
  scratch_.InstallFolderProgram();
  const std::string alexa = std::string("^HKEY_LOCAL_MACHINE&\\") + kAlexaKey;
  auto rows = ScanRogueDefinitions({
      "4@Twelve#1$3%12" + alexa,
      "5@Letters#1$3%1x" + alexa,
      "6@Root#1$3%11^HKEY_LOCAL_MACHINE&",
      "7@ProgramFiles#1$3%33^&",
      "8@Deeper#1$3%33^&Sogou PXP\\skin",
      "9@Missing#1$3%11^HKEY_LOCAL_MACHINE&\\SOFTWARE\\VeldorTestNoSuchKey",
  });
  EXPECT_EQ(Names(rows), std::vector<std::string>{"Deeper"});
  EXPECT_FALSE(KeyExists("SOFTWARE\\VeldorTestNoSuchKey")) << "opening must never create";
}

TEST_F(RogueScanner, KeyProgramRunsItsUninstallStringHiddenAndDeletesOnlyItsFolder) {
  const std::string dir = TestProgramFolder();
  scratch_.InstallKeyProgram(kAlexaKey, TestUninstaller(), " /S");
  MakeFile(ProgramFiles() + "\\VeldorTestUninstKeep\\keep.txt");
  TRogueRemoval done = RemoveRogue(kAlexaRelation);
  auto calls = seams_.Processes.Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].CommandLine, TestUninstaller() + " /S");
  EXPECT_EQ(calls[0].ShowCommand, (UINT)SW_HIDE);
  EXPECT_EQ(done.DeletedTree, dir + "\\");
  EXPECT_FALSE(Exists(dir));
  EXPECT_TRUE(Exists(ProgramFiles() + "\\VeldorTestUninstKeep\\keep.txt"));
  EXPECT_TRUE(KeyExists(kAlexaKey)) << "the key is the uninstaller's business";

  // An empty command, no command and a vanished key start and delete nothing.
  scratch_.InstallKeyProgram(kAlexaKey, TestUninstaller());
  SetString(kAlexaKey, "UninstallString", "");
  EXPECT_FALSE(RemoveRogue(kAlexaRelation).UninstallerStarted);
  SHDeleteValueA(HKEY_LOCAL_MACHINE, kAlexaKey, "UninstallString");
  EXPECT_FALSE(RemoveRogue(kAlexaRelation).UninstallerStarted);
  SHDeleteKeyA(HKEY_LOCAL_MACHINE, kAlexaKey);
  EXPECT_FALSE(RemoveRogue(kAlexaRelation).UninstallerStarted);
  EXPECT_EQ(seams_.Processes.Count(), 1u);
  EXPECT_TRUE(Exists(dir + "\\data.dat"));
}

TEST_F(RogueScanner, OnlyAProgramsOwnFolderInsideProgramFilesIsDeleted) {
  EXPECT_EQ(UninstallCommandDir("C:un.exe"), "C:");
  EXPECT_EQ(UninstallCommandDir("MsiExec.exe /X{2318C2B1}"), "");
  // A double-byte character whose second byte is "\" ends no folder.
  EXPECT_EQ(UninstallCommandDir("C:\\VeldorTest\\Uninst\\\x81\x5C.exe /S"),
            "C:\\VeldorTest\\Uninst\\");
  ASSERT_TRUE(IsWine()) << "the host's files and links are reached from the Unix side";
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string drivers = std::string(system) + "\\VeldorTestDrivers";
  // What each command's folder holds must survive; the uninstaller is started all the same.
  std::string unixKeep = UnixPathOf(ProgramFiles() + "\\VeldorTestKeep");
  for (char& c : unixKeep)
    if (c == '/') c = '\\';
  MakeFile("C:\\VeldorTest\\Outside\\sub\\keep.txt");
  ASSERT_TRUE(MakeUnixSymlink("C:\\VeldorTest\\Outside", ProgramFiles() + "\\VeldorTestLink"));
  const std::pair<std::string, std::string> kept[] = {
      {ProgramFiles() + "\\uninst.exe /S", ProgramFiles() + "\\VeldorTestKeep\\keep.txt"},
      {CommonFiles() + "\\uninst.exe", CommonFiles() + "\\VeldorTestKeep\\keep.txt"},
      {drivers + "\\x.exe", drivers + "\\keep.sys"},
      {"Z:" + unixKeep + "\\x.exe", ProgramFiles() + "\\VeldorTestKeep\\keep.txt"},
      {"C:\\VeldorTest\\Uninst\\x.exe", "C:\\VeldorTest\\Uninst\\keep.txt"},
      {ProgramFiles() + "\\VeldorTestLink\\sub\\x.exe", "C:\\VeldorTest\\Outside\\sub\\keep.txt"},
      {ProgramFiles() + "\\..\\VeldorTest\\Uninst\\x.exe", "C:\\VeldorTest\\Uninst\\keep.txt"},
      // A quoted command keeps its quote in the directory part, which is no absolute folder.
      {std::string("\"") + TestUninstaller() + "\" /S", TestProgramFolder() + "\\keep.txt"},
  };
  for (const auto& [command, file] : kept) MakeFile(file);
  for (const auto& [command, file] : kept) {
    SetString(kAlexaKey, "UninstallString", command);
    const TRogueRemoval done = RemoveRogue(kAlexaRelation);
    EXPECT_TRUE(done.UninstallerStarted) << command;
    EXPECT_EQ(done.DeletedTree, "") << command;
    EXPECT_TRUE(Exists(file)) << command;
  }
  // Inside the common program files folder, a program's own folder goes.
  MakeFile(CommonFiles() + "\\VeldorTestShared\\data.dat");
  SetString(kAlexaKey, "UninstallString", CommonFiles() + "\\VeldorTestShared\\un.exe");
  EXPECT_EQ(RemoveRogue(kAlexaRelation).DeletedTree, CommonFiles() + "\\VeldorTestShared\\");
  EXPECT_FALSE(Exists(CommonFiles() + "\\VeldorTestShared"));
}

TEST_F(RogueScanner, FolderProgramRunsItsQuotedUninstallExeShownAndDeletesTheFolder) {
  scratch_.InstallFolderProgram();
  MakeFile(ProgramFiles() + "\\Sogou PXP Keep\\keep.txt");
  RemoveRogue(kSogouRelation);
  auto calls = seams_.Processes.Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].CommandLine, std::string("\"") + SogouFolder() + "\\Uninstall.exe\"");
  EXPECT_EQ(calls[0].ShowCommand, (UINT)SW_SHOW);
  EXPECT_FALSE(Exists(SogouFolder()));
  EXPECT_TRUE(Exists(ProgramFiles() + "\\Sogou PXP Keep\\keep.txt"));
  EXPECT_FALSE(RemoveRogue(kSogouRelation).UninstallerStarted) << "vanished: nothing to start";
  // Without its uninstaller nothing starts, and the folder still goes.
  MakeFile(SogouFolder() + "\\skin\\a.bmp");
  EXPECT_FALSE(RemoveRogue(kSogouRelation).UninstallerStarted);
  EXPECT_FALSE(Exists(SogouFolder()));
  EXPECT_EQ(seams_.Processes.Count(), 1u);
}

TEST_F(RogueScanner, ExtraKeysOfId3GoOnlyWhereTheyExist) {
  SetString("SOFTWARE\\Sohu R&D\\Run", "x", "y");
  CreateKey("SOFTWARE\\Sohu R&D\\Other\\Deep");
  CreateKey(kEventlog + std::string("P4P Service\\Sub"));
  CreateKey("SOFTWARE\\Sohu R&D Keep");
  CreateKey(kEventlog + std::string("P4P Keep"));
  reg_test::PutValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Sohu R&D\\Other", L"名 \"\xD55C\"=\\",
                     REG_EXPAND_SZ, L"%x%");
  const auto before = [] {
    return std::make_pair(reg_test::Tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Sohu R&D"),
                          reg_test::Tree(HKEY_LOCAL_MACHINE, WideFrom(kEventlog).substr(
                                                                 0, sizeof kEventlog - 2)));
  };
  const auto state = before();
  // Without an undo file nothing is removed.
  TScratchDir dir(CurrentTestName());
  WriteTextFile(dir.Path() + "blocked", "");
  EXPECT_TRUE(RemoveRogue(kSogouRelation, dir.Path() + "blocked\\Undo\\").UndoFailed);
  EXPECT_EQ(before(), state);
  RemoveRogue(kSogouRelation, dir.Path() + "Undo\\");  // its folder is missing; the keys go
  EXPECT_FALSE(KeyExists("SOFTWARE\\Sohu R&D"));
  EXPECT_FALSE(KeyExists(kEventlog + std::string("P4P Service")));
  EXPECT_TRUE(KeyExists("SOFTWARE\\Sohu R&D Keep"));
  EXPECT_TRUE(KeyExists(kEventlog + std::string("P4P Keep")));
  ASSERT_TRUE(ImportRegFile(NewestUndoFile("Rogue", dir.Path() + "Undo\\")));
  EXPECT_EQ(before(), state);
  RemoveRogue(kSogouRelation, dir.Path() + "Undo\\");
  RemoveRogue(kSogouRelation);
  EXPECT_FALSE(KeyExists("SOFTWARE\\Sohu R&D")) << "trying must not create";
  CreateKey("SOFTWARE\\Sohu R&D\\Download");
  RemoveRogue("2%33^&Sogou PXP");
  EXPECT_TRUE(KeyExists("SOFTWARE\\Sohu R&D\\Download")) << "only id 3 has extra keys";
  EXPECT_EQ(seams_.Processes.Count(), 0u);
}

TEST_F(RogueScanner, RealUninstallerRunsFromTheFolderThatIsDeleted) {
  // A copy of the command interpreter is the uninstaller; the marker's path comes from the
  // environment so that the command holds no "\" after the uninstaller's own folder.
  seams_.Processes.SetStartForReal(true);
  MakeFile(TestProgramFolder() + "\\data.dat");
  MakeFile("C:\\VeldorTest\\Out\\keep.txt");
  ASSERT_TRUE(CopyFileA("C:\\windows\\system32\\cmd.exe", TestUninstaller().c_str(), FALSE));
  SetEnvironmentVariableA("VELDOR_ROGUE_MARKER", "C:\\VeldorTest\\Out\\ran.txt");
  SetString(kAlexaKey, "UninstallString", TestUninstaller() + " /c echo ran>%VELDOR_ROGUE_MARKER%");
  EXPECT_TRUE(RemoveRogue(kAlexaRelation).UninstallerStarted);
  for (int i = 0; i < 100 && !Exists("C:\\VeldorTest\\Out\\ran.txt"); ++i) Sleep(100);
  EXPECT_TRUE(Exists("C:\\VeldorTest\\Out\\ran.txt")) << "the uninstaller did not run";
  EXPECT_FALSE(Exists(TestProgramFolder() + "\\data.dat"));
  SetEnvironmentVariableA("VELDOR_ROGUE_MARKER", nullptr);
}
