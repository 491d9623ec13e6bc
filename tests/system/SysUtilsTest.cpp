// System helpers: the pure parts by table, the live ones against the Wine prefix (Windows XP).
#include <gtest/gtest.h>

#include <shlobj.h>

#include "support/Scratch.h"
#include "system/SysUtils.h"

namespace {

OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor, const char* sp = "") {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
  v.dwPlatformId = platform;
  v.dwMajorVersion = major;
  v.dwMinorVersion = minor;
  lstrcpynA(v.szCSDVersion, sp, sizeof v.szCSDVersion);
  return v;
}

}  // namespace

TEST(WindowsVersionName, EveryRowOfTheTable) {
  const struct {
    DWORD Platform, Major, Minor;
    const char* ServicePack;
    const char* Name;
  } rows[] = {
      {0, 3, 11, "", "Windows 3.11"},
      {1, 4, 0, "", "Windows 95"},
      {1, 4, 0, " A ", "Windows 95"},
      {1, 4, 0, " B ", "Windows 95 OSR2"},
      {1, 4, 0, " C ", "Windows 95 OSR2"},
      {1, 4, 10, "", "Windows 98"},
      {1, 4, 10, " A ", "Windows 98 Second Edition"},
      {1, 4, 10, " B ", "Windows 98"},
      {1, 4, 90, " A ", "Windows Millenium Edition"},
      {1, 4, 20, "", "Windows"},
      {1, 5, 0, "", "Windows"},
      {2, 3, 51, "", "Windows NT 3.51"},
      {2, 4, 0, "Service Pack 6", "Windows NT 4.0"},
      {2, 5, 0, "", "Windows 2000"},
      {2, 5, 1, "Service Pack 3", "Windows XP"},
      {2, 5, 2, "", "Windows 2003 Server"},
      {2, 5, 3, "", "Windows"},
      {2, 6, 0, "", "Windows"},
      {2, 6, 1, "", "Windows"},
      {2, 10, 0, "", "Windows"},
      {3, 5, 1, "", "Windows"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(WindowsVersionNameOf(Version(r.Platform, r.Major, r.Minor, r.ServicePack)), r.Name)
        << r.Platform << " " << r.Major << "." << r.Minor << " '" << r.ServicePack << "'";
  // Only the second character of the service-pack text counts.
  EXPECT_EQ(WindowsVersionNameOf(Version(1, 4, 10, "A")), "Windows 98");
}

TEST(WindowsVersionName, LivePrefixIsXp) {
  EXPECT_EQ(GetWindowsVersionName(1), "Windows XP");
}

TEST(DatePart, PadsToTwoDigitsAndRefusesOtherSelectors) {
  SYSTEMTIME t{};
  t.wYear = 2008;
  t.wMonth = 1;
  t.wDay = 3;
  t.wHour = 9;
  t.wMinute = 5;
  t.wSecond = 0;
  EXPECT_EQ(FormatDatePart(t, 1), "2008");
  EXPECT_EQ(FormatDatePart(t, 2), "01");
  EXPECT_EQ(FormatDatePart(t, 3), "03");
  EXPECT_EQ(FormatDatePart(t, 4), "09");
  EXPECT_EQ(FormatDatePart(t, 5), "05");
  EXPECT_EQ(FormatDatePart(t, 6), "00");
  t.wMonth = 12;
  t.wHour = 23;
  EXPECT_EQ(FormatDatePart(t, 2), "12");
  EXPECT_EQ(FormatDatePart(t, 4), "23");
  for (int bad : {0, 7, -1, 100}) {
    EXPECT_EQ(FormatDatePart(t, bad), "") << bad;
    EXPECT_EQ(GetDatePart(bad), "") << bad;
  }
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const std::string year = GetDatePart(1);
  EXPECT_TRUE(year == std::to_string(now.wYear) || year == std::to_string(now.wYear + 1));
  for (int s = 2; s <= 6; ++s) EXPECT_EQ(GetDatePart(s).size(), 2u) << s;
}

TEST(FileSize, LowPartOrZero) {
  TScratchDir dir(CurrentTestName());
  const std::string small = dir.Path() + "small.bin";
  WriteTextFile(small, std::string(12345, 'x'));
  EXPECT_EQ(GetFileSizeOf(small), 12345);
  EXPECT_EQ(GetFileSizeOf(dir.Path() + "missing.bin"), 0);

  HANDLE locked = CreateFileA(small.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSizeOf(small), 0) << "a file opened without sharing cannot be measured";
  CloseHandle(locked);
  EXPECT_EQ(GetFileSizeOf(small), 12345);

  // Sparse files beyond 4 GiB: only the low 32 bits are reported, as a signed number.
  const auto sized = [&](const std::string& name, LONGLONG size) {
    const std::string path = dir.Path() + name;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LONG high = static_cast<LONG>(size >> 32);
    SetFilePointer(h, static_cast<LONG>(size & 0xffffffff), &high, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
    return path;
  };
  EXPECT_EQ(GetFileSizeOf(sized("five.bin", 5LL * 1024 * 1024 * 1024 + 7)), 1024 * 1024 * 1024 + 7);
  EXPECT_EQ(GetFileSizeOf(sized("allones.bin", 0x1FFFFFFFFLL)), -1)
      << "a low part with every bit set is a size, not an error";
}

TEST(Folders, WindowsTempAndSpecialFolders) {
  const std::string windows = GetWindowsDir();
  ASSERT_GE(windows.size(), 3u);
  EXPECT_EQ(windows.back(), '\\');
  EXPECT_NE(windows[windows.size() - 2], '\\') << "doubled separator";
  char raw[MAX_PATH];
  GetWindowsDirectoryA(raw, MAX_PATH);
  EXPECT_TRUE(SameText(windows, IncludeTrailingBackslash(raw)));
  EXPECT_TRUE(DirectoryExists(windows));

  const std::string temp = GetTempDir();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_TRUE(DirectoryExists(temp));

  const std::string startup = GetSpecialFolder(CSIDL_STARTUP);  // 7
  ASSERT_FALSE(startup.empty());
  EXPECT_NE(startup.back(), '\\');
  EXPECT_NE(AnsiUpperCase(startup).find("STARTUP"), std::string::npos) << startup;
  EXPECT_TRUE(SameText(GetSpecialFolder(CSIDL_PROGRAM_FILES), "C:\\Program Files"));  // 38
  EXPECT_EQ(GetSpecialFolder(0x7fff), "") << "an id the shell does not know";
}

TEST(PathHelpers, BackslashesAndDoubleByteCharacters) {
  EXPECT_EQ(IncludeTrailingBackslash("C:\\"), "C:\\") << "a root install keeps one separator";
  EXPECT_EQ(IncludeTrailingBackslash("C:\\WINDOWS"), "C:\\WINDOWS\\");
  EXPECT_EQ(IncludeTrailingBackslash(""), "");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\\\"), "C:\\a");
  EXPECT_EQ(ExtractFilePath("C:\\a\\b.exe"), "C:\\a\\");
  EXPECT_EQ(ExtractFileName("C:\\a\\b.exe"), "b.exe");
  EXPECT_EQ(ExtractFilePath("C:b.exe"), "C:");
  EXPECT_EQ(ExtractFilePath("b.exe"), "");
  EXPECT_EQ(ExtractFileName("b.exe"), "b.exe");
  EXPECT_EQ(LastDelimiter("a\\b:c", "\\:"), 3u);
  EXPECT_EQ(LastDelimiter("abc", "\\"), std::string::npos);

  ASSERT_EQ(GetACP(), 936u) << "the test prefix runs in code page 936";
  // "乗" is 0x81 0x5C in code page 936: its second byte is no separator.
  const std::string trail = "C:\\dir\\\x81\x5c";
  EXPECT_EQ(IncludeTrailingBackslash(trail), trail + "\\");
  EXPECT_EQ(ExcludeTrailingBackslash(trail), trail);
  EXPECT_EQ(ExtractFileName(trail), "\x81\x5c");
  EXPECT_EQ(ExtractFilePath("C:\\\x81\x5c"
                            "x.exe"),
            "C:\\");
  // 0x81 0x61 holds a lower-case "a" byte that upper-casing must leave alone.
  EXPECT_EQ(AnsiUpperCase("ab\x81\x61"), "AB\x81\x61");
  EXPECT_TRUE(SameText("C:\\Program Files\\恶意", "c:\\PROGRAM FILES\\恶意"));
  EXPECT_FALSE(SameText("abc", "abd"));

  EXPECT_TRUE(FileExists(ExeFileName()));
  EXPECT_TRUE(SameText(ExtractFileName(ExeFileName()), "test_system.exe"));
  EXPECT_FALSE(FileExists(GetWindowsDir())) << "a folder is no file";
  EXPECT_FALSE(DirectoryExists(ExeFileName())) << "a file is no folder";
}

TEST(Privileges, DebugPrivilegeAndUnknownNames) {
  EXPECT_TRUE(EnableDebugPrivilege());
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
  EXPECT_FALSE(SetTokenPrivilege(token, "SeNoSuchPrivilege", true));
  EXPECT_TRUE(SetTokenPrivilege(token, "SeDebugPrivilege", false));
  CloseHandle(token);
  EXPECT_FALSE(SetTokenPrivilege(nullptr, "SeDebugPrivilege", true)) << "no token";
}
