#include <gtest/gtest.h>

#include <memory>

#include "ImmunityFixtures.h"
#include "immunity/AutoplayPolicy.h"
#include "immunity/ImmunityPage.h"
#include "immunity/PluginImmunity.h"
#include "support/LocalHttpServer.h"
#include "support/RecordingSeams.h"
#include "support/Scratch.h"
#include "toolkit/Form.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/StatusBar.h"
#include "support/TestHost.h"

using namespace immunity_test;

namespace {

// Accepts every installer and notes where the progress bar sat while the patch step ran.
class TAcceptAll : public IInstallerTrust {
 public:
  explicit TAcceptAll(TProgressBar& bar) : bar_(bar) {}
  bool IsVendorSigned(const std::string&) override {
    BarParent = bar_.Parent();
    BarBounds = {bar_.Left(), bar_.Top(), bar_.Width(), bar_.Height()};
    BarVisible = bar_.Visible();
    return true;
  }
  TControl* BarParent = nullptr;
  std::vector<int> BarBounds;
  bool BarVisible = false;

 private:
  TProgressBar& bar_;
};

std::vector<std::pair<HKEY, std::string>> TouchedKeys() {
  std::vector<std::pair<HKEY, std::string>> keys = {
      {HKEY_LOCAL_MACHINE, kParkingRoot},
      {HKEY_CURRENT_USER, kAutoplayUserKey},
      {HKEY_LOCAL_MACHINE, kAutoplayMachineKey},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility"}};
  for (const TComponent& c : StandardComponents()) keys.push_back({HKEY_LOCAL_MACHINE, c.ClassKey});
  return keys;
}

// The inner page control of page 1 with its four sheets, the page on sheets 2 and 3. Every real
// key the page can touch is put back afterwards.
class ImmunityPage : public testing::Test {
 protected:
  ImmunityPage() : form_("TImmunityTestForm", false), host_(form_), pages_(&form_) {
    form_.SetClientSize(554, 379);
    pages_.SetAlign(TAlign::Client);
    for (const char* caption : {"恶意软件检测", "恶意软件清理", "恶意网页免疫", "插件免疫"})
      sheets_.push_back(std::make_unique<TTabSheet>(&pages_, caption));
    pages_.SetActivePageIndex(2);
    page_ = std::make_unique<TImmunityPage>(*sheets_[2], *sheets_[3], host_);
    page_->PatchSources = {"C:\\absent\\KB925902.exe", "https://127.0.0.1:9/x.exe"};
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const TMessageBoxCall& c : seams_.MessageBoxes.Calls()) texts.push_back(c.Text);
    return texts;
  }
  void Select(std::initializer_list<TCheckBox*> boxes) {
    page_->Label4.Click();
    for (TCheckBox* box : boxes) box->SetChecked(true);
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

TEST_F(ImmunityPage, BuildsBothTabsAndSelectsAllOnTheActiveOneOnly) {
  TImmunityPage& p = *page_;
  EXPECT_EQ(p.Label1.Caption(),
            "　在浏览网页时，经常会不知不觉地下载恶意木马程序，经过分析恶意\r\n"
            "木马程序都是利用IE的漏洞进行攻击的，本免疫就是屏蔽这些漏洞的。");
  EXPECT_EQ(p.DriveBox.Item(3), "U盘驱动器");
  EXPECT_EQ(p.DriveBox.ItemIndex(), 0);
  EXPECT_FALSE(p.DriveBox.Visible() || p.Ms0717Url.Visible() || p.Label2.Visible());
  ASSERT_EQ(p.ActiveListView.ColumnCount(), 3);
  EXPECT_EQ(p.ActiveListView.ColumnWidth(2), 0);
  ASSERT_EQ(p.ActiveListView.Count(), 86);
  EXPECT_EQ(p.ActiveListView.SubItem(85, 0), "未免疫");

  p.Label3.Click();
  EXPECT_TRUE(p.CheckBox1.Checked() && p.CheckBox9.Checked() && p.DriveBox.Visible());
  EXPECT_FALSE(p.ActiveListView.Checked(0));
  p.Label4.Click();
  EXPECT_FALSE(p.CheckBox8.Checked() || p.CheckBox9.Checked() || p.DriveBox.Visible());
  pages_.SetActivePageIndex(3);
  p.Selectall.Click();
  EXPECT_TRUE(p.ActiveListView.Checked(0) && p.ActiveListView.Checked(85));
  EXPECT_FALSE(p.CheckBox1.Checked());
  pages_.SetActivePageIndex(0);  // any other tab: the shared handlers do nothing
  p.Noselectall.Click();
  p.BitBtn2.Click();
  EXPECT_TRUE(p.ActiveListView.Checked(40));
  EXPECT_EQ(seams_.MessageBoxes.Count(), 0u);
}

TEST_F(ImmunityPage, ComponentsAndAutoplayThroughTheButtons) {
  TImmunityPage& p = *page_;
  Select({});
  p.BitBtn4.Click();
  p.BitBtn3.Click();
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"请选中需要免疫的项目!", "请选中需要取消免疫的项目!"}));

