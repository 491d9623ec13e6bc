#include "toolkit/Control.h"

#include <mutex>
#include <set>
#include <unordered_map>

#include "system/Text.h"
#include "toolkit/Guarded.h"

namespace {
// Which object owns which window. Every message to every control looks its object up, a
// thousand times before the main window first shows: a window property costs a round trip to
// the system's window server each time, this table does not.
class TWindowTable {
 public:
  void Add(HWND hwnd, TControl* control) {
    std::lock_guard<std::mutex> guard(lock_);
    controls_[hwnd] = control;
  }
  void Remove(HWND hwnd) {
    std::lock_guard<std::mutex> guard(lock_);
    controls_.erase(hwnd);
  }
  TControl* Find(HWND hwnd) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = controls_.find(hwnd);
    return it == controls_.end() ? nullptr : it->second;
  }

 private:
  std::mutex lock_;
  std::unordered_map<HWND, TControl*> controls_;
};

TWindowTable& Windows() {
  static TWindowTable* table = new TWindowTable;  // never freed: windows may outlive statics
  return *table;
}
int g_nextId = 1000;

HINSTANCE Instance() {
  return GetModuleHandleW(nullptr);
}
}  // namespace

TControl::TControl(TControl* parent) : font_(TFont::Default()), parent_(parent) {
  if (parent_) parent_->children_.push_back(this);
  font_.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
  for (TControl* child : children_) child->parent_ = nullptr;
  children_.clear();
  if (parent_) parent_->RemoveChild(this);
  if (hwnd_) {
    HWND h = hwnd_;
    Windows().Remove(h);
    if (originalProc_) SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)originalProc_);
    hwnd_ = nullptr;
    DestroyWindow(h);
  }
}

void TControl::RemoveChild(TControl* child) {
  for (auto it = children_.begin(); it != children_.end(); ++it)
    if (*it == child) {
      children_.erase(it);
      break;
    }
}

TControl* TControl::FromHandle(HWND hwnd) {
  return hwnd ? Windows().Find(hwnd) : nullptr;
}

void TControl::RegisterOwnClass(const char* className, UINT classStyle) {
  static std::set<std::string> registered;
  if (registered.count(className)) return;
  const std::wstring name = WideFrom(className);
  WNDCLASSW wc{};
  wc.style = classStyle | CS_DBLCLKS;
  wc.lpfnWndProc = OwnProc;
  wc.hInstance = Instance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = name.c_str();
  if (RegisterClassW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
    registered.insert(className);
}

void TControl::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  Windows().Add(hwnd, this);
}

bool TControl::CreateOwnWindow(const char* className, DWORD style, DWORD exStyle, UINT classStyle) {
  RegisterOwnClass(className, classStyle);
  // The window attaches itself in WM_NCCREATE.
  const HWND h = CreateWindowExW(exStyle, WideFrom(className).c_str(), L"",
                                 style | WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                                 parent_ ? parent_->Handle() : nullptr, (HMENU)(INT_PTR)g_nextId++,
                                 Instance(), this);
  FontChanged();
  return h != nullptr;
}

bool TControl::CreateTopLevelWindow(const char* className, DWORD style, DWORD exStyle) {
  RegisterOwnClass(className, 0);
  const HWND h = CreateWindowExW(exStyle, WideFrom(className).c_str(), L"", style, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 Instance(), this);
  FontChanged();
  return h != nullptr;
}

bool TControl::CreateStandardWindow(const wchar_t* className, DWORD style, DWORD exStyle) {
  HWND h = CreateWindowExW(exStyle, className, L"", style | WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                           parent_ ? parent_->Handle() : nullptr, (HMENU)(INT_PTR)g_nextId++,
                           Instance(), nullptr);
  if (!h) return false;
  Attach(h);
  // Subclassed through the wide call: the window stays a Unicode window.
  originalProc_ = (WNDPROC)SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)SubclassProc);
  FontChanged();
  return true;
}

LRESULT CALLBACK TControl::OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    if (auto* self = static_cast<TControl*>(cs->lpCreateParams)) self->Attach(hwnd);
  }
  return GuardedEntry<LRESULT>(0, [&] {
    if (TControl* self = FromHandle(hwnd)) return self->Dispatch(msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  });
}

