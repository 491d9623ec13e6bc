#include "toolkit/WebBrowser.h"

#include <exdisp.h>
#include <ole2.h>

#include "system/DllFunction.h"
#include "system/Seams.h"
#include "system/Text.h"
#include "toolkit/BrowserSite.h"
#include "toolkit/Guarded.h"

namespace {
// Posted to the host itself: the navigation runs after the caller's handler has returned.
const UINT kNavigateMessage = WM_APP + 0x31;

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         lstrcmpiA(text.substr(0, prefix.size()).c_str(), prefix.c_str()) == 0;
}

bool IsWebAddress(const std::string& url) {
  return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
}

// ole32 and oleaut32 are loaded with the first browser, not at start.
struct TOleApi {
  decltype(&::OleInitialize) Initialize =
      DllFunction<decltype(::OleInitialize)>("ole32.dll", "OleInitialize");
  decltype(&::OleUninitialize) Uninitialize =
      DllFunction<decltype(::OleUninitialize)>("ole32.dll", "OleUninitialize");
  decltype(&::CoCreateInstance) CreateInstance =
      DllFunction<decltype(::CoCreateInstance)>("ole32.dll", "CoCreateInstance");
  decltype(&::SysAllocStringLen) AllocString =
      DllFunction<decltype(::SysAllocStringLen)>("oleaut32.dll", "SysAllocStringLen");
  decltype(&::SysFreeString) FreeString =
      DllFunction<decltype(::SysFreeString)>("oleaut32.dll", "SysFreeString");
  decltype(&::SysStringLen) StringLen =
      DllFunction<decltype(::SysStringLen)>("oleaut32.dll", "SysStringLen");
  bool Loaded() const {
    return Initialize && Uninitialize && CreateInstance && AllocString && FreeString && StringLen;
  }
};

const TOleApi& Ole() {
  static const TOleApi api;
  return api;
}
}  // namespace

std::string AsciiUrl(const std::wstring& url) {
  if (url.empty()) return {};
  const std::string utf8 = Utf8From(url);
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : utf8) {
    if (c <= 0x20 || c >= 0x7F || c == '"') {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

TWebBrowser::TWebBrowser(TControl* parent) : TControl(parent) {
  CreateOwnWindow("TWebBrowser", WS_VISIBLE, WS_EX_CONTROLPARENT);
}

TWebBrowser::~TWebBrowser() {
  ReleaseBrowser();
}

void TWebBrowser::Navigate(const std::wstring& url) {
  requested_ = url;
  if (state_ == TState::Failed) {
    ShowFallback();
    return;
  }
  if (!posted_ && hwnd_ && PostMessageW(hwnd_, kNavigateMessage, 0, 0)) posted_ = true;
}

LRESULT TWebBrowser::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kNavigateMessage) {
    posted_ = false;
    Guarded([&] { NavigatePending(); });
    return 0;
  }
  // The control's own window dies with ours: close it while its host still exists.
  if (msg == WM_DESTROY) ReleaseBrowser();
  return TControl::WndProc(msg, wParam, lParam);
}

void TWebBrowser::NavigatePending() {
  if (state_ == TState::NotCreated) state_ = CreateBrowser() ? TState::Created : TState::Failed;
  if (state_ == TState::Failed) {
    ShowFallback();
    return;
  }
  if (!browser_) return;  // released with the window
  BSTR url = Ole().AllocString(requested_.data(), (UINT)requested_.size());
  if (!url) return;
  VARIANT none;
  none.vt = VT_EMPTY;  // what VariantInit does, without loading oleaut32 for it
  // Starts the download and returns; a failed page is whatever the control shows for it.
  browser_->Navigate(url, &none, &none, &none, &none);
  Ole().FreeString(url);
}

bool TWebBrowser::CreateBrowser() {
  if (!hwnd_) return false;
  // A thread already in the multi-threaded apartment cannot host the control.
  if (!Ole().Loaded() || FAILED(Ole().Initialize(nullptr))) return false;
  oleInitialised_ = true;
  site_ = new (std::nothrow) TBrowserSite(hwnd_);
  if (!site_) return false;
  if (FAILED(Ole().CreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  reinterpret_cast<void**>(&ole_))) ||
      !ole_)
    return false;
  if (FAILED(ole_->SetClientSite(site_))) return false;
  RECT r = ClientRect();
  if (FAILED(ole_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, hwnd_, &r))) return false;
  IOleInPlaceObject* inPlace = nullptr;
  if (SUCCEEDED(ole_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
    site_->SetInPlaceObject(inPlace);
    inPlace->Release();
  }
  if (FAILED(ole_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_))) ||
      !browser_)
    return false;
  // Script errors and the like must not open message boxes over the program.
  browser_->put_Silent(VARIANT_TRUE);
  site_->FitToHost();
  return true;
}

void TWebBrowser::ReleaseBrowser() {
  if (browser_) {
    browser_->Stop();
    browser_->Release();
    browser_ = nullptr;
  }
  if (ole_) {
    ole_->Close(OLECLOSE_NOSAVE);
    ole_->SetClientSite(nullptr);
    ole_->Release();
    ole_ = nullptr;
  }
  if (site_) {
    site_->Detach();
    site_->Release();
    site_ = nullptr;
  }
  if (oleInitialised_) {
    Ole().Uninitialize();
    oleInitialised_ = false;
  }
}

void TWebBrowser::Resized() {
  if (site_) site_->FitToHost();
}

std::wstring TWebBrowser::LocationURL() const {
  if (!browser_) return {};
  BSTR url = nullptr;
  if (FAILED(browser_->get_LocationURL(&url)) || !url) return {};
  std::wstring result(url, Ole().StringLen(url));
  Ole().FreeString(url);
  return result;
}

void TWebBrowser::ShowFallback() {
  ReleaseBrowser();  // whatever part of the control was made is not used
  if (!fallback_) {
    fallback_ = std::make_unique<TPanel>(this);
    fallback_->SetName("PanelBrowserFallback");
    fallback_->SetAlign(TAlign::Client);
    fallbackText_ = std::make_unique<TLabel>(
        fallback_.get(), "无法在本程序中显示网页，请点击下面的地址，在您的浏览器中打开：", 16, 16);
    fallbackLink_ = std::make_unique<TClickLabel>(fallback_.get(), "", 16, 40);
    TFont linkFont = TFont::Default();
    linkFont.SetUnderline(true);
    linkFont.SetColor(RGB(0, 0, 255));
    fallbackLink_->SetFont(linkFont);
    fallbackLink_->OnClick = [this](TControl*) { Guarded([&] { OpenInUserBrowser(); }); };
  }
  fallbackLink_->SetCaption(AsciiUrl(requested_));
}

void TWebBrowser::OpenInUserBrowser() {
  const std::string url = AsciiUrl(requested_);
  // Only web addresses go to the shell: anything else could name a program to run.
  if (!IsWebAddress(url)) return;
  const INT_PTR r =
      Seams::Shell().ShellExecute(GetAncestor(hwnd_, GA_ROOT), "open", url, "", "", SW_SHOWNORMAL);
  if (r > 32) return;
  if (Seams::Clipboard().SetText(url))
    fallbackText_->SetCaption("无法打开您的浏览器，地址已复制到剪贴板：");
  else
    fallbackText_->SetCaption("无法打开您的浏览器，请手动输入下面的地址：");
}
