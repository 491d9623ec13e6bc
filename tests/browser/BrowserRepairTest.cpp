// The repair tab: the common writes, the registry-editor unlock and the search engine.
#include <aclapi.h>

#include "BrowserFixture.h"
#include "browser/BrowserRepair.h"

using namespace browser_test;

namespace {
const wchar_t kControlPanel[] = L"Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
const wchar_t kMain[] = L"Software\\Microsoft\\Internet Explorer\\Main";
const wchar_t kZone3[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
const wchar_t kSystemPolicy[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

struct TRead {
  DWORD Type = REG_NONE;
  std::wstring Text;
  DWORD Number = 0xFFFFFFFF;
};

TRead Read(HKEY root, const std::wstring& sub, const std::wstring& name) {
  TRead r;
  HKEY key = Open(root, sub);
  if (!key) return r;
  BYTE data[1024] = {};
  DWORD size = sizeof data - 2;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &r.Type, data, &size) == ERROR_SUCCESS) {
    if (r.Type == REG_SZ) r.Text = reinterpret_cast<const wchar_t*>(data);
    if (r.Type == REG_DWORD) r.Number = *reinterpret_cast<DWORD*>(data);
  }
  RegCloseKey(key);
  return r;
}

void SetNumber(HKEY root, const std::wstring& sub, const std::wstring& name, DWORD value) {
  HKEY key = nullptr;
  RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExW(key, name.c_str(), 0, REG_DWORD, (const BYTE*)&value, sizeof value);
  RegCloseKey(key);
}

void DeleteValue(HKEY root, const std::wstring& sub, const std::wstring& name) {
  if (HKEY key = Open(root, sub)) {
    RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
  }
}

// Gives the key a security descriptor that lets everyone read it and nobody write it.
bool MakeReadOnly(HKEY root, const std::wstring& sub, bool readOnly) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, sub.c_str(), 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS)
    return false;
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  EXPLICIT_ACCESSW access{};
  access.grfAccessPermissions = readOnly ? (KEY_READ | WRITE_DAC) : KEY_ALL_ACCESS;
  access.grfAccessMode = SET_ACCESS;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
  PACL acl = nullptr;
  SetEntriesInAclW(1, &access, nullptr, &acl);
  const bool ok = SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  acl, nullptr) == ERROR_SUCCESS;
  LocalFree(acl);
  FreeSid(everyone);
  RegCloseKey(key);
  return ok;
}
}  // namespace

