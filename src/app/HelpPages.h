// Page 11 (help: the official site address, and the embedded browser that covers the page once
// it is shown) and page 12 (about: name, version, notices, the download hint and the donation
// button), with the program's own web addresses.
#pragma once

#include <functional>
#include <string>

#include "toolkit/Button.h"
#include "toolkit/ClickLabel.h"
#include "toolkit/Label.h"
#include "toolkit/PageControl.h"
#include "toolkit/Panel.h"
#include "toolkit/WebBrowser.h"

inline constexpr char SiteUrl[] = "http://www.veldor.net";
inline constexpr char HomePageUrl[] = "http://www.veldor.net/index.htm";
inline constexpr char DonateUrl[] = "http://soft.veldor.net/soft/soft_view.php?id=12";

// The download hint's caption with every "<>" turned into "<" + siteUrl + ">". One pass from
// left to right: the inserted address is never searched again, whatever it contains. ("<" and ">"
// are never the second byte of a code page 936 character, so a plain byte search is exact.)
std::string FillSiteAddress(const std::string& caption, const std::string& siteUrl);

class THelpPages {
 public:
  // `goToHelpPage` makes page 11 the visible page under the help link's header and touches
  // nothing else of the navigation.
  THelpPages(TTabSheet& TS11, TTabSheet& TS12, std::function<void()> goToHelpPage);
  THelpPages(const THelpPages&) = delete;
  THelpPages& operator=(const THelpPages&) = delete;

  // Every visit of page 11 through its navigation link.
  void VisitHelpPage();
  // The first visit of page 12.
  void FirstVisitAboutPage();

  void LabelWebUrlClick();
  void LabelAboutsm1Click();
  void Button1Click();
  // Shows the browser over the whole help page (for the rest of the run) and sends it to `url`.
  void ShowBrowser(const std::string& url);

  TTabSheet& TS11;
  TLabel Label8;
  TLabel Label10;
  TClickLabel LabelWebUrl;
  TLabel Label7;
  TPanel PanelWB;
  TWebBrowser WebBrowser1;

  TTabSheet& TS12;
  TLabel LabelAboutTitle;
  TLabel LabelAboutVer;
  TLabel Label9;
  TClickLabel LabelAboutsm1;
  TLabel Label11;
  TLabel Label14;
  TButton Button1;

 private:
  std::function<void()> goToHelpPage_;
};
