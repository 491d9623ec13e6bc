#include "app/HelpPages.h"

#include "system/Text.h"
#include "toolkit/Guarded.h"

std::string FillSiteAddress(const std::string& caption, const std::string& siteUrl) {
  static const std::string pair = "<>";
  std::string out;
  size_t from = 0;
  for (size_t at; (at = caption.find(pair, from)) != std::string::npos; from = at + pair.size())
    out += caption.substr(from, at - from) + "<" + siteUrl + ">";
  return out + caption.substr(from);
}

THelpPages::THelpPages(TTabSheet& sheet11, TTabSheet& sheet12, std::function<void()> goToHelpPage)
    : TS11(sheet11),
      Label8(&sheet11, "官方网址: ", 32, 24),
      Label10(&sheet11, "<Mallowen>", 32, 48),
      LabelWebUrl(&sheet11, "http://", 88, 48),
      Label7(&sheet11, "<Mallowen>软件郑重承诺，产品绝不捆绑任何第三方的插件！ ", 32, 80),
      PanelWB(&sheet11),
      WebBrowser1(&PanelWB),
      TS12(sheet12),
      LabelAboutTitle(&sheet12, "Title", 40, 24),
      LabelAboutVer(&sheet12, "v", 40, 50),
      Label9(&sheet12, "本软件为免费软件，欢迎使用和传播，但请勿修改或用于商业用途。", 40, 80),
      LabelAboutsm1(&sheet12, "请大家在官方网站<>下载本软件.", 40, 112),
      Label11(&sheet12, "", 40, 144),
      Label14(&sheet12, "为了Quorvane更好的发展,开通了捐助通道.希望有能力的朋友多加支持!", 40, 176),
      Button1(&sheet12, "捐助", 376, 200, 75, 25),
      goToHelpPage_(std::move(goToHelpPage)) {
  Label8.SetName("Label8");
  Label10.SetName("Label10");
  LabelWebUrl.SetName("LabelWebUrl");
  // "<Mallowen>" runs a few pixels into the address: the address, which is clicked, stays whole.
  LabelWebUrl.BringToFront();
  Label7.SetName("Label7");
  PanelWB.SetName("PanelWB");
  PanelWB.SetVisible(false);
  WebBrowser1.SetName("WebBrowser1");
  LabelAboutTitle.SetName("LabelAboutTitle");
  LabelAboutTitle.Font().SetBold(true);
  LabelAboutVer.SetName("LabelAboutVer");
  Label9.SetName("Label9");
  LabelAboutsm1.SetName("LabelAboutsm1");
  Label11.SetName("Label11");
  Label14.SetName("Label14");
  Button1.SetName("Button1");

  LabelWebUrl.OnClick = [this](TControl*) { LabelWebUrlClick(); };
  LabelAboutsm1.OnClick = [this](TControl*) { LabelAboutsm1Click(); };
  Button1.OnClick = [this](TControl*) { Button1Click(); };
}

void THelpPages::VisitHelpPage() {
  LabelWebUrl.SetCaption(SiteUrl);
}

void THelpPages::FirstVisitAboutPage() {
  LabelAboutTitle.SetCaption("Veldor");
  LabelAboutVer.SetCaption("1.2");
  LabelAboutsm1.SetCaption(FillSiteAddress(LabelAboutsm1.Caption(), SiteUrl));
}

void THelpPages::LabelWebUrlClick() {
  Guarded([&] { ShowBrowser(HomePageUrl); });
}

void THelpPages::LabelAboutsm1Click() {
  // The address opens even when the page could not be brought up.
  Guarded([&] { goToHelpPage_(); });
  LabelWebUrlClick();
}

void THelpPages::Button1Click() {
  Guarded([&] { goToHelpPage_(); });
  Guarded([&] { ShowBrowser(DonateUrl); });
}

void THelpPages::ShowBrowser(const std::string& url) {
  PanelWB.SetAlign(TAlign::Client);
  WebBrowser1.SetAlign(TAlign::Client);
  PanelWB.SetVisible(true);
  PanelWB.BringToFront();
  WebBrowser1.Navigate(WideFrom(url));
}
