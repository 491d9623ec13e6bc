// The system's web browser control hosted in a child window. The control is created on the first
// navigation, not with the window, so start-up never pays for loading the browser engine. When it
// cannot be created (no engine installed, engine disabled) a fallback panel takes its place: it
// shows the address as a link that opens it in the user's own browser.
#pragma once

#include <memory>
#include <string>

#include "toolkit/ClickLabel.h"
#include "toolkit/Control.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"

struct IOleObject;
struct IWebBrowser2;
class TBrowserSite;

// An address as a link can carry it whatever the code page: characters outside ASCII and blanks
// become percent-escaped UTF-8.
std::string AsciiUrl(const std::wstring& url);

class TWebBrowser : public TControl {
 public:
  enum class TState { NotCreated, Created, Failed };

  explicit TWebBrowser(TControl* parent);
  ~TWebBrowser() override;

  // Asks for the address and returns at once: the control is created and told to navigate from
  // the window's message queue, and nothing waits for the page to load.
  void Navigate(const std::wstring& url);

  TState State() const { return state_; }
  // The address the control reports it is at or going to ("" before it navigated or without it).
  std::wstring LocationURL() const;
  // The address last asked for (what the fallback link shows and opens).
  const std::wstring& RequestedUrl() const { return requested_; }

  // The fallback, present only after creation failed.
  TPanel* FallbackPanel() const { return fallback_.get(); }
  TLabel* FallbackText() const { return fallbackText_.get(); }
  TClickLabel* FallbackLink() const { return fallbackLink_.get(); }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Resized() override;

 private:
  void NavigatePending();
  bool CreateBrowser();
  void ReleaseBrowser();
  void ShowFallback();
  void OpenInUserBrowser();

  TState state_ = TState::NotCreated;
  std::wstring requested_;
  bool posted_ = false;
  bool oleInitialised_ = false;
  TBrowserSite* site_ = nullptr;
  IOleObject* ole_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  std::unique_ptr<TPanel> fallback_;
  std::unique_ptr<TLabel> fallbackText_;
  std::unique_ptr<TClickLabel> fallbackLink_;
};
