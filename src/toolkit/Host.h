// What a feature page may ask of the main window without knowing it. The application implements
// this; feature pages receive it when they are built.
#pragma once

#include <windows.h>

#include <functional>

class TStatusBar;
class TProgressBar;

// The jobs a worker can run, by the code the worker reads.
enum TJob : WORD {
  kJobRogueRemoval = 6,
  kJobExportSlot1 = 7,  // registry export into slot 1; slots 2 and 3 follow
  kJobExportSlot3 = 9,
  kJobTempClean = 16,
};

class IHost {
 public:
  virtual ~IHost() = default;
  virtual HWND MainWindow() = 0;
  // Status bar of the main window: panel 0 is the page's name, 1 and 2 are free for features.
  virtual TStatusBar& StatusBar() = 0;
  // The shared progress bar, hidden until a feature places it (e.g. into the status bar).
  virtual TProgressBar& ProgressBar() = 0;
  // Sets the job code and starts a worker that runs that one job (TJob). Does not wait.
  virtual void StartJob(WORD code) = 0;
  // True once the user asked the main window to close.
  virtual bool Closing() = 0;
  // A background loop (sampler, scan) registers how to stop it; the program's exit paths run
  // every registered stop once, right after Closing is set.
  virtual void AddStopHook(std::function<void()> stop) { (void)stop; }
};
