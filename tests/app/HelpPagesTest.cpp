// The help and about pages in the real main window, with the system's web browser control (Wine's
// creates and navigates, drawing nothing) and, in a process of its own with the engine disabled,
// the fallback link.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "app/HelpPages.h"
#include "app/UnitMain.h"
#include "support/RecordingSeams.h"
#include "support/WineUnix.h"
#include "support/LocalHttpServer.h"
#include "support/MainFormTest.h"

using testsupport::PumpUntil;

namespace {
const char kFallbackChild[] = "VELDOR_BROWSER_FALLBACK_CHILD";

std::wstring Wide(const char* ascii) {
  return std::wstring(ascii, ascii + strlen(ascii));
}

class HelpPages : public TMainFormTest {
 protected:
  using TMainFormTest::Click;
  // What a STATIC or BUTTON window tells its parent on a click.
  void Click(TControl& control, WORD code) {
    SendMessageA(GetParent(control.Handle()), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(control.Handle()), code), (LPARAM)control.Handle());
  }
  TWebBrowser& Browser() { return form->Help->WebBrowser1; }
  bool NavigatedTo(const char* url) {
    return PumpUntil([&] { return Browser().LocationURL() == Wide(url); });
  }

  TSeamGuard seams;
};
}  // namespace

TEST_F(HelpPages, AboutTextsAreFilledOnceWithTheSiteAddressInsertedOnce) {
  THelpPages& help = *form->Help;
  EXPECT_EQ(help.LabelAboutTitle.Caption(), "Title");
  Click(form->LinkLabel0402.get());
  Click(form->LinkLabel0101.get());
  Click(form->LinkLabel0402.get());
  EXPECT_EQ(help.LabelAboutTitle.Caption(), "Veldor");
  EXPECT_EQ(help.LabelAboutVer.Caption(), "1.2");
  EXPECT_EQ(help.LabelAboutsm1.Caption(),
            std::string("请大家在官方网站<") + SiteUrl + ">下载本软件.");

  // The inserted address is text, never searched again: no loop, no pattern characters.
  EXPECT_EQ(FillSiteAddress("a<>b<><>", "<>$&\\1"), "a<<>$&\\1>b<<>$&\\1><<>$&\\1>");
  EXPECT_EQ(FillSiteAddress("<<>>", "u"), "<<u>>");
  EXPECT_EQ(FillSiteAddress("没有", "u"), "没有");
}

TEST_F(HelpPages, UpgradeLinkOpensTheHomePageWithoutTouchingTheSiteLabel) {
  THelpPages& help = *form->Help;
  EXPECT_FALSE(help.PanelWB.Visible());
  EXPECT_EQ(Browser().State(), TWebBrowser::TState::NotCreated) << "start-up does not create it";

  Click(form->LinkLabel0301.get());
  EXPECT_EQ(form->PageControl->ActivePage(), form->TS[10].get());
  EXPECT_EQ(form->LabelMiddle->Caption(), "系统帮助");
  EXPECT_EQ(form->CurrentNavTag, 1);
  EXPECT_TRUE(form->LinkLabel0101->Font().Bold());
  EXPECT_EQ(help.LabelWebUrl.Caption(), "http://");
  EXPECT_TRUE(help.PanelWB.Visible());
  EXPECT_EQ(Browser().Width(), form->TS[10]->ClientWidth()) << "the browser covers the page";
  EXPECT_EQ(Browser().Height(), form->TS[10]->ClientHeight());
  EXPECT_TRUE(NavigatedTo(HomePageUrl)) << AsciiUrl(Browser().LocationURL());
  EXPECT_EQ(Browser().State(), TWebBrowser::TState::Created);

  Click(form->LinkLabel0401.get());
  EXPECT_EQ(help.LabelWebUrl.Caption(), SiteUrl);
  EXPECT_EQ(form->CurrentNavTag, 11);

  // The site address itself leads to the home page too.
  Browser().Navigate(L"about:blank");
  ASSERT_TRUE(PumpUntil([&] { return Browser().LocationURL() == L"about:blank"; }));
  Click(help.LabelWebUrl, STN_CLICKED);
  EXPECT_TRUE(NavigatedTo(HomePageUrl));
}

TEST_F(HelpPages, DonationAndDownloadHintLeaveTheNavigationAsItWas) {
  THelpPages& help = *form->Help;
  Click(form->LinkLabel0402.get());
  Click(help.Button1, BN_CLICKED);
  EXPECT_EQ(form->PageControl->ActivePage(), form->TS[10].get());
  EXPECT_EQ(form->LabelMiddle->Caption(), "系统帮助");
  EXPECT_EQ(form->StatusBar1->PanelText(0), "关于. . . .");
  EXPECT_TRUE(form->LinkLabel0402->Font().Bold());
  EXPECT_FALSE(form->LinkLabel0401->Font().Bold());
  EXPECT_EQ(form->CurrentNavTag, 12);
  EXPECT_TRUE(NavigatedTo(DonateUrl));

  Click(help.LabelAboutsm1, STN_CLICKED);
  EXPECT_TRUE(NavigatedTo(HomePageUrl));
  EXPECT_EQ(form->StatusBar1->PanelText(0), "关于. . . .");
  EXPECT_EQ(seams.Shell.Count(), 0u) << "with the control nothing goes to the user's browser";
}

