// The registry cleaner's logic against the prefix's real registry and files: the invalid-reference
// test, the walk over the three roots, and the removal with its undo file.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include "RegCleanKit.h"
#include "regclean/InvalidRef.h"
#include "regclean/RegRemoval.h"
#include "regclean/RegText.h"
#include "support/Scratch.h"
#include "system/Seams.h"
#include "system/SysUtils.h"
#include "system/Text.h"

using namespace regclean_test;

namespace {

std::string CurrentDir() {
  char buf[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, buf);
  return buf;
}

// HKEY_LOCAL_MACHINE\Software\VeldorTest\<test>, removed at the end.
struct TMachineScratch {
  TMachineScratch() : Path(L"Software\\VeldorTest\\" + W(CurrentTestName())) {
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, Path.c_str());
  }
  ~TMachineScratch() { SHDeleteKeyW(HKEY_LOCAL_MACHINE, Path.c_str()); }
  std::wstring Path;
};

// A registry link key at root\path pointing at the NT name `target`; false when not supported.
bool MakeLinkKey(HKEY root, const std::wstring& path, const std::wstring& target) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                                reinterpret_cast<const BYTE*>(target.data()),
                                (DWORD)(target.size() * sizeof(wchar_t)));
  RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

// Deletes the link key itself, never what it points at.
void DeleteLinkKey(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), REG_OPTION_OPEN_LINK, DELETE | KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return;
  using TNtDeleteKey = LONG(NTAPI*)(HANDLE);
  auto del = reinterpret_cast<TNtDeleteKey>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
  if (del) del(key);
  RegCloseKey(key);
}

}  // namespace

TEST(RegClean, InvalidReferenceIsATrulyMissingLocalTargetAndTheCurrentDirectoryStays) {
  TScratchDir dir("regclean_refs");
  const std::string d = dir.Path();
  WriteTextFile(d + "present.txt", "x");
  WriteTextFile(d + "noextension", "x");
  CreateDirectoryA((d + "folder").c_str(), nullptr);
  const std::string before = CurrentDir();
  std::string lower = d + "lower.exe";
  lower[0] = static_cast<char>(tolower(lower[0]));

  for (const std::string& missing :
       {d + "missing.exe", d + "nofolder", d + "nofolder\\", d + "nofolder\\inner.dll", lower})
    EXPECT_FALSE(IsValidPathRef(missing)) << missing;
  for (const std::string& valid :
       {d + "present.txt", d + "noextension", d + "folder", d + "folder\\", std::string("C:"),
        std::string("C:\\"), std::string("C:\\Program Files\\NoSuchApp\\app.exe"),
        d + "missing.dll,1", d + "a.exe;" + d + "b.exe", "\"" + d + "quoted.exe\"",
        std::string("%SystemRoot%\\nosuch.exe"), std::string("A:\\nosuch.exe"),
        std::string("B:\\nosuch.exe"), std::string("C:nosuch.exe"), std::string("C/\\nosuch"),
        std::string("\\\\server\\share\\nosuch.exe"), std::string("中:\\nosuch.exe"),
        d + std::string(MAX_PATH, 'x')})
    EXPECT_TRUE(IsValidPathRef(valid)) << valid;
  EXPECT_EQ(CurrentDir(), before) << "the test must not move the current directory";
}

