#include <gtest/gtest.h>

#include <memory>

#include "ImmunityFixtures.h"
#include "immunity/AutoplayPolicy.h"
#include "immunity/ComponentImmunity.h"
#include "immunity/ImmunityPage.h"
#include "immunity/PluginImmunity.h"
#include "support/RecordingSeams.h"
#include "support/Scratch.h"
#include "toolkit/Form.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/StatusBar.h"

using namespace immunity_test;

namespace {

const char kPatchWarning[] =
    "软件从Windows网站下载光标漏洞补丁程序失败，请确认您是否连上了互联网!\r\n"
    "或请手工下载，下载地址已经在粘贴板中，直接打开浏览器在地址栏上粘贴即可。";

class TTestHost : public IHost {
 public:
  explicit TTestHost(TControl& form) : form_(form), bar_(&form), progress_(&form, 5, 5, 149, 17) {
    bar_.SetPanelWidths({400, 150, 150});
    progress_.SetVisible(false);
  }
  HWND MainWindow() override { return form_.Handle(); }
  TStatusBar& StatusBar() override { return bar_; }
  TProgressBar& ProgressBar() override { return progress_; }
  void StartJob(WORD) override {}
  bool Closing() override { return false; }

 private:
  TControl& form_;
  TStatusBar bar_;
  TProgressBar progress_;
};

class TAcceptAll : public IInstallerTrust {
 public:
  bool IsVendorSigned(const std::string&) override { return true; }
};

// The inner page control of page 1 with its four sheets; the page fills sheets 2 and 3. Every
// real key the page can touch is put back at the end.
class ImmunityPage : public testing::Test {
 protected:
  ImmunityPage() : form_("TImmunityTestForm", false), host_(form_), pages_(&form_) {
    form_.SetClientSize(554, 379);
    pages_.SetAlign(TAlign::Client);
    for (const char* caption : {"恶意软件检测", "恶意软件清理", "恶意网页免疫", "插件免疫"})
      sheets_.push_back(std::make_unique<TTabSheet>(&pages_, caption));
    pages_.SetActivePageIndex(2);
    page_ = std::make_unique<TImmunityPage>(*sheets_[2], *sheets_[3], host_);
    // No network here; a closed local port makes the download fail at once anywhere.
    page_->PatchSources = {"C:\\nonexistent\\KB925902.exe", "https://127.0.0.1:9/x.exe"};
  }

  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const TMessageBoxCall& c : seams_.MessageBoxes.Calls()) texts.push_back(c.Text);
    return texts;
  }
  std::vector<TCheckBox*> Boxes() {
    TImmunityPage& p = *page_;
    return {&p.CheckBox1, &p.CheckBox2, &p.CheckBox3, &p.CheckBox4, &p.CheckBox5,
            &p.CheckBox6, &p.CheckBox7, &p.CheckBox8, &p.CheckBox9};
  }
  void UncheckAll() { page_->Label4.Click(); }

  static std::vector<std::pair<HKEY, std::string>> TouchedKeys() {
    std::vector<std::pair<HKEY, std::string>> keys;
    for (const TComponent& c : StandardComponents())
      keys.push_back({HKEY_LOCAL_MACHINE, c.ClassKey});
    keys.push_back({HKEY_LOCAL_MACHINE, kParkingRoot});
    keys.push_back({HKEY_CURRENT_USER, kAutoplayUserKey});
    keys.push_back({HKEY_LOCAL_MACHINE, kAutoplayMachineKey});
    keys.push_back(
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility"});
    return keys;
  }

  TRegistryRestorer restore_{TouchedKeys()};
  TSeamGuard seams_;
  TForm form_;
  TTestHost host_;
  TPageControl pages_;
  std::vector<std::unique_ptr<TTabSheet>> sheets_;
  std::unique_ptr<TImmunityPage> page_;
};

}  // namespace

