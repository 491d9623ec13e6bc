// A top-level window with the close sequence of a designer form: close query, close, destroy.
#pragma once

#include "toolkit/Control.h"

class TForm : public TControl {
 public:
  // `mainForm`: destroying it ends the message loop.
  TForm(const char* className, bool mainForm);
  void SetClientSize(int width, int height);
  void CenterOnScreen();
  // Asks the window to close as the user's close button does.
  void Close();

 protected:
  virtual bool CloseQuery() { return true; }
  virtual void DoClose() {}
  virtual void DoShow() {}
  virtual void DoDestroy() {}
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool mainForm_;
};