TEST(RegClean, WalkReportsNameAndDataHitsUnderAllThreeRootsAndNeverFollowsLinks) {
  TScratchKey user("RegCleanWalk");
  TMachineScratch machine;
  TScratchDir dir("regclean_walk");
  const std::wstring d = W(dir.Path());
  const std::wstring userKey = W(user.Sub()) + L"\\App";
  const std::wstring missing = d + L"missing.exe";
  PutValue(HKEY_CURRENT_USER, userKey, L"Data", REG_SZ, missing);
  PutValue(HKEY_CURRENT_USER, userKey, d + L"gone.exe", REG_SZ, L"plain text");
  PutValue(HKEY_CURRENT_USER, userKey, L"", REG_SZ, d + L"nofolder");
  PutValue(HKEY_CURRENT_USER, userKey, L"Expand", REG_EXPAND_SZ, d + L"expand.dll");
  PutValue(HKEY_CURRENT_USER, userKey, L"Fine", REG_SZ, d);
  PutDword(HKEY_CURRENT_USER, userKey, d + L"dword.exe", 1);
  PutValue(HKEY_CURRENT_USER, userKey, L"Binary", REG_BINARY, missing);
  PutValue(HKEY_CURRENT_USER, userKey + L"\\Deep\\er\\\x0E01", L"Odd", REG_SZ, missing);
  PutValue(HKEY_LOCAL_MACHINE, machine.Path + L"\\Vendor", L"Data", REG_SZ, missing);
  // A link back up to the scratch key: a walk that followed it would go round without end.
  const bool linked = MakeLinkKey(HKEY_LOCAL_MACHINE, machine.Path + L"\\Vendor\\Loop",
                                  L"\\Registry\\Machine\\" + machine.Path);
  EXPECT_TRUE(linked);

  TCollectSink sink;
  TRegWalker(sink).ScanInvalidRefs(DefaultScanRoots());
  if (linked) DeleteLinkKey(HKEY_LOCAL_MACHINE, machine.Path + L"\\Vendor\\Loop");

  const auto user_hits = sink.Below(HKEY_CURRENT_USER, userKey);
  ASSERT_EQ(user_hits.size(), 5u);
  std::map<std::wstring, TRegHit> byName;
  for (const auto& h : user_hits) byName[h.Name] = h;
  EXPECT_EQ(byName[L"Data"].GridKey(), L"HKEY_CURRENT_USER: \\" + userKey);
  EXPECT_EQ(byName[L"Data"].DataText, missing);
  EXPECT_EQ(byName[d + L"gone.exe"].DataText, L"plain text") << "reported by its name";
  EXPECT_TRUE(byName.count(L"")) << "the default value";
  EXPECT_EQ(byName[L"Expand"].Type, (DWORD)REG_EXPAND_SZ);
  EXPECT_EQ(byName[L"Expand"].DataText, d + L"expand.dll") << "shown unexpanded";
  EXPECT_FALSE(byName[L"Data"].TimeText.empty());
  EXPECT_TRUE(byName[L"Data"].Exact);
  const TRegHit& odd = byName[L"Odd"];
  EXPECT_EQ(odd.KeyPath, userKey + L"\\Deep\\er\\\x0E01") << "the subtree is walked exactly";
  EXPECT_EQ(odd.KeyText, L"\\" + odd.KeyPath) << "and shown exactly";
  EXPECT_TRUE(odd.Exact) << "a name outside code page 936 is acted on like any other";

  // The user's own hive below HKEY_USERS reports the same values again, as separate rows.
  int underUsers = 0;
  for (const auto& h : sink.Hits)
    if (h.Root == HKEY_USERS && h.Name == L"Data" && h.KeyText[0] == L'\\' &&
        h.KeyText.size() > userKey.size() &&
        h.KeyText.compare(h.KeyText.size() - userKey.size(), std::wstring::npos, userKey) == 0)
      ++underUsers;
  EXPECT_EQ(underUsers, 1);

  const auto machine_hits = sink.Below(HKEY_LOCAL_MACHINE, machine.Path);
  ASSERT_EQ(machine_hits.size(), 1u) << "found once, not again through the link";
  EXPECT_EQ(machine_hits[0].GridKey(), L"HKEY_LOCAL_MACHINE: " + machine.Path + L"\\Vendor")
      << "no leading backslash below Software";
}

TEST(RegClean, GridKeyTextAndLastWriteTime) {
  HKEY root = nullptr;
  std::string path;
  ASSERT_TRUE(SplitGridKey("HKEY_LOCAL_MACHINE: Software\\Vendor", root, path));
  EXPECT_EQ(root, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(path, "\\Software\\Vendor");
  ASSERT_TRUE(SplitGridKey("HKEY_USERS: \\S-1\\Software", root, path));
  EXPECT_EQ(root, HKEY_USERS);
  EXPECT_EQ(path, "\\S-1\\Software");
  EXPECT_FALSE(SplitGridKey("", root, path));
  EXPECT_FALSE(SplitGridKey("HKEY_CLASSES_ROOT: \\x", root, path));

  char date[8] = "", clock[8] = "";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, date, sizeof date);
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, clock, sizeof clock);
  SYSTEMTIME t{2026, 1, 0, 5, 13, 7, 0, 0};
  FILETIME ft;
  SystemTimeToFileTime(&t, &ft);
  const std::string d = date, c = clock;
  EXPECT_EQ(FormatLastWrite(ft), "01" + d + "05" + d + "2026 01" + c + "07PM");
  t.wHour = 0;
  SystemTimeToFileTime(&t, &ft);
  EXPECT_EQ(FormatLastWrite(ft), "01" + d + "05" + d + "2026 12" + c + "07AM");
}

