// Context-menu extensions and toolbars: listed from the real registry, removed exactly.
#include "BrowserFixture.h"

#include "browser/ServerPath.h"
#include "support/Scratch.h"
#include "support/WineUnix.h"
#include "system/SysUtils.h"

using namespace browser_test;

namespace {
const wchar_t kLinkTarget[] = L"Software\\VeldorTest MenuTarget";
const wchar_t kThai[] = L"\x0E01";  // not in code page 936

// The Unix path of the prefix's dosdevices folder, where Wine keeps its drive letters as links.
std::string DosDevices() {
  const std::string c = UnixPathOf("C:\\");
  for (const char* marker : {"/dosdevices/", "/drive_c/"}) {
    const auto at = c.rfind(marker);
    if (at != std::string::npos) return c.substr(0, at) + "/dosdevices";
  }
  return "";
}

// A free drive letter mapped onto the Windows folder for the test's lifetime.
class TWindowsDriveAlias {
 public:
  TWindowsDriveAlias() {
    const DWORD used = GetLogicalDrives();
    for (char c = 'Y'; c >= 'M' && !letter_; --c)
      if (!(used & (1u << (c - 'A')))) letter_ = c;
    const std::string devices = DosDevices();
    if (!letter_ || devices.empty()) return;
    link_ = devices + "/" + char(letter_ | 0x20) + ":";
    StartUnixProgram({"/bin/ln", "-s", UnixPathOf(GetWindowsDir()), link_});
    for (int i = 0; i < 250 && !DirectoryExists(Root()); ++i) Sleep(20);
  }
  ~TWindowsDriveAlias() {
    // The link itself: no "-r" and no trailing "/", so nothing it points to is touched.
    if (link_.empty() || !DirectoryExists(Root())) return;
    StartUnixProgram({"/bin/rm", "-f", link_});
    for (int i = 0; i < 250 && DirectoryExists(Root()); ++i) Sleep(20);
  }
  std::string Root() const { return letter_ ? std::string(1, letter_) + ":\\" : ""; }
  bool Ready() const { return letter_ && DirectoryExists(Root()); }

 private:
  char letter_ = 0;
  std::string link_;
};

// Presses the button and switches tabs while the page waits for an unregistration.
class TImpatientUser : public TRecordingProcesses {
 public:
  bool RunAndWait(const std::string& app, const std::string& commandLine) override {
    if (std::function<void()> once = std::move(During)) {
      During = nullptr;
      once();
    }
    return TRecordingProcesses::RunAndWait(app, commandLine);
  }
  std::function<void()> During;
};
}  // namespace