LRESULT CALLBACK TControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return GuardedEntry<LRESULT>(0, [&] {
    if (TControl* self = FromHandle(hwnd)) return self->Dispatch(msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  });
}

LRESULT TControl::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (lParam) {
        TControl* child = FromHandle(reinterpret_cast<HWND>(lParam));
        if (child && child != this && child->HandleCommand(HIWORD(wParam))) return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      TControl* child = FromHandle(header->hwndFrom);
      LRESULT result = 0;
      if (child && child != this && child->HandleNotify(header, result)) return result;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      TControl* child = FromHandle(reinterpret_cast<HWND>(lParam));
      if (child && child != this)
        if (HBRUSH b = child->HandleCtlColor(reinterpret_cast<HDC>(wParam)))
          return reinterpret_cast<LRESULT>(b);
      break;
    }
    case WM_SETCURSOR:
      if (cursor_ && reinterpret_cast<HWND>(wParam) == hwnd_ && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(cursor_);
        return TRUE;
      }
      break;
    case WM_SIZE: {
      LRESULT r = WndProc(msg, wParam, lParam);
      Realign();
      Resized();
      return r;
    }
    case WM_NCDESTROY: {
      WNDPROC original = originalProc_;
      HWND h = hwnd_;
      Windows().Remove(h);
      hwnd_ = nullptr;
      originalProc_ = nullptr;
      return original ? CallWindowProcW(original, h, msg, wParam, lParam)
                      : DefWindowProcW(h, msg, wParam, lParam);
    }
  }
  return WndProc(msg, wParam, lParam);
}

LRESULT TControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND && !originalProc_) {
    RECT r;
    GetClientRect(hwnd_, &r);
    TGdiObject<HBRUSH> b(CreateSolidBrush(colorSet_ ? color_ : GetSysColor(COLOR_BTNFACE)));
    FillRect(reinterpret_cast<HDC>(wParam), &r, b.get());
    return 1;
  }
  return DefaultProc(msg, wParam, lParam);
}

LRESULT TControl::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return originalProc_ ? CallWindowProcW(originalProc_, hwnd_, msg, wParam, lParam)
                       : DefWindowProcW(hwnd_, msg, wParam, lParam);
}

bool TControl::HandleCommand(WORD) {
  return false;
}
bool TControl::HandleNotify(NMHDR*, LRESULT&) {
  return false;
}

HBRUSH TControl::HandleCtlColor(HDC dc) {
  // Labels and check boxes take the colour of the nearest container that set one.
  COLORREF back = GetSysColor(COLOR_BTNFACE);
  for (const TControl* c = this; c; c = c->parent_)
    if (c->colorSet_) {
      back = c->color_;
      break;
    }
  SetTextColor(dc, font_.Color());
  SetBkColor(dc, back);
  brush_.reset(CreateSolidBrush(back));
  return brush_.get();
}

void TControl::FontChanged() {
  if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, (WPARAM)font_.Handle(), TRUE);
  Invalidate();
}

int TControl::Left() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  if (HWND p = GetParent(hwnd_); p && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  return r.left;
}

int TControl::Top() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  if (HWND p = GetParent(hwnd_); p && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  return r.top;
}

int TControl::Width() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return r.right - r.left;
}

int TControl::Height() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return r.bottom - r.top;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (!hwnd_) return;
  width = width < 0 ? 0 : width;
  height = height < 0 ? 0 : height;
  // Controls that size themselves ask for the bounds they already have many times while they
  // are built; each move is a trip to the window server and a round of messages.
  if (Left() != left || Top() != top || Width() != width || Height() != height)
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (align_ != TAlign::None && parent_ && !parent_->realigning_) parent_->Realign();
}

RECT TControl::ClientRect() const {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return r;
}
int TControl::ClientWidth() const {
  return ClientRect().right;
}
int TControl::ClientHeight() const {
  return ClientRect().bottom;
}

void TControl::SetAlign(TAlign align) {
  align_ = align;
  if (parent_) parent_->Realign();
}