// Also run with the system code page 1252: a Korean name is held, removed and restored exactly.
TEST(RegClean, RemovalDeletesOnlyWhatStillHoldsAndTheUndoFileRestoresIt_AnyCodePage) {
  TScratchKey user("RegCleanRemove");
  TScratchDir dir("regclean_remove");
  const std::wstring d = W(dir.Path());
  const std::wstring key = W(user.Sub());
  const std::wstring missing = d + L"missing.exe";
  PutValue(HKEY_CURRENT_USER, key + L"\\A", L"Data \"quoted\" = \\", REG_SZ, missing);
  PutValue(HKEY_CURRENT_USER, key + L"\\A", L"", REG_SZ, d + L"nofolder");
  PutValue(HKEY_CURRENT_USER, key + L"\\A", d + L"name.exe", REG_EXPAND_SZ, L"文本 text");
  // U+5630: its second code page 936 byte is a backslash.
  PutValue(HKEY_CURRENT_USER, key + L"\\A", L"\x5630", REG_SZ, missing);
  PutValue(HKEY_CURRENT_USER, key + L"\\A", d + L"unc.exe", REG_SZ, L"\\\\server\\share");
  PutValue(HKEY_CURRENT_USER, key + L"\\B", L"Changed", REG_SZ, missing);
  PutValue(HKEY_CURRENT_USER, key + L"\\B", L"v\xD55C\xAE00", REG_SZ, missing);  // Korean
  PutValue(HKEY_CURRENT_USER, key + L"\\B", L"v?", REG_SZ, missing);
  PutValue(HKEY_CURRENT_USER, key + L"\\B", L"line\nbreak", REG_SZ, missing);
  PutValue(HKEY_CURRENT_USER, key + L"\\B", d + L"break.exe", REG_SZ, L"line\r\nbreak");
  PutValue(HKEY_CURRENT_USER, key + L"\\C", L"Kept", REG_SZ, missing);

  TCollectSink sink;
  TRegWalker(sink).ScanInvalidRefs({{"HKEY_CURRENT_USER", HKEY_CURRENT_USER, user.Sub()}});
  ASSERT_EQ(sink.Hits.size(), 11u);
  std::vector<TRegHit> chosen;
  for (const auto& h : sink.Hits)
    if (h.Name != L"Kept" && h.Name != L"v?") chosen.push_back(h);
  // Changed after the scan: its new data is another missing file, but not the row's data.
  PutValue(HKEY_CURRENT_USER, key + L"\\B", L"Changed", REG_SZ, d + L"other.exe");

  // Without a place for the undo file nothing is deleted.
  WriteTextFile(dir.Path() + "blocked", "a file where the folder would go");
  const TRemovalResult refused = RemoveRegHits(chosen, dir.Path() + "blocked\\RegClean");
  EXPECT_TRUE(refused.UndoFailed);
  EXPECT_TRUE(refused.Deleted.empty());
  EXPECT_TRUE(ValueThere(HKEY_CURRENT_USER, key + L"\\A", L""));

  TSnapshot before;
  TakeSnapshot(HKEY_CURRENT_USER, key, before);
  const TRemovalResult done = RemoveRegHits(chosen, dir.Path() + "RegClean");
  ASSERT_TRUE(done.UndoWritten);
  EXPECT_EQ(done.Deleted.size(), 6u);
  TSnapshot left;
  TakeSnapshot(HKEY_CURRENT_USER, key + L"\\A", left);
  EXPECT_TRUE(left.empty()) << left.size();
  EXPECT_TRUE(ValueThere(HKEY_CURRENT_USER, key + L"\\B", L"Changed"));
  // A line break cannot stand on a row or in a line of the undo file.
  EXPECT_TRUE(ValueThere(HKEY_CURRENT_USER, key + L"\\B", L"line\nbreak"));
  EXPECT_TRUE(ValueThere(HKEY_CURRENT_USER, key + L"\\B", d + L"break.exe"));
  EXPECT_FALSE(ValueThere(HKEY_CURRENT_USER, key + L"\\B", L"v\xD55C\xAE00"));
  EXPECT_TRUE(ValueThere(HKEY_CURRENT_USER, key + L"\\B", L"v?")) << "never deleted in its place";
  EXPECT_TRUE(ValueThere(HKEY_CURRENT_USER, key + L"\\C", L"Kept"));
  const std::string file = done.UndoFile;
  EXPECT_EQ(ExtractFileName(file).substr(0, 9), "RegClean-");
  const std::wstring header = L"\xFEFFWindows Registry Editor Version 5.00\r\n";
  EXPECT_EQ(ReadTextFile(file).substr(0, header.size() * 2),
            std::string(reinterpret_cast<const char*>(header.data()), header.size() * 2))
      << "UTF-16LE with its byte-order mark";

  ASSERT_TRUE(Seams::RealProcesses().RunAndWait("", "regedit.exe /s " + file));
  TSnapshot after;
  TakeSnapshot(HKEY_CURRENT_USER, key, after);
  EXPECT_TRUE(after == before) << ReadTextFile(file);
}
