#include "system/Seams.h"

#include <commdlg.h>
#include <shellapi.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "system/DllFunction.h"
#include "system/Handles.h"
#include "system/Text.h"

namespace {

class TRealMessageBoxes : public IMessageBoxes {
 public:
  int Show(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
    return MessageBoxW(owner, WideFrom(text).c_str(), WideFrom(caption).c_str(), flags);
  }
};

class TRealProcesses : public IProcessStarter {
 public:
  // As WinExec does it (which knows only the system's code page): the program's own window
  // shows as asked, and the result is WinExec's.
  UINT WinExec(const std::string& commandLine, UINT showCommand) override {
    std::wstring cmd = WideFrom(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND) return ERROR_FILE_NOT_FOUND;
      if (error == ERROR_PATH_NOT_FOUND) return ERROR_PATH_NOT_FOUND;
      if (error == ERROR_BAD_EXE_FORMAT) return ERROR_BAD_FORMAT;
      return 0;  // out of resources, as WinExec says for anything else
    }
    TKernelHandle process(pi.hProcess), thread(pi.hThread);
    // WinExec returns once the new program waits for input, or after at most 30 seconds.
    WaitForInputIdle(process.get(), 30000);
    return 33;
  }

  bool RunAndWait(const std::string& applicationPath, const std::string& commandLine) override {
    return RunAndWaitAtMost(applicationPath, commandLine, INFINITE) != kProcessNotStarted;
  }

  int RunAndWaitAtMost(const std::string& applicationPath, const std::string& commandLine,
                       DWORD timeoutMs) override {
    return RunAndWaitStoppable(applicationPath, commandLine, timeoutMs, nullptr);
  }

  int RunAndWaitStoppable(const std::string& applicationPath, const std::string& commandLine,
                          DWORD timeoutMs, HANDLE stop) override {
    if (stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) return kProcessStopped;
    std::wstring cmd = WideFrom(commandLine);  // CreateProcessW may write into the command line
    const std::wstring application = WideFrom(applicationPath);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), cmd.data(), nullptr,
                        nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return kProcessNotStarted;
    TKernelHandle process(pi.hProcess), thread(pi.hThread);
    thread.reset();  // only the process is waited for
    const int result = WaitPumping(process.get(), stop, timeoutMs);
    if (result == kProcessStopped) {
      TerminateProcess(process.get(), 1);
      // Gone before the caller touches what it was writing.
      WaitForSingleObject(process.get(), 5000);
    }
    return result;
  }

 private:
  // Waits for the process while the calling thread's windows go on answering. kProcessEnded,
  // kProcessStillRunning when the time ran out first, kProcessStopped when `stop` (may be null)
  // was set first.
  static int WaitPumping(HANDLE process, HANDLE stop, DWORD timeoutMs) {
    const HANDLE handles[2] = {process, stop};
    const DWORD count = stop ? 2 : 1;
    auto outcome = [&](DWORD r) {
      if (r == WAIT_OBJECT_0) return kProcessEnded;
      if (stop && r == WAIT_OBJECT_0 + 1) return kProcessStopped;
      return kProcessStillRunning;
    };
    const DWORD start = GetTickCount();
    auto left = [&]() -> DWORD {
      if (timeoutMs == INFINITE) return INFINITE;
      const DWORD spent = GetTickCount() - start;
      return spent >= timeoutMs ? 0 : timeoutMs - spent;
    };
    for (;;) {
      const DWORD rest = left();
      if (rest == 0) return outcome(WaitForMultipleObjects(count, handles, FALSE, 0));
      const DWORD r = MsgWaitForMultipleObjects(count, handles, FALSE, rest, QS_ALLINPUT);
      if (r == WAIT_FAILED) return outcome(WaitForMultipleObjects(count, handles, FALSE, 0));
      if (r != WAIT_OBJECT_0 + count) return outcome(r);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          // The loop that asked to quit is further out: finish waiting, then hand it back.
          const int ended = outcome(WaitForMultipleObjects(count, handles, FALSE, left()));
          PostQuitMessage(static_cast<int>(msg.wParam));
          return ended;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
};

class TRealShell : public IShellOpener {
 public:
  INT_PTR ShellExecute(HWND owner, const std::wstring& operation, const std::wstring& file,
                       const std::wstring& parameters, const std::wstring& directory,
                       int showCommand) override {
    auto orNull = [](const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); };
    // shell32 is loaded on the first open, not at start; without it nothing opens.
    const auto open = DllFunction<decltype(::ShellExecuteW)>("shell32.dll", "ShellExecuteW");
    if (!open) return SE_ERR_DLLNOTFOUND;
    return reinterpret_cast<INT_PTR>(open(owner, orNull(operation), file.c_str(),
                                          orNull(parameters), orNull(directory), showCommand));
  }
};

class TRealClipboard : public IClipboard {
 public:
  bool SetText(const std::string& text) override {
    const std::wstring wide = WideFrom(text);
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    TGlobalHandle mem(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!mem) return false;
    void* p = GlobalLock(mem.get());
    if (!p) return false;
    std::memcpy(p, wide.c_str(), bytes);
    GlobalUnlock(mem.get());
    // Another program may hold the clipboard for a moment.
    bool opened = false;
    for (int attempt = 0; attempt < 10 && !opened; ++attempt) {
      opened = OpenClipboard(nullptr) != FALSE;
      if (!opened) Sleep(20);
    }
    if (!opened) return false;
    EmptyClipboard();
    // Wide: the system offers it in every other form, in the reader's code page.
    const bool ok = SetClipboardData(CF_UNICODETEXT, mem.get()) != nullptr;
    if (ok) mem.release();  // the clipboard owns the memory once it has taken it
    CloseClipboard();
    return ok;
  }
};