TEST_F(BrowserPageTest, MenuExtensionsListedAndOnlyCheckedKeysRemoved) {
  const std::wstring base = kMenuExt + std::wstring(L"\\");
  SetText(HKEY_CURRENT_USER, Made(HKEY_CURRENT_USER, base + L"VeldorTest 下载"), L"", L"a.htm");
  reg_test::PutDword(HKEY_CURRENT_USER, base + L"VeldorTest 下载", L"Contexts \"=\\", 0x22);
  reg_test::PutValue(HKEY_CURRENT_USER, base + L"VeldorTest 下载\\子 \xD55C", L"\xD55C", REG_SZ,
                     L"\xD55C");
  const reg_test::TTreeState before = reg_test::Tree(HKEY_CURRENT_USER, base + L"VeldorTest 下载");
  ClearUndoFiles("MenuExt");
  SetText(HKEY_CURRENT_USER, Made(HKEY_CURRENT_USER, base + L"VeldorTest Keep"), L"", L"b.htm");
  SetText(HKEY_CURRENT_USER, Made(HKEY_CURRENT_USER, base + L"VeldorTest Keep\\Sub"), L"", L"c");
  SetText(HKEY_CURRENT_USER, Made(HKEY_CURRENT_USER, base + L"VeldorTest " + kThai), L"", L"d");
  SetText(HKEY_CURRENT_USER, Made(HKEY_CURRENT_USER, base + L"VeldorTest ?"), L"", L"e");
  SetText(HKEY_LOCAL_MACHINE, Made(HKEY_LOCAL_MACHINE, kLinkTarget), L"", L"target.htm");
  ASSERT_TRUE(MakeLink(Made(HKEY_CURRENT_USER, base + L"VeldorTest Link"), kLinkTarget));
  ASSERT_TRUE(MakeLink(Made(HKEY_CURRENT_USER, base + L"VeldorTest Dangling"),
                       L"Software\\VeldorTest Nowhere"));

  page_->PageControlBR.ClickTab(1);
  EXPECT_EQ(page_->BitBtnBR.Caption(), "清理选中项目(&C)");
  TListView& list = page_->ListViewBrowserMenu;
  const int download = RowOf(list, "VeldorTest 下载");
  ASSERT_GE(download, 0);
  EXPECT_EQ(list.SubItem(download, 0), "a.htm");
  ASSERT_GE(RowOf(list, "VeldorTest Link"), 0);
  EXPECT_EQ(list.SubItem(RowOf(list, "VeldorTest Link"), 0), "target.htm");
  const int dangling = RowOf(list, "VeldorTest Dangling");
  ASSERT_GE(dangling, 0) << "a key that cannot be opened is still listed";
  EXPECT_EQ(list.SubItem(dangling, 0), "");
  // The Thai name is listed as itself, not as the real "VeldorTest ?" key it reads like in code
  // page 936.
  int thai = -1;
  for (int i = 0; i < list.Count(); ++i)
    if (list.CaptionW(i) == L"VeldorTest " + std::wstring(kThai)) thai = i;
  ASSERT_GE(thai, 0);
  EXPECT_EQ(list.SubItem(thai, 0), "d");
  ASSERT_GE(RowOf(list, "VeldorTest ?"), 0);

  for (int row : {download, RowOf(list, "VeldorTest Link"), thai}) list.SetChecked(row, true);
  page_->BitBtnBRClick();

  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, base + L"VeldorTest 下载"));
  // No undo file can make a registry link again: it stays, and the user is told.
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, base + L"VeldorTest Link", REG_OPTION_OPEN_LINK));
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kLinkTarget, L"")) << "the link was followed";
  ASSERT_EQ(seams_.MessageBoxes.Count(), 1u);
  EXPECT_EQ(seams_.MessageBoxes.Calls()[0].Text, "无法保存撤销文件, 操作已取消!");
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, base + L"VeldorTest Keep\\Sub"));
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, base + L"VeldorTest " + kThai));
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, base + L"VeldorTest ?")) << "deleted in its place";
  // The list is read again: what is left, nothing else.
  EXPECT_LT(RowOf(list, "VeldorTest 下载"), 0);
  EXPECT_GE(RowOf(list, "VeldorTest Keep"), 0);
  EXPECT_GE(RowOf(list, "VeldorTest Dangling"), 0);
  // The undo file brings the removed extension back as it was.
  ASSERT_TRUE(ImportRegFile(NewestUndoFile("MenuExt")));
  EXPECT_EQ(reg_test::Tree(HKEY_CURRENT_USER, base + L"VeldorTest 下载"), before);
}

