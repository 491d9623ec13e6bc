#include "taskmgr/WindowList.h"

bool IsSharedProcessWindowClass(const std::string& className) {
  return className == "IEFrame" || className == "CabinetWClass";
}

bool TAcceptWindow::operator()(const TWindowEntry& window) {
  if (window.ClassName == "Progman") return false;
  if (IsSharedProcessWindowClass(window.ClassName)) return true;
  return processes_.insert(WindowProcessId(window.Window)).second;
}
