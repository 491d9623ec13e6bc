#include "toolkit/BrowserSite.h"

STDMETHODIMP TBrowserSite::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
    *out = static_cast<IOleClientSite*>(this);
  else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite))
    *out = static_cast<IOleInPlaceSite*>(this);
  else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame))
    *out = static_cast<IOleInPlaceFrame*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) TBrowserSite::AddRef() {
  return ++refs_;
}

STDMETHODIMP_(ULONG) TBrowserSite::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP TBrowserSite::GetContainer(IOleContainer** out) {
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TBrowserSite::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = host_;
  return host_ ? S_OK : E_FAIL;
}

STDMETHODIMP TBrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                            RECT* pos, RECT* clip, OLEINPLACEFRAMEINFO* info) {
  if (!frame || !doc || !pos || !clip || !info) return E_POINTER;
  *frame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *doc = nullptr;
  GetClientRect(host_, pos);
  *clip = *pos;
  // The caller fills in cb; the rest describes a frame without accelerators.
  info->fMDIApp = FALSE;
  info->hwndFrame = GetAncestor(host_, GA_ROOT);
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

STDMETHODIMP TBrowserSite::OnPosRectChange(const RECT* rect) {
  if (!rect) return E_POINTER;
  if (inPlace_) inPlace_->SetObjectRects(rect, rect);
  return S_OK;
}

void TBrowserSite::FitToHost() {
  if (!inPlace_) return;
  RECT r;
  GetClientRect(host_, &r);
  inPlace_->SetObjectRects(&r, &r);
}

void TBrowserSite::SetInPlaceObject(IOleInPlaceObject* object) {
  if (object) object->AddRef();
  if (inPlace_) inPlace_->Release();
  inPlace_ = object;
}

void TBrowserSite::Detach() {
  SetInPlaceObject(nullptr);
  host_ = nullptr;
}
