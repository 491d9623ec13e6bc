// Program start: the application object, the main window, the data module, the message loop.
#include <windows.h>
#include <commctrl.h>

#include "app/DataModuleMain.h"
#include "app/JobRunner.h"
#include "app/UnitMain.h"
#include "toolkit/Application.h"
#include "toolkit/Sync.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                              ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    InitSynchronize();
    TFormMain form;
    TDataModuleMain dataModule;
    form.Show();
    int code = Application.Run();
    // Workers are not waited for; a worker still busy must not meet pages being torn down.
    if (RunningWorkers() > 0) ExitProcess(code);
    return code;
  } catch (...) {
    return 1;  // anything escaping start-up ends the process
  }
}
