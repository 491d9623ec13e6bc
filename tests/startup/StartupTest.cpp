#include <gtest/gtest.h>

#include <memory>

#include "StartupScratch.h"
#include "startup/StartupItems.h"
#include "startup/StartupPage.h"
#include "support/RecordingSeams.h"
#include "support/RegSnapshot.h"
#include "support/Scratch.h"
#include "support/WineUnix.h"
#include "toolkit/Form.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/StatusBar.h"
#include "support/TestHost.h"
#include "support/UndoImport.h"
#include "system/Text.h"

using namespace startup_test;

namespace {
const char* const kWhere[] = {
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run,10",
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run,00",
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce,01",
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx,02",
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices,03"};

class StartupPage : public testing::Test {
 protected:
  StartupPage()
      : form_("TStartupTestForm", false), host_(form_), pages_(&form_), sheet_(&pages_, "") {
    form_.SetClientSize(554, 379);
    pages_.SetAlign(TAlign::Client);
    page_ = std::make_unique<TStartupPage>(sheet_, host_);
  }
  TListView& List() { return page_->LViewStartRun; }
  int RowOf(const std::string& name, const std::string& location) {
    for (int i = 0; i < List().Count(); ++i)
      if (List().SubItem(i, 0) == name && List().SubItem(i, 2) == location) return i;
    return -1;
  }
  // What the list view sends its parent on a click or double-click, after selecting `row`.
  void Mouse(UINT code, int row) {
    List().SetSelected(row < 0 ? List().SelectedIndex() : row, row >= 0);
    NMITEMACTIVATE nm{};
    nm.hdr = {List().Handle(), (UINT_PTR)GetDlgCtrlID(List().Handle()), code};
    nm.iItem = row;
    SendMessageA(sheet_.Handle(), WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
  }

  TStartupScratch scratch_;
  TForm form_;
  TTestHost host_;
  TPageControl pages_;
  TTabSheet sheet_;
  std::unique_ptr<TStartupPage> page_;
};
}  // namespace

TEST_F(StartupPage, ListsEverySourceInOrderNumberedWithoutGaps) {
  const int widths[] = {40, 110, 230, 400};
  const char* captions[] = {"序号", "名称", "命令行", "位置"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(List().ColumnCaption(i), captions[i]);
    EXPECT_EQ(List().ColumnWidth(i), widths[i]);
  }
  EXPECT_EQ(page_->PanelStartRunButtons.Width(), 143);
  EXPECT_EQ(page_->PanelStartRunButtons.Left() + 143, sheet_.ClientWidth());
  EXPECT_EQ(List().Width() + 143, sheet_.ClientWidth());
  EXPECT_FALSE(page_->BitBtnDelRegValue.Enabled());

  const std::string name = Unique("run");
  for (const TStartupSource& s : StartupRegistrySources())
    scratch_.Set(s.Root, s.KeyPath, name, std::string("C:\\p") + s.Code + ".exe");
  const TStartupSource& hkcu = StartupRegistrySources()[0];
  scratch_.Set(hkcu.Root, hkcu.KeyPath, Unique("bin"), "\x01\x02", REG_BINARY);
  scratch_.Set(hkcu.Root, hkcu.KeyPath, Unique("exp"), "%SystemRoot%\\启动.exe", REG_EXPAND_SZ);
  scratch_.Set(HKEY_LOCAL_MACHINE, std::string(StartupRegistrySources()[3].KeyPath) + "\\sub",
               Unique("nested"), "C:\\nested.exe");
  ASSERT_FALSE(PathExists(scratch_.Folder + "\\desktop.ini"));
  scratch_.Add("desktop.ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  const std::string file = scratch_.Add(Unique("a") + ".lnk", FILE_ATTRIBUTE_HIDDEN);
  const std::string dir = scratch_.Add(Unique("dir"), 0, true);

  page_->BitBtnBitBtnDelRefValue.Click();
  const int count = List().Count();
  page_->BitBtnBitBtnDelRefValueClick();
  ASSERT_EQ(List().Count(), count);
  int rank = 0;
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(List().Caption(i), std::to_string(i + 1));
    const std::string where = List().SubItem(i, 2);
    int r = 0;
    while (r < 5 && where != kWhere[r]) ++r;
    EXPECT_TRUE(r < 5 || StartupLocationCode(where) == "09") << where;
    EXPECT_GE(r, rank) << "row " << i << " out of source order";
    rank = r;
    EXPECT_NE(List().SubItem(i, 0), "desktop.ini");
    EXPECT_NE(List().SubItem(i, 0), Unique("nested"));
  }
  for (int i = 0; i < 5; ++i) {
    const int row = RowOf(name, kWhere[i]);
    ASSERT_GE(row, 0) << kWhere[i];
    EXPECT_EQ(List().SubItem(row, 1),
              std::string("C:\\p") + StartupRegistrySources()[i].Code + ".exe");
  }
  ASSERT_GE(RowOf(Unique("bin"), kWhere[0]), 0);
  EXPECT_EQ(List().SubItem(RowOf(Unique("bin"), kWhere[0]), 1), "");
  EXPECT_EQ(List().SubItem(RowOf(Unique("exp"), kWhere[0]), 1), "%SystemRoot%\\启动.exe");
  ASSERT_GE(RowOf(Unique("a") + ".lnk", file + ",09"), 0);
  EXPECT_EQ(List().SubItem(RowOf(Unique("a") + ".lnk", file + ",09"), 1), file);
  EXPECT_GE(RowOf(Unique("dir"), dir + ",09"), 0);

  // Only the exact lower-case name is skipped; the file system ignores case, so swap them.
  SetFileAttributesA((scratch_.Folder + "\\desktop.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(DeleteFileA((scratch_.Folder + "\\desktop.ini").c_str()));
  const std::string upper = scratch_.Add("Desktop.ini");
  page_->BitBtnBitBtnDelRefValueClick();
  EXPECT_GE(RowOf("Desktop.ini", upper + ",09"), 0);
}

TEST_F(StartupPage, ConfirmationDecidesAndTheListIsAlwaysRebuilt) {
  const std::string same = Unique("same");
  const TStartupSource &hkcu = StartupRegistrySources()[0], &hklm = StartupRegistrySources()[1];
  scratch_.Set(hkcu.Root, hkcu.KeyPath, same, "C:\\a.exe");
  scratch_.Set(hklm.Root, hklm.KeyPath, same, "C:\\b.exe");
  page_->BitBtnBitBtnDelRefValueClick();
  ASSERT_GE(RowOf(same, kWhere[1]), 0);
  Mouse(NM_CLICK, RowOf(same, kWhere[1]));
  EXPECT_TRUE(page_->BitBtnDelRegValue.Enabled());

  // No: nothing goes, yet a value added meanwhile shows that the list was rebuilt.
  TSeamGuard seams;
  seams.MessageBoxes.QueueAnswer(IDNO);
  scratch_.Set(hkcu.Root, hkcu.KeyPath, Unique("later"), "C:\\c.exe");
  page_->BitBtnDelRegValue.Click();
  ASSERT_EQ(seams.MessageBoxes.Count(), 1u);
  const TMessageBoxCall ask = seams.MessageBoxes.Calls()[0];
  EXPECT_EQ(ask.Text,
            "注意!删除注册表项目存在风险!您必须确认此注册表项目无效之后才能删除!\r\n要继续吗？");
  EXPECT_EQ(ask.Caption, "Confirm");
  EXPECT_EQ(ask.Flags, (UINT)(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1));
  EXPECT_TRUE(ValueExists(hklm.Root, hklm.KeyPath, same));
  EXPECT_GE(RowOf(Unique("later"), kWhere[0]), 0);
  EXPECT_FALSE(page_->BitBtnDelRegValue.Enabled());

  // Yes on a double-click: only the value under the row's own key goes.
  seams.MessageBoxes.QueueAnswer(IDYES);
  Mouse(NM_DBLCLK, RowOf(same, kWhere[1]));
  EXPECT_EQ(seams.MessageBoxes.Count(), 2u);
  EXPECT_FALSE(ValueExists(hklm.Root, hklm.KeyPath, same));
  EXPECT_TRUE(ValueExists(hkcu.Root, hkcu.KeyPath, same));
  EXPECT_EQ(RowOf(same, kWhere[1]), -1);
  EXPECT_GE(RowOf(same, kWhere[0]), 0);
  EXPECT_FALSE(page_->BitBtnDelRegValue.Enabled());

  // No selection: nothing is asked and the list is rebuilt all the same.
  Mouse(NM_CLICK, 0);
  EXPECT_TRUE(page_->BitBtnDelRegValue.Enabled());
  Mouse(NM_CLICK, -1);
  EXPECT_FALSE(page_->BitBtnDelRegValue.Enabled());
  scratch_.Set(hkcu.Root, hkcu.KeyPath, Unique("third"), "C:\\d.exe");
  page_->BitBtnDelRegValueClick();
  EXPECT_EQ(seams.MessageBoxes.Count(), 2u);
  EXPECT_GE(RowOf(Unique("third"), kWhere[0]), 0);
}

// Also run with the system code page 1252.
TEST_F(StartupPage, NameOutsideTheCodePageIsListedAndDeletedExactly_AnyCodePage) {
  // The Korean name reads "??VbUpd..." in code page 936, exactly as the other value's name does.
  const TStartupSource& hkcu = StartupRegistrySources()[0];
  const std::string stem = Unique("VbUpd"), shown = "??" + stem;
  const std::wstring korean = L"\xD55C\xAE00" + std::wstring(stem.begin(), stem.end());
  scratch_.Set(hkcu.Root, hkcu.KeyPath, shown, "C:\\good.exe");
  scratch_.SetWide(hkcu.Root, hkcu.KeyPath, korean, L"C:\\\xD55C.exe");
  scratch_.Set(hkcu.Root, hkcu.KeyPath, Unique("next"), "C:\\next.exe");
  const auto koreanExists = [&] {
    return SHGetValueW(hkcu.Root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                       korean.c_str(), nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  };
  const auto rowOf = [&](const std::wstring& name) {
    for (int i = 0; i < List().Count(); ++i)
      if (List().SubItemW(i, 0) == name) return i;
    return -1;
  };
  page_->BitBtnBitBtnDelRefValueClick();
  const int row = rowOf(korean);
  ASSERT_GE(row, 0) << "listed under its exact name";
  EXPECT_EQ(List().SubItemW(row, 1), L"C:\\\xD55C.exe");
  ASSERT_GE(rowOf(L"??" + std::wstring(stem.begin(), stem.end())), 0);

  TSeamGuard seams;
  seams.MessageBoxes.SetDefaultAnswer(IDYES);
  Mouse(NM_CLICK, row);
  page_->BitBtnDelRegValue.Click();
  EXPECT_FALSE(koreanExists());
  EXPECT_TRUE(ValueExists(hkcu.Root, hkcu.KeyPath, shown)) << "the neighbour that reads alike";
  EXPECT_TRUE(ValueExists(hkcu.Root, hkcu.KeyPath, Unique("next")));
  EXPECT_EQ(rowOf(korean), -1);
  EXPECT_EQ(seams.MessageBoxes.Count(), 1u);
}

TEST(StartupItems, DeletionTouchesExactlyTheCodedEntry) {
  TStartupScratch scratch;
  const auto& sources = StartupRegistrySources();
  const std::string same = Unique("code"), other = Unique("other");
  for (const TStartupSource& target : sources) {
    for (const TStartupSource& s : sources) {
      scratch.Set(s.Root, s.KeyPath, same, "C:\\same.exe");
      scratch.Set(s.Root, s.KeyPath, other, "C:\\other.exe");
    }
    EXPECT_TRUE(DeleteStartupEntry(same, StartupLocation(target)));
    for (const TStartupSource& s : sources) {
      EXPECT_EQ(ValueExists(s.Root, s.KeyPath, same), &s != &target) << target.Code << s.Code;
      EXPECT_TRUE(ValueExists(s.Root, s.KeyPath, other));
    }
  }
  EXPECT_FALSE(DeleteStartupEntry(other, "HKEY_CURRENT_USER\\Software,99"));
  EXPECT_TRUE(ValueExists(sources[0].Root, sources[0].KeyPath, other));

  const std::string lnk = scratch.Add(Unique("f") + ".lnk");
  const std::string longer = scratch.Add(Unique("f") + ".lnk.bak");
  const std::string stem = scratch.Add(Unique("f"));
  const std::string sub = scratch.Add(Unique("fdir"), 0, true);
  const std::string inner = scratch.Add(Unique("fdir") + "\\inner.exe");
  EXPECT_TRUE(DeleteStartupEntry(Unique("f") + ".lnk", lnk + ",09"));
  EXPECT_FALSE(PathExists(lnk));
  EXPECT_TRUE(PathExists(longer) && PathExists(stem));
  EXPECT_FALSE(DeleteStartupEntry(Unique("fdir"), sub + ",09"));
  EXPECT_TRUE(PathExists(inner));
  EXPECT_FALSE(DeleteStartupEntry(Unique("fdir") + "\\inner.exe", inner + ",09"));
  EXPECT_TRUE(PathExists(inner)) << "only the folder's own entries";

  // A link goes as a link; the file it points to, outside, stays.
  ASSERT_TRUE(IsWine()) << "links are made from the Unix side";
  TScratchDir outside(CurrentTestName());
  const std::string target = outside.Path() + "app.exe";
  WriteTextFile(target, "program");
  ASSERT_TRUE(MakeUnixSymlink(target, scratch.Folder + "\\" + Unique("link") + ".exe"));
  EXPECT_TRUE(DeleteStartupEntry(Unique("link") + ".exe", "x,09"));
  EXPECT_FALSE(PathExists(scratch.Folder + "\\" + Unique("link") + ".exe"));
  EXPECT_EQ(ReadTextFile(target), "program");

  // An unresolved folder must not turn the name into a path relative to the current directory
  // or drive (both are the drive's root here).
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  const std::string root = scratch.Folder.substr(0, 3), atRoot = root + Unique("root");
  SetCurrentDirectoryA(root.c_str());
  CloseHandle(CreateFileA(atRoot.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  EXPECT_FALSE(DeleteStartupFolderEntry("", Unique("root")));
  EXPECT_TRUE(PathExists(atRoot));
  DeleteFileA(atRoot.c_str());
  SetCurrentDirectoryA(previous);
}

// What a deletion takes away can be put back: a value from its undo file, a Startup-folder
// entry from the folder it was moved into. Without a place for either, nothing goes.
TEST(StartupItems, DeletionKeepsWhatItTakesInTheUndoFolder_AnyCodePage) {
  TStartupScratch scratch;
  TScratchDir dir(CurrentTestName());
  const std::string undo = dir.Path() + "Undo";
  const TStartupSource& run = StartupRegistrySources()[0];
  const std::wstring key = WideFrom(run.KeyPath), where = WideFrom(StartupLocation(run));
  // Seeded wide, so that the name is the same whatever the system code page.
  const std::wstring name = WideFrom(Unique("")) + L"启动 \"a\"=b\\c \xD55C";
  scratch.SetWide(run.Root, run.KeyPath, name, L"%TEMP%\\a.exe /x");
  scratch.Set(run.Root, run.KeyPath, Unique("neighbour"), "C:\\n.exe");
  const reg_test::TTreeState before = reg_test::Tree(run.Root, key);

  WriteTextFile(dir.Path() + "blocked", "");
  bool failed = false;
  EXPECT_FALSE(DeleteStartupEntry(name, where, &failed, dir.Path() + "blocked\\u"));
  EXPECT_TRUE(failed);
  EXPECT_TRUE(reg_test::ValueThere(run.Root, key, name));

  failed = false;
  ASSERT_TRUE(DeleteStartupEntry(name, where, &failed, undo));
  EXPECT_FALSE(failed);
  EXPECT_FALSE(reg_test::ValueThere(run.Root, key, name));
  EXPECT_TRUE(ValueExists(run.Root, run.KeyPath, Unique("neighbour")));
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((undo + "\\Startup-*.reg").c_str(), &fd);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  ASSERT_TRUE(ImportRegFile(undo + "\\" + fd.cFileName));
  EXPECT_EQ(reg_test::Tree(run.Root, key), before);

  // A shortcut moves aside as it is; a link moves as a link, what it points to untouched.
  const std::string lnk = scratch.Add(Unique("s") + ".lnk");
  WriteTextFile(lnk, "shortcut bytes");
  ASSERT_TRUE(DeleteStartupFolderEntry(scratch.Folder, Unique("s") + ".lnk", &failed, undo));
  EXPECT_FALSE(PathExists(lnk));
  find = FindFirstFileA((undo + "\\Startup-*").c_str(), &fd);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::string aside;
  do
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) aside = undo + "\\" + fd.cFileName + "\\";
  while (FindNextFileA(find, &fd));
  FindClose(find);
  EXPECT_EQ(ReadTextFile(aside + Unique("s") + ".lnk"), "shortcut bytes");
}