  // Without the machine policy key only the per-user value is written, and nothing is said.
  SHDeleteKeyA(HKEY_LOCAL_MACHINE, Sub(kAutoplayMachineKey).c_str());
  Select({&p.CheckBox8});
  p.DriveBox.SetItemIndex(1);
  p.BitBtn4.Click();
  EXPECT_EQ(Texts().back(), "请选中需要免疫的项目!");
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kAutoplayUserKey, kAutoplayValue), 181);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAutoplayMachineKey));

  const std::string shellKey = StandardComponents()[0].ClassKey;
  const TKeyDump before = DumpKey(HKEY_LOCAL_MACHINE, shellKey);
  ASSERT_FALSE(before.Keys.empty());
  CreateKey(HKEY_LOCAL_MACHINE, kAutoplayMachineKey);
  Select({&p.CheckBox1, &p.CheckBox7, &p.CheckBox8});  // RDS is not registered in this prefix
  p.DriveBox.SetItemIndex(2);
  p.BitBtn4.Click();
  EXPECT_EQ(Texts().back(),
            "恶意执行程序组件 WScript.Shell免疫成功\r\nMicrosoft MDAC RDS.Dataspace "
            "ActiveX组件已免疫过了\r\n禁止驱动器自动播放设置成功");
  EXPECT_EQ(seams_.MessageBoxes.Calls().back().Caption, "提示");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, shellKey));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kAutoplayMachineKey, kAutoplayValue), 189);
  EXPECT_TRUE(p.CheckBox1.Checked());  // the status check ran
  EXPECT_EQ(p.DriveBox.ItemIndex(), 2);

  Select({&p.CheckBox1, &p.CheckBox2, &p.CheckBox8});
  p.BitBtn3.Click();
  EXPECT_EQ(Texts().back(),
            "恶意执行程序组件 WScript.Shell取消免疫成功\r\n找不到木马生成组件 "
            "FileSystemObject备份\r\n驱动器自动播放取消成功");
  EXPECT_EQ(DumpKey(HKEY_LOCAL_MACHINE, shellKey), before);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kParkingRoot));
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kAutoplayMachineKey, kAutoplayValue), -1);
  EXPECT_FALSE(p.CheckBox1.Checked());
  EXPECT_TRUE(p.CheckBox8.Checked() && p.DriveBox.Visible());  // the per-user value stays

  SetDword(HKEY_CURRENT_USER, kAutoplayUserKey, kAutoplayValue, 145);
  p.ReadImmunisationState();
  EXPECT_FALSE(p.CheckBox8.Checked() || p.DriveBox.Visible());
}

