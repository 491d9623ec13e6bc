// The process-wide application object: its title and the message loop.
#pragma once

#include <string>

class TApplication {
 public:
  std::string Title;
  // Lets pending window messages of this thread run (long loops on the window thread call it).
  void ProcessMessages();
  // Runs the message loop until WM_QUIT; returns its exit code.
  int Run();
  // The full path of the running program (code page 936; ExeNameW as the system names it).
  std::string ExeName() const;
  std::wstring ExeNameW() const;

 private:
  unsigned long lastFullLook_ = 0;  // tick count of the last full look at the queue
};

extern TApplication Application;