void TControl::Realign() {
  if (!hwnd_ || realigning_) return;
  realigning_ = true;
  RECT r = ClientRect();
  auto place = [](TControl* c, int l, int t, int w, int h) {
    w = w < 0 ? 0 : w;
    h = h < 0 ? 0 : h;
    // Every aligned child is placed again whenever a sibling aligns or resizes; skipping the
    // ones already in place saves most of the window moves of building the main window.
    if (c->Left() == l && c->Top() == t && c->Width() == w && c->Height() == h) return;
    SetWindowPos(c->hwnd_, nullptr, l, t, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  for (TAlign pass : {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client}) {
    for (TControl* c : children_) {
      if (c->align_ != pass || !c->hwnd_ || !c->Visible()) continue;
      int w = c->Width(), h = c->Height();
      switch (pass) {
        case TAlign::Top:
          place(c, r.left, r.top, r.right - r.left, h);
          r.top += h;
          break;
        case TAlign::Bottom:
          place(c, r.left, r.bottom - h, r.right - r.left, h);
          r.bottom -= h;
          break;
        case TAlign::Left:
          place(c, r.left, r.top, w, r.bottom - r.top);
          r.left += w;
          break;
        case TAlign::Right:
          place(c, r.right - w, r.top, w, r.bottom - r.top);
          r.right -= w;
          break;
        default:
          place(c, r.left, r.top, r.right - r.left, r.bottom - r.top);
          break;
      }
    }
  }
  realigning_ = false;
}

bool TControl::Visible() const {
  return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TControl::SetVisible(bool visible) {
  if (!hwnd_ || visible == Visible()) return;
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  if (align_ != TAlign::None && parent_) parent_->Realign();
}

bool TControl::Enabled() const {
  return hwnd_ && IsWindowEnabled(hwnd_);
}

void TControl::SetEnabled(bool enabled) {
  if (hwnd_) EnableWindow(hwnd_, enabled);
}

std::string TControl::Caption() const {
  return NarrowFrom(CaptionW());
}

std::wstring TControl::CaptionW() const {
  if (!hwnd_) return {};
  int n = GetWindowTextLengthW(hwnd_);
  std::wstring s(n + 1, L'\0');
  n = GetWindowTextW(hwnd_, s.data(), n + 1);
  s.resize(n < 0 ? 0 : n);
  return s;
}

void TControl::SetCaption(const std::string& text) {
  SetCaptionW(WideFrom(text));
}

void TControl::SetCaptionW(const std::wstring& text) {
  if (hwnd_) SetWindowTextW(hwnd_, text.c_str());
  Invalidate();
}

void TControl::SetColor(COLORREF color) {
  color_ = color;
  colorSet_ = true;
  Invalidate();
}

COLORREF TControl::InheritedColor() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (c->colorSet_) return c->color_;
  return GetSysColor(COLOR_BTNFACE);
}

void TControl::Invalidate() {
  // A window that is not on screen is painted in full when it appears: marking it now is a
  // wasted trip to the window server, made for every control while the main window is built.
  if (hwnd_ && IsWindowVisible(hwnd_)) InvalidateRect(hwnd_, nullptr, TRUE);
}

void TControl::Repaint() {
  if (!hwnd_ || !IsWindowVisible(hwnd_)) return;  // painted in full when it appears
  InvalidateRect(hwnd_, nullptr, TRUE);
  UpdateWindow(hwnd_);
}

bool TControl::CanFocus() const {
  for (HWND h = hwnd_; h; h = GetParent(h)) {
    if (!IsWindowVisible(h) || !IsWindowEnabled(h)) return false;
    if (!(GetWindowLongW(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return hwnd_ != nullptr;
}

void TControl::SetFocus() {
  if (hwnd_) ::SetFocus(hwnd_);
}

void TControl::BringToFront() {
  if (hwnd_) SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TControl::SetParentControl(TControl* parent) {
  if (parent == parent_) return;
  if (parent_) parent_->RemoveChild(this);
  parent_ = parent;
  if (parent_) parent_->children_.push_back(this);
  if (hwnd_) ::SetParent(hwnd_, parent_ ? parent_->Handle() : nullptr);
}