TEST_F(ImmunityPage, BuildsBothTabsWithTheirTextsAndRows) {
  TImmunityPage& p = *page_;
  EXPECT_EQ(p.Label1.Caption(),
            "　在浏览网页时，经常会不知不觉地下载恶意木马程序，经过分析恶意\r\n"
            "木马程序都是利用IE的漏洞进行攻击的，本免疫就是屏蔽这些漏洞的。");
  EXPECT_EQ(p.CheckBox7.Caption(), "Microsoft MDAC RDS.Dataspace ActiveX组件");
  EXPECT_EQ(p.CheckBox9.Caption(), "微软光标漏洞补丁MS07-017");
  ASSERT_EQ(p.DriveBox.Count(), 4);
  EXPECT_EQ(p.DriveBox.Item(2), "保留CD音频");
  EXPECT_EQ(p.DriveBox.ItemIndex(), 0);
  EXPECT_FALSE(p.DriveBox.Visible() || p.Ms0717Url.Visible() || p.Label2.Visible());
  EXPECT_EQ(p.Label2.Caption(), "勾选代表已免疫，未勾选代表没免疫。");
  EXPECT_EQ(p.Ms0717Url.Text(), kBulletinUrl);
  EXPECT_EQ(p.Label3.Caption(), "全  选");
  EXPECT_EQ(p.BitBtn4.Caption(), "免疫选中的项目");
  EXPECT_EQ(p.BitBtn1.Caption(), "对选中项目取消免疫");

  ASSERT_EQ(p.ActiveListView.ColumnCount(), 3);
  EXPECT_EQ(p.ActiveListView.ColumnCaption(1), "是否免疫");
  EXPECT_EQ(p.ActiveListView.ColumnWidth(0), 444);
  EXPECT_EQ(p.ActiveListView.ColumnWidth(2), 0);
  ASSERT_EQ(p.ActiveListView.Count(), 86);
  EXPECT_EQ(p.ActiveListView.Caption(7), "3721中文邮");
  EXPECT_EQ(p.ActiveListView.SubItem(85, 0), "未免疫");
  EXPECT_EQ(p.ActiveListView.SubItem(85, 1), "1DF3A074-022B-4C74-8E47-3CA2B0E7E1BB");
}

TEST_F(ImmunityPage, SelectAllActsOnTheActiveTabOnly) {
  TImmunityPage& p = *page_;
  p.Label3.Click();
  for (TCheckBox* box : Boxes()) EXPECT_TRUE(box->Checked());
  EXPECT_TRUE(p.DriveBox.Visible());
  EXPECT_FALSE(p.ActiveListView.Checked(0));
  p.Label4.Click();
  for (TCheckBox* box : Boxes()) EXPECT_FALSE(box->Checked());
  EXPECT_FALSE(p.DriveBox.Visible());

  pages_.SetActivePageIndex(3);
  p.Selectall.Click();
  EXPECT_TRUE(p.ActiveListView.Checked(0) && p.ActiveListView.Checked(85));
  EXPECT_FALSE(p.CheckBox1.Checked());
  p.Noselectall.Click();
  EXPECT_FALSE(p.ActiveListView.Checked(40));

  pages_.SetActivePageIndex(0);  // any other tab: the shared handlers do nothing
  p.Selectall.Click();
  p.BitBtn2.Click();
  EXPECT_FALSE(p.ActiveListView.Checked(40));
  EXPECT_EQ(seams_.MessageBoxes.Count(), 0u);
}

TEST_F(ImmunityPage, ImmuniseAndCancelARealComponentThroughTheButtons) {
  TImmunityPage& p = *page_;
  const TComponent& shell = StandardComponents()[0];
  ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, shell.ClassKey));
  const TKeyDump before = DumpKey(HKEY_LOCAL_MACHINE, shell.ClassKey);
  p.ReadImmunisationState();
  EXPECT_FALSE(p.CheckBox1.Checked());
  EXPECT_TRUE(p.CheckBox7.Checked());  // not registered in this prefix: shown as immunised

  UncheckAll();
  p.CheckBox1.SetChecked(true);
  p.CheckBox7.SetChecked(true);
  p.BitBtn4.Click();
  EXPECT_EQ(Texts().back(),
            "恶意执行程序组件 WScript.Shell免疫成功\r\n"
            "Microsoft MDAC RDS.Dataspace ActiveX组件已免疫过了");
  EXPECT_EQ(seams_.MessageBoxes.Calls().back().Caption, "提示");
  EXPECT_EQ(seams_.MessageBoxes.Calls().back().Flags, UINT(MB_OK | MB_ICONINFORMATION));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, shell.ClassKey));
  EXPECT_TRUE(p.CheckBox1.Checked());  // the status check ran

  UncheckAll();
  p.CheckBox1.SetChecked(true);
  p.CheckBox2.SetChecked(true);
  p.BitBtn3.Click();
  EXPECT_EQ(Texts().back(),
            "恶意执行程序组件 WScript.Shell取消免疫成功\r\n"
            "找不到木马生成组件 FileSystemObject备份");
  EXPECT_EQ(DumpKey(HKEY_LOCAL_MACHINE, shell.ClassKey), before);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kParkingRoot));
  EXPECT_FALSE(p.CheckBox1.Checked());
}

