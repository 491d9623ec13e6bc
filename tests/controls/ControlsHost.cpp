#include <gtest/gtest.h>

#include "ControlsHost.h"

#include "controls/ControlHelpers.h"
#include "toolkit/Control.h"

void TControlsHost::SetUp() {
  form_ = std::make_unique<TForm>("TControlsTestForm", false);
  form_->SetClientSize(400, 320);
  SetWindowPos(form_->Handle(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(form_->Handle(), SW_SHOW);
  SetForegroundWindow(form_->Handle());
  SetActiveWindow(form_->Handle());
  PumpMessages();
}

void TControlsHost::TearDown() {
  form_.reset();
  PumpMessages();
}

void PumpMessages() {
  ProcessPendingMessages();
}

LPARAM At(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

void LeftDown(const TControl& c, int x, int y) {
  SendMessageA(c.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
}

void LeftUp(const TControl& c, int x, int y) {
  SendMessageA(c.Handle(), WM_LBUTTONUP, 0, At(x, y));
}

void MoveTo(const TControl& c, int x, int y, WPARAM keys) {
  SendMessageA(c.Handle(), WM_MOUSEMOVE, keys, At(x, y));
}

void Char(const TControl& c, char ch) {
  SendMessageA(c.Handle(), WM_CHAR, static_cast<unsigned char>(ch), 1);
}

TSnapshot::TSnapshot(const TControl& c, COLORREF prefill) {
  RECT r{};
  GetClientRect(c.Handle(), &r);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = r.right;
  info.bmiHeader.biHeight = -r.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  old_ = SelectObject(dc_, bitmap_);
  FillSolid(dc_, r, prefill);
  SendMessageA(c.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
}

TSnapshot::~TSnapshot() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

TBitmap SolidPicture(int width, int height, COLORREF color, COLORREF key) {
  TBitmap picture(width, height);
  TMemoryCanvas canvas(picture.Handle());
  FillSolid(canvas.Dc(), RECT{0, 0, width, height}, color);
  SetPixel(canvas.Dc(), 0, height - 1, key);
  return picture;
}

namespace {
HHOOK g_hook = nullptr;
HWND g_target = nullptr;
std::vector<int> g_heights;

LRESULT CALLBACK RecordSizes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (m->hwnd == g_target && m->message == WM_WINDOWPOSCHANGED) {
      auto* pos = reinterpret_cast<const WINDOWPOS*>(m->lParam);
      if (!(pos->flags & SWP_NOSIZE)) g_heights.push_back(pos->cy);
    }
  }
  return CallNextHookEx(g_hook, code, wParam, lParam);
}
}  // namespace

THeightRecorder::THeightRecorder(HWND target) {
  g_target = target;
  g_heights.clear();
  g_hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordSizes, nullptr, GetCurrentThreadId());
}

THeightRecorder::~THeightRecorder() {
  UnhookWindowsHookEx(g_hook);
  g_hook = nullptr;
  g_target = nullptr;
}

const std::vector<int>& THeightRecorder::Heights() const {
  return g_heights;
}
void THeightRecorder::Clear() {
  g_heights.clear();
}