// The page's server holds the request until the window thread has shown it answers: a navigation
// that waited for the page would leave the request unanswered until the server gives up.
TEST_F(HelpPages, NavigationDoesNotHoldTheWindowThread) {
  TLocalHttpServer server("<html></html>");
  server.ContentType = "text/html";
  ASSERT_FALSE(server.Url("upgrade").empty());
  std::atomic<bool> requested{false}, asked{false}, windowAnswered{false};
  HWND window = form->Handle();
  server.BeforeAnswer = [&] {
    requested = true;
    DWORD_PTR r = 0;
    windowAnswered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &r) != 0;
    asked = true;
  };
  form->Help->ShowBrowser(server.Url("upgrade"));
  ASSERT_TRUE(PumpUntil([&] { return requested.load(); }, 20000))
      << "the control never asked for the page";
  PumpUntil([&] { return asked.load(); }, 20000);
  EXPECT_TRUE(windowAnswered);
}

// Runs the test below in a copy of this program for which Wine's per-program settings disable the
// browser engine (an override in the environment does not reach a process started from here).
TEST(HelpPagesFallback, WithoutTheBrowserEngineTheAddressOpensOutside) {
  if (getenv(kFallbackChild)) GTEST_SKIP() << "this is the child";
  if (!IsWine()) GTEST_SKIP() << "the engine is disabled through Wine's settings";
  char exe[MAX_PATH] = "", temp[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  GetTempPathA(MAX_PATH, temp);
  const std::string name = "veldor_no_browser_" + std::to_string(GetCurrentProcessId()) + ".exe";
  const std::string copy = std::string(temp) + name;
  const std::string appKey = "Software\\Wine\\AppDefaults\\" + name;
  ASSERT_TRUE(CopyFileA(exe, copy.c_str(), FALSE));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (appKey + "\\DllOverrides").c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "ieframe", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  RegCloseKey(key);

  std::string cmd = "\"" + copy + "\" --gtest_filter=HelpPagesFallbackChild.*";
  SetEnvironmentVariableA(kFallbackChild, "1");
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessA(copy.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &si, &pi);
  SetEnvironmentVariableA(kFallbackChild, nullptr);
  DWORD code = 1;
  if (started) {
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  SHDeleteKeyA(HKEY_CURRENT_USER, appKey.c_str());
  DeleteFileA(copy.c_str());
  ASSERT_TRUE(started);
  EXPECT_EQ(code, 0u) << "the fallback checks failed in the child (its output is above)";
}

class HelpPagesFallbackChild : public HelpPages {
 protected:
  void SetUp() override {
    if (!getenv(kFallbackChild)) GTEST_SKIP() << "runs in a process of its own";
    HelpPages::SetUp();
  }
};

TEST_F(HelpPagesFallbackChild, LinkOpensTheAddressInTheUsersBrowser) {
  Click(form->LinkLabel0301.get());
  ASSERT_TRUE(PumpUntil([&] { return Browser().State() != TWebBrowser::TState::NotCreated; }));
  ASSERT_EQ(Browser().State(), TWebBrowser::TState::Failed);
  EXPECT_EQ(Browser().LocationURL(), L"");
  TClickLabel* link = Browser().FallbackLink();
  ASSERT_NE(link, nullptr);
  EXPECT_TRUE(Browser().FallbackPanel()->Visible());
  EXPECT_EQ(link->Caption(), HomePageUrl);

  Click(*link, STN_CLICKED);
  ASSERT_EQ(seams.Shell.Count(), 1u);
  EXPECT_EQ(seams.Shell.Calls()[0].Operation, "open");
  EXPECT_EQ(seams.Shell.Calls()[0].File, HomePageUrl);

  // The donation button reuses the fallback with its own address.
  Click(form->Help->Button1, BN_CLICKED);
  testsupport::PumpMessages();
  EXPECT_EQ(link->Caption(), DonateUrl);

  // When the shell cannot open it, the user is told and gets the address on the clipboard.
  seams.Shell.SetResult(2);
  Click(*link, STN_CLICKED);
  EXPECT_EQ(seams.Clipboard.LastText(), DonateUrl);
  EXPECT_EQ(Browser().FallbackText()->Caption(), "无法打开您的浏览器，地址已复制到剪贴板：");

  // Only web addresses reach the shell; others names could start a program.
  seams.Shell.SetResult(42);
  Browser().Navigate(L"C:\\windows\\notepad.exe");
  Click(*link, STN_CLICKED);
  EXPECT_EQ(seams.Shell.Count(), 2u);
  // Whatever the code page, the link carries the address intact.
  Browser().Navigate(L"http://www.veldor.net/\u5e2e\u52a9 \u00e9");
  EXPECT_EQ(link->Caption(), "http://www.veldor.net/%E5%B8%AE%E5%8A%A9%20%C3%A9");
}