TEST_F(ImmunityPage, TheCursorPatchStep) {
  TImmunityPage& p = *page_;
  Select({&p.CheckBox9});
  p.OsFamily = "Windows";  // a later system
  p.BitBtn4.Click();
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"此选项只支持2000,xp系统", "请选中需要免疫的项目!"}));

  // No installer anywhere: the warning, the address on the clipboard, nothing run.
  seams_.MessageBoxes.Clear();
  p.OsFamily = "Windows XP";
  p.BitBtn4.Click();
  ASSERT_EQ(seams_.MessageBoxes.Count(), 2u);
  const TMessageBoxCall warning = seams_.MessageBoxes.Calls()[0];
  EXPECT_EQ(warning.Text,
            "软件从Windows网站下载光标漏洞补丁程序失败，请确认您是否连上了互联网!\r\n"
            "或请手工下载，下载地址已经在粘贴板中，直接打开浏览器在地址栏上粘贴即可。");
  EXPECT_EQ(warning.Flags, UINT(MB_OK | MB_ICONWARNING));
  EXPECT_EQ(seams_.Clipboard.LastText(), kBulletinUrl);
  EXPECT_EQ(seams_.Processes.Count(), 0u);
  EXPECT_EQ(host_.ProgressBar().Parent(), &form_);
  EXPECT_FALSE(host_.ProgressBar().Visible());

  TScratchDir dir(CurrentTestName());
  WriteTextFile(dir.Path() + "KB925902.exe", "MZ");
  TAcceptAll trust(host_.ProgressBar());
  p.SetInstallerTrust(&trust);
  p.PatchSources.LocalFile = dir.Path() + "KB925902.exe";
  p.BitBtn4.Click();
  EXPECT_EQ(Texts().back(), "\r\n光标漏洞补丁成功");
  EXPECT_EQ(seams_.Processes.Count(), 1u);
  // While the step ran the bar sat over the second status panel (panels 400 and 150 wide).
  EXPECT_EQ(trust.BarParent, &host_.StatusBar());
  EXPECT_TRUE(trust.BarVisible);
  EXPECT_EQ(trust.BarBounds, (std::vector<int>{400, 2, 150, host_.StatusBar().Height() - 2}));
  EXPECT_EQ(host_.ProgressBar().Parent(), &form_);

  p.CheckBox9.SetEnabled(false);  // as when the patch is found: immunise leaves it alone
  Select({&p.CheckBox9});
  p.BitBtn4.Click();
  EXPECT_EQ(Texts().back(), "请选中需要免疫的项目!");
  EXPECT_EQ(seams_.Processes.Count(), 1u);
}

TEST_F(ImmunityPage, ThePatchDownloadLeavesTheWindowAnsweringWithTheBarShown) {
  TImmunityPage& p = *page_;
  TLocalHttpServer server("MZ downloaded");
  ASSERT_FALSE(server.Url("").empty());
  bool answered = false, barShown = false, buttonsOff = false;
  server.BeforeAnswer = [&] {
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutA(form_.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
    barShown = host_.ProgressBar().Visible() && host_.ProgressBar().Parent() == &host_.StatusBar();
    buttonsOff = !p.BitBtn4.Enabled() && !p.BitBtn3.Enabled();
  };
  TAcceptAll trust(host_.ProgressBar());
  p.SetInstallerTrust(&trust);
  p.OsFamily = "Windows XP";
  p.PatchSources = {"C:\\absent\\KB925902.exe", server.Url("ms0717.exe")};
  Select({&p.CheckBox9});
  p.BitBtn4.Click();
  EXPECT_TRUE(answered) << "the window thread was held by the download";
  EXPECT_TRUE(barShown);
  EXPECT_TRUE(buttonsOff) << "a second press could start while the first waits";
  EXPECT_EQ(Texts(), std::vector<std::string>{"\r\n光标漏洞补丁成功"});
  EXPECT_EQ(seams_.Processes.Count(), 1u);
  EXPECT_TRUE(p.BitBtn4.Enabled());
  EXPECT_FALSE(host_.ProgressBar().Visible());
}

TEST_F(ImmunityPage, PluginTabCountsEveryCheckedRowAndShowsSharedState) {
  TImmunityPage& p = *page_;
  TListView& list = p.ActiveListView;
  pages_.SetActivePageIndex(3);
  p.BitBtn2.Click();
  p.BitBtn1.Click();
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"请选中需要免疫的插件!", "请选中需要取消免疫的插件!"}));

  list.SetChecked(0, true);  // row 1: its damaged identifier gives a shortened key
  list.SetChecked(6, true);  // row 7 shares its identifier with row 8
  p.BitBtn2.Click();
  EXPECT_EQ(Texts().back(), "免疫成功！共免疫了:2个插件!");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, PluginKeyPath(p.Plugins[0].ClassId), kCompatibilityFlags),
            1024);
  EXPECT_TRUE(list.Checked(7));
  EXPECT_EQ(list.SubItem(7, 0), "已免疫");

  p.Noselectall.Click();
  for (int row : {7, 9, 10}) list.SetChecked(row, true);  // rows 10 and 11 have no key
  p.BitBtn1.Click();
  EXPECT_EQ(Texts().back(), "取消免疫成功!共取消免疫3个插件!");
  EXPECT_FALSE(list.Checked(6) || list.Checked(7));
  EXPECT_EQ(list.SubItem(6, 0), "未免疫");
  EXPECT_TRUE(list.Checked(0) && list.Checked(10));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, PluginKeyPath(p.Plugins[10].ClassId)));
}