TEST_F(BrowserPageTest, RepairWritesTheCommonValuesAndOnlyTheCheckedExtras) {
  DeleteKey(HKEY_CURRENT_USER, kControlPanel);  // a clean system has no such policy
  SetText(HKEY_CURRENT_USER, kMain, L"Start Page", L"http://rogue.example/");
  SetNumber(HKEY_LOCAL_MACHINE, kSystemPolicy, L"DisableRegistryTools", 1);
  SetNumber(HKEY_CURRENT_USER, kSystemPolicy, L"DisableRegistryTools", 1);
  DeleteValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer\\Main",
              L"CustomizeSearch");

  // Every key the repair writes to, as it is before: what its undo file must bring back.
  const std::pair<HKEY, std::wstring> touched[] = {
      {HKEY_CURRENT_USER, L"Software\\Policies\\Microsoft"}, {HKEY_CURRENT_USER, kMain},
      {HKEY_LOCAL_MACHINE, kMain}, {HKEY_CURRENT_USER, kZone3}, {HKEY_LOCAL_MACHINE, kZone3}};
  std::vector<reg_test::TTreeState> before;
  ClearUndoFiles("BrowserRepair");
  for (const auto& [root, sub] : touched) before.push_back(reg_test::Tree(root, sub));

  page_->FirstVisit();
  for (int i = 0; i < 7; ++i) EXPECT_TRUE(page_->CheckListBoxBR.Checked(i));
  EXPECT_EQ(page_->CheckListBoxBR.Item(2), "注册表编辑器解锁");
  // The check state is what a list box reader sees as the item's data.
  EXPECT_EQ(SendMessageA(page_->CheckListBoxBR.ListHandle(), LB_GETITEMDATA, 3, 0), 1);
  for (int i = 0; i < 7; ++i) page_->CheckListBoxBR.SetChecked(i, false);
  EXPECT_EQ(page_->BitBtnBR.Caption(), "修复选定项目(&D)");
  page_->BitBtnBRClick();

  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    const TRead title = Read(root, kMain, L"Windows Title");
    EXPECT_EQ(title.Type, (DWORD)REG_SZ);
    EXPECT_EQ(title.Text, L"Microsoft Internet Explorer");
    for (const wchar_t* name :
         {L"Start Page", L"Default_Page_URL", L"Default_Search_URL", L"Search Page"}) {
      const TRead page = Read(root, kMain, name);
      EXPECT_EQ(page.Type, (DWORD)REG_SZ) << name;
      EXPECT_EQ(page.Text, L"about:blank") << name;
    }
    const TRead zone = Read(root, kZone3, L"1803");
    EXPECT_EQ(zone.Type, (DWORD)REG_DWORD);
    EXPECT_EQ(zone.Number, 0u);
  }
  const wchar_t* const restrictions[] = {L"GeneralTab",
                                         L"SecurityTab",
                                         L"ContentTab",
                                         L"ConnectionsTab",
                                         L"ProgramsTab",
                                         L"AdvancedTab",
                                         L"Cache",
                                         L"History",
                                         L"Colors",
                                         L"Links",
                                         L"Fonts",
                                         L"Languages",
                                         L"Accessibility",
                                         L"Security_options_edit",
                                         L"Ratings",
                                         L"Certificates",
                                         L"FormSuggest",
                                         L"FormSuggest Passwords",
                                         L"Profiles",
                                         L"Connwiz Admin Lock",
                                         L"Connection Settings",
                                         L"Proxy",
                                         L"Autoconfig",
                                         L"ResetWebSettings",
                                         L"Check_If_Default",
                                         L"Advanced",
                                         L"HomePage"};
  for (const wchar_t* name : restrictions) {
    const TRead policy = Read(HKEY_CURRENT_USER, kControlPanel, name);
    EXPECT_EQ(policy.Type, (DWORD)REG_DWORD) << name;
    EXPECT_EQ(policy.Number, 0u) << name;
  }
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kSystemPolicy, L"DisableRegistryTools").Number, 1u);
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kMain, L"CustomizeSearch").Type, (DWORD)REG_NONE);
  ASSERT_TRUE(ImportRegFile(NewestUndoFile("BrowserRepair")));
  for (size_t i = 0; i < before.size(); ++i)
    EXPECT_EQ(reg_test::Tree(touched[i].first, touched[i].second), before[i]) << i;

  // Ticked as a user does: a click on the item's box, and the space bar on the selected item.
  HWND list = page_->CheckListBoxBR.ListHandle();
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, 2, (LPARAM)&item);
  const LPARAM box = MAKELPARAM(item.left + 6, (item.top + item.bottom) / 2);
  SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, box);
  SendMessageA(list, WM_LBUTTONUP, 0, box);
  SendMessageA(list, LB_SETCURSEL, 3, 0);
  SendMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(page_->CheckListBoxBR.Checked(2));
  EXPECT_TRUE(page_->CheckListBoxBR.Checked(3));
  page_->BitBtnBRClick();
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    EXPECT_EQ(Read(root, kSystemPolicy, L"DisableRegistryTools").Number, 0u);
  const TRead search = Read(HKEY_LOCAL_MACHINE, kMain, L"CustomizeSearch");
  EXPECT_EQ(search.Type, (DWORD)REG_SZ);
  EXPECT_EQ(search.Text, Wide(kSearchEngineAddress));
  EXPECT_TRUE(seams_.MessageBoxes.Calls().empty());

  EXPECT_FALSE(
      WriteRegistryValue(HKEY_CURRENT_USER, "Software\\VeldorTest", kRegInteger, "12x", "n"));
  EXPECT_FALSE(WriteRegistryValue(HKEY_CURRENT_USER, "Software\\VeldorTest", 2, "1", "n"));
}

TEST(BrowserRepair, UserUnlockWaitsForTheMachineUnlock) {
  SetNumber(HKEY_LOCAL_MACHINE, kSystemPolicy, L"DisableRegistryTools", 1);
  SetNumber(HKEY_CURRENT_USER, kSystemPolicy, L"DisableRegistryTools", 1);
  ASSERT_TRUE(MakeReadOnly(HKEY_LOCAL_MACHINE, kSystemPolicy, true));
  const bool result = SetRegistryToolsDisabled(false);
  MakeReadOnly(HKEY_LOCAL_MACHINE, kSystemPolicy, false);
  EXPECT_FALSE(result);
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kSystemPolicy, L"DisableRegistryTools").Number, 1u);
  EXPECT_EQ(Read(HKEY_CURRENT_USER, kSystemPolicy, L"DisableRegistryTools").Number, 1u)
      << "the user's value was written although the machine's was not";
  EXPECT_TRUE(SetRegistryToolsDisabled(false));
  EXPECT_EQ(Read(HKEY_CURRENT_USER, kSystemPolicy, L"DisableRegistryTools").Number, 0u);
}