class TRealFileDialogs : public IFileDialogs {
 public:
  bool OpenFile(HWND owner, const std::string& filter, const std::string& defaultExt,
                std::string& fileName, const std::string& title,
                const std::string& initialDir) override {
    return Run(false, owner, filter, defaultExt, fileName, title, initialDir);
  }
  bool SaveFile(HWND owner, const std::string& filter, const std::string& defaultExt,
                std::string& fileName, const std::string& title,
                const std::string& initialDir) override {
    return Run(true, owner, filter, defaultExt, fileName, title, initialDir);
  }

 private:
  // "Name|*.ext|..." becomes the NUL-separated, double-NUL-ended list the dialog wants.
  static std::wstring FilterList(const std::string& filter) {
    std::wstring out = WideFrom(filter);
    for (wchar_t& c : out)
      if (c == L'|') c = L'\0';
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
  }

  static bool Run(bool save, HWND owner, const std::string& filter, const std::string& defaultExt,
                  std::string& fileName, const std::string& title,
                  const std::string& initialDir) {
    const std::wstring list = FilterList(filter);
    const std::wstring wideTitle = WideFrom(title), ext = WideFrom(defaultExt),
                       wideDir = WideFrom(initialDir);
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring initial = WideFrom(fileName);
    initial.copy(name.data(), name.size() - 1);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.empty() ? nullptr : list.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrTitle = title.empty() ? nullptr : wideTitle.c_str();
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : ext.c_str();
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : wideDir.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    // comdlg32 is loaded with the first dialog, not at start.
    const auto run =
        save ? DllFunction<decltype(::GetSaveFileNameW)>("comdlg32.dll", "GetSaveFileNameW")
             : DllFunction<decltype(::GetOpenFileNameW)>("comdlg32.dll", "GetOpenFileNameW");
    const BOOL ok = run && run(&ofn);
    if (!ok) return false;
    // The program keeps paths in code page 936: a name that it cannot hold would name another
    // file, so such a choice counts as none.
    bool exact = true;
    const std::string chosen = NarrowFrom(name.data(), &exact);
    if (!exact) return false;
    fileName = chosen;
    return true;
  }
};

template <class I, class R>
struct TSeam {
  std::atomic<I*> Installed{nullptr};
  I& Real() {
    static R real;
    return real;
  }
  I& Current() {
    I* p = Installed.load();
    return p ? *p : Real();
  }
};

TSeam<IMessageBoxes, TRealMessageBoxes> gMessageBoxes;
TSeam<IProcessStarter, TRealProcesses> gProcesses;
TSeam<IShellOpener, TRealShell> gShell;
TSeam<IClipboard, TRealClipboard> gClipboard;
TSeam<IFileDialogs, TRealFileDialogs> gFileDialogs;

}  // namespace

INT_PTR IShellOpener::ShellExecute(HWND owner, const std::string& operation,
                                   const std::string& file, const std::string& parameters,
                                   const std::string& directory, int showCommand) {
  return ShellExecute(owner, WideFrom(operation), WideFrom(file), WideFrom(parameters),
                      WideFrom(directory), showCommand);
}

int IProcessStarter::RunAndWaitAtMost(const std::string& applicationPath,
                                      const std::string& commandLine, DWORD) {
  return RunAndWait(applicationPath, commandLine) ? kProcessEnded : kProcessNotStarted;
}

int IProcessStarter::RunAndWaitStoppable(const std::string& applicationPath,
                                         const std::string& commandLine, DWORD timeoutMs, HANDLE) {
  return RunAndWaitAtMost(applicationPath, commandLine, timeoutMs);
}

namespace Seams {

IMessageBoxes& MessageBoxes() {
  return gMessageBoxes.Current();
}
IProcessStarter& Processes() {
  return gProcesses.Current();
}
IShellOpener& Shell() {
  return gShell.Current();
}
IClipboard& Clipboard() {
  return gClipboard.Current();
}
IFileDialogs& FileDialogs() {
  return gFileDialogs.Current();
}

IMessageBoxes& RealMessageBoxes() {
  return gMessageBoxes.Real();
}
IProcessStarter& RealProcesses() {
  return gProcesses.Real();
}
IShellOpener& RealShell() {
  return gShell.Real();
}
IClipboard& RealClipboard() {
  return gClipboard.Real();
}
IFileDialogs& RealFileDialogs() {
  return gFileDialogs.Real();
}

void SetMessageBoxes(IMessageBoxes* impl) {
  gMessageBoxes.Installed.store(impl);
}
void SetProcesses(IProcessStarter* impl) {
  gProcesses.Installed.store(impl);
}
void SetShell(IShellOpener* impl) {
  gShell.Installed.store(impl);
}
void SetClipboard(IClipboard* impl) {
  gClipboard.Installed.store(impl);
}
void SetFileDialogs(IFileDialogs* impl) {
  gFileDialogs.Installed.store(impl);
}

}  // namespace Seams