TEST_F(ImmunityPage, AutoplayAndTheEmptySelectionMessages) {
  TImmunityPage& p = *page_;
  UncheckAll();
  p.BitBtn4.Click();
  p.BitBtn3.Click();
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"请选中需要免疫的项目!", "请选中需要取消免疫的项目!"}));

  CreateKey(HKEY_LOCAL_MACHINE, kAutoplayMachineKey);
  p.CheckBox8.SetChecked(true);
  p.DriveBox.SetItemIndex(2);
  p.BitBtn4.Click();
  EXPECT_EQ(Texts().back(), "\r\n禁止驱动器自动播放设置成功");
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kAutoplayUserKey, kAutoplayValue), 189);
  p.DriveBox.SetItemIndex(0);
  p.ReadImmunisationState();
  EXPECT_EQ(p.DriveBox.ItemIndex(), 2);
  EXPECT_TRUE(p.CheckBox8.Checked() && p.DriveBox.Visible());

  UncheckAll();  // the status check marked the components missing here
  p.CheckBox8.SetChecked(true);
  p.BitBtn3.Click();
  EXPECT_EQ(Texts().back(), "\r\n驱动器自动播放取消成功");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kAutoplayMachineKey, kAutoplayValue), -1);
  EXPECT_TRUE(p.CheckBox8.Checked());  // the per-user value stays

  SetDword(HKEY_CURRENT_USER, kAutoplayUserKey, kAutoplayValue, 145);
  p.ReadImmunisationState();
  EXPECT_FALSE(p.CheckBox8.Checked() || p.DriveBox.Visible());
}

TEST_F(ImmunityPage, TheCursorPatchStep) {
  TImmunityPage& p = *page_;
  UncheckAll();
  p.CheckBox9.SetChecked(true);
  p.OsFamily = "Windows";  // a later system
  p.BitBtn4.Click();
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"此选项只支持2000,xp系统", "请选中需要免疫的项目!"}));

  // No installer anywhere: the warning, the address on the clipboard, nothing run.
  seams_.MessageBoxes.Clear();
  p.OsFamily = "Windows XP";
  p.BitBtn4.Click();
  const std::vector<TMessageBoxCall> calls = seams_.MessageBoxes.Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].Text, kPatchWarning);
  EXPECT_EQ(calls[0].Flags, UINT(MB_OK | MB_ICONWARNING));
  EXPECT_EQ(calls[1].Text, "请选中需要免疫的项目!");
  EXPECT_EQ(seams_.Clipboard.LastText(), kBulletinUrl);
  EXPECT_EQ(seams_.Processes.Count(), 0u);
  EXPECT_FALSE(host_.ProgressBar().Visible());
  EXPECT_EQ(host_.ProgressBar().Parent(), &form_);

  // A trusted installer next to the program is run and reported.
  TScratchDir dir(CurrentTestName());
  WriteTextFile(dir.Path() + "KB925902.exe", "MZ");
  TAcceptAll trust;
  p.SetInstallerTrust(&trust);
  p.PatchSources.LocalFile = dir.Path() + "KB925902.exe";
  p.BitBtn4.Click();
  EXPECT_EQ(Texts().back(), "\r\n光标漏洞补丁成功");
  ASSERT_EQ(seams_.Processes.Count(), 1u);
  EXPECT_NE(seams_.Processes.CommandLines()[0].find("ms0717.exe\"  /passive /norestart"),
            std::string::npos);
  EXPECT_FALSE(host_.ProgressBar().Visible());

  // A patch found in the update records disables the box: immunise leaves it alone.
  UncheckAll();
  p.CheckBox9.SetChecked(true);
  p.CheckBox9.SetEnabled(false);
  seams_.MessageBoxes.Clear();
  p.BitBtn4.Click();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"请选中需要免疫的项目!"}));
  EXPECT_EQ(seams_.Processes.Count(), 1u);
}

TEST_F(ImmunityPage, PluginTabCountsEveryCheckedRowAndShowsSharedState) {
  TImmunityPage& p = *page_;
  TListView& list = p.ActiveListView;
  pages_.SetActivePageIndex(3);
  p.BitBtn2.Click();
  p.BitBtn1.Click();
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"请选中需要免疫的插件!", "请选中需要取消免疫的插件!"}));

  list.SetChecked(0, true);  // row 1, damaged identifier
  list.SetChecked(6, true);  // row 7, shares its identifier with row 8
  p.BitBtn2.Click();
  EXPECT_EQ(Texts().back(), "免疫成功！共免疫了:2个插件!");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, PluginKeyPath(p.Plugins[0].ClassId), kCompatibilityFlags),
            1024);
  for (int row : {0, 6, 7}) {
    EXPECT_TRUE(list.Checked(row));
    EXPECT_EQ(list.SubItem(row, 0), "已免疫");
  }

  p.Noselectall.Click();
  list.SetChecked(7, true);
  list.SetChecked(9, true);  // no key: counted, nothing written
  list.SetChecked(10, true);
  p.BitBtn1.Click();
  EXPECT_EQ(Texts().back(), "取消免疫成功!共取消免疫3个插件!");
  EXPECT_FALSE(list.Checked(6) || list.Checked(7));
  EXPECT_EQ(list.SubItem(6, 0), "未免疫");
  EXPECT_TRUE(list.Checked(0));
  EXPECT_TRUE(list.Checked(10));  // rows without a key keep the user's check
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, PluginKeyPath(p.Plugins[10].ClassId)));
}