TEST_F(BrowserPageTest, ToolbarsUnregisterOnlyTheirOwnLibraryAndShowWhatIsLeft) {
  TScratchDir dir(CurrentTestName());
  const std::string library = dir.Path() + "tool bar.dll";
  char shell32[MAX_PATH] = "";
  GetSystemDirectoryA(shell32, MAX_PATH);
  ASSERT_TRUE(CopyFileA((std::string(shell32) + "\\shell32.dll").c_str(), library.c_str(), FALSE));
  char temp[MAX_PATH] = "";
  GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
  const std::string folder = ExtractFileName(ExcludeTrailingBackslash(dir.Path()));
  const std::string expanded = IncludeTrailingBackslash(temp) + folder + "\\tool bar.dll";
  const std::wstring own = L"{VeldorTest-0001-Own}", system = L"{VeldorTest-0002-System}",
                     relative = L"{VeldorTest-0003-Relative}", unknown = L"{VeldorTest-0004-None}",
                     lossy = std::wstring(L"{VeldorTest-0005-") + kThai + L"}";
  const std::wstring classes = kClasses + std::wstring(L"\\");
  SetText(HKEY_LOCAL_MACHINE, Made(HKEY_LOCAL_MACHINE, classes + own), L"", L"Own Bar");
  SetText(HKEY_LOCAL_MACHINE, classes + own + L"\\InprocServer32", L"",
          L"%TEMP%\\" + Wide(folder) + L"\\tool bar.dll", REG_EXPAND_SZ);
  SetText(HKEY_LOCAL_MACHINE, Made(HKEY_LOCAL_MACHINE, classes + system), L"", L"System Bar");
  SetText(HKEY_LOCAL_MACHINE, classes + system + L"\\InprocServer32", L"",
          L"C:\\WINDOWS\\System32\\..\\SYSTEM32\\shdocvw.dll");
  SetText(HKEY_LOCAL_MACHINE, Made(HKEY_LOCAL_MACHINE, classes + relative), L"", L"Relative");
  SetText(HKEY_LOCAL_MACHINE, classes + relative + L"\\InprocServer32", L"", L"shdocvw.dll");
  for (const std::wstring& id : {own, system, relative, unknown, lossy}) AddToolbar(id);
  ClearUndoFiles("Toolbar");
  // A system library under other names: a folder link to System32, a link and a second name
  // (hard link) of the library itself, and a drive letter mapped onto the Windows folder.
  ASSERT_TRUE(IsWine()) << "links are made from the Unix side";
  const std::string system32 = shell32, library32 = system32 + "\\shell32.dll";
  ASSERT_TRUE(MakeUnixSymlink(system32, dir.Path() + "sys"));
  ASSERT_TRUE(MakeUnixSymlink(library32, dir.Path() + "linked.dll"));
  // The second name is given to another library: a file with two names is refused by either
  // name, which would cover up the other cases here.
  ASSERT_TRUE(StartUnixProgram(
      {"/bin/ln", UnixPathOf(system32 + "\\shdocvw.dll"), UnixPathOf(dir.Path()) + "hard.dll"}));
  for (int i = 0; i < 250 && !PathExists(dir.Path() + "hard.dll"); ++i) Sleep(20);
  TWindowsDriveAlias drive;
  ASSERT_TRUE(drive.Ready()) << "no drive letter mapped onto the Windows folder";
  const std::string aliases[] = {dir.Path() + "sys\\shell32.dll", dir.Path() + "linked.dll",
                                 dir.Path() + "hard.dll", drive.Root() + "system32\\shell32.dll"};
  std::vector<std::wstring> aliasIds;
  std::vector<std::string> aliasNames;
  for (const std::string& path : aliases) {
    aliasNames.push_back(std::string("{VeldorTest-01") + char('0' + aliasIds.size()) + "-Alias}");
    const std::wstring id = Wide(aliasNames.back());
    SetText(HKEY_LOCAL_MACHINE, Made(HKEY_LOCAL_MACHINE, classes + id), L"", L"Alias");
    SetText(HKEY_LOCAL_MACHINE, classes + id + L"\\InprocServer32", L"", Wide(path));
    AddToolbar(id);
    aliasIds.push_back(id);
  }

  page_->PageControlBR.ClickTab(2);
  EXPECT_EQ(page_->BitBtnBR.Caption(), "清理选中项目");
  TListView& list = page_->LvwToolButton;
  const int ownRow = RowOf(list, "{VeldorTest-0001-Own}", 0);
  ASSERT_GE(ownRow, 0);
  EXPECT_EQ(list.Caption(ownRow), "Own Bar");
  EXPECT_EQ(list.SubItemW(ownRow, 1), ShortServerPath(Wide(library))) << "expanded and shortened";
  EXPECT_NE(list.SubItem(ownRow, 1), "");
  EXPECT_EQ(list.SubItem(RowOf(list, "{VeldorTest-0003-Relative}", 0), 1), "")
      << "a relative path is no server path";
  const int unknownRow = RowOf(list, "{VeldorTest-0004-None}", 0);
  ASSERT_GE(unknownRow, 0);
  EXPECT_EQ(list.Caption(unknownRow), "");
  for (size_t i = 0; i < aliasNames.size(); ++i)
    EXPECT_NE(list.SubItem(RowOf(list, aliasNames[i], 0), 1), "")
        << aliases[i] << " is no library to unregister";

  // Coming back to the tab again and again reuses the pictures of the last visit.
  const int images = ImageList_GetImageCount(images_);
  ASSERT_GT(images, 0) << "no icon taken from the library";
  for (int i = 0; i < 10; ++i) {
    page_->PageControlBR.ClickTab(0);
    page_->PageControlBR.ClickTab(2);
  }
  EXPECT_EQ(ImageList_GetImageCount(images_), images);

  int checked = 0;
  for (int i = 0; i < list.Count(); ++i)
    if (list.SubItem(i, 0).rfind("{VeldorTest-", 0) == 0) list.SetChecked(i, true), ++checked;
  // While the page waits for regsvr32 the button is off, and a second press or a tab switch
  // neither starts another removal nor refills the list being worked through.
  TImpatientUser user;
  bool enabledWhileWaiting = true;
  int checkedWhileWaiting = 0;
  user.During = [&] {
    enabledWhileWaiting = page_->BitBtnBR.Enabled();
    page_->BitBtnBRClick();
    page_->PageControlBR.ClickTab(0);
    page_->PageControlBR.ClickTab(2);
    page_->PageControlBR.ClickTab(1);
    for (int i = 0; i < list.Count(); ++i) checkedWhileWaiting += list.Checked(i) ? 1 : 0;
  };
  Seams::SetProcesses(&user);
  page_->BitBtnBRClick();
  Seams::SetProcesses(&seams_.Processes);
  EXPECT_FALSE(enabledWhileWaiting);
  EXPECT_EQ(checkedWhileWaiting, checked);
  EXPECT_TRUE(page_->BitBtnBR.Enabled());
  EXPECT_EQ(page_->BitBtnBR.Caption(), "清理选中项目(&C)") << "the tab chosen meanwhile";

  const auto calls = user.Calls();
  ASSERT_EQ(calls.size(), 1u) << "only the library of its own is unregistered";
  EXPECT_TRUE(calls[0].Waited);
  EXPECT_TRUE(SameText(calls[0].ApplicationPath, Regsvr32Path()));
  const std::string quote = "\"";
  EXPECT_EQ(calls[0].CommandLine,
            quote + Regsvr32Path() + quote + " /u /s " + quote + expanded + quote);
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kToolbar, own));
  EXPECT_GE(RowOf(list, "{VeldorTest-0001-Own}", 0), 0) << "still registered, so still listed";
  for (const std::wstring& gone : {system, relative, unknown})
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kToolbar, gone));
  for (const std::wstring& gone : aliasIds)
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kToolbar, gone)) << "refused, so its entry goes";
  EXPECT_LT(RowOf(list, "{VeldorTest-0002-System}", 0), 0);
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kToolbar, lossy)) << "removed by its own name";
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, classes + system + L"\\InprocServer32"));
  EXPECT_TRUE(seams_.MessageBoxes.Calls().empty());
  // The undo file brings back the entries that went, and holds the registration of the class
  // whose library was unregistered.
  const std::string undo = NewestUndoFile("Toolbar");
  ASSERT_TRUE(ImportRegFile(undo));
  for (const std::wstring& back : {system, relative, unknown})
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kToolbar, back));
  const std::string text = ReadTextFile(undo);
  const std::wstring wide(reinterpret_cast<const wchar_t*>(text.data()), text.size() / 2);
  EXPECT_NE(wide.find(L"\\CLSID\\" + own + L"\\InprocServer32]"), std::wstring::npos);
}
