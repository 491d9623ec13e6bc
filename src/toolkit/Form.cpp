#include "toolkit/Form.h"

TForm::TForm(const char* className, bool mainForm) : TControl(nullptr), mainForm_(mainForm) {
  CreateTopLevelWindow(className, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

void TForm::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, GetWindowLongW(hwnd_, GWL_STYLE), FALSE,
                     GetWindowLongW(hwnd_, GWL_EXSTYLE));
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::CenterOnScreen() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int x = work.left + (work.right - work.left - Width()) / 2;
  int y = work.top + (work.bottom - work.top - Height()) / 2;
  SetWindowPos(hwnd_, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Close() {
  if (hwnd_) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SHOWWINDOW:
      if (wParam) DoShow();
      break;
    case WM_CLOSE:
      if (CloseQuery()) {
        DoClose();
        DestroyWindow(hwnd_);
      }
      return 0;
    case WM_DESTROY:
      DoDestroy();
      if (mainForm_) PostQuitMessage(0);
      return 0;
  }
  return TControl::WndProc(msg, wParam, lParam);
}
