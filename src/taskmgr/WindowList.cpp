#include "taskmgr/WindowList.h"

bool IsSharedProcessWindowClass(const std::wstring& className) {
  return className == L"IEFrame" || className == L"CabinetWClass";
}

bool TAcceptWindow::operator()(const TWindowEntry& window) {
  if (window.ClassName == L"Progman") return false;
  if (IsSharedProcessWindowClass(window.ClassName)) return true;
  return processes_.insert(WindowProcessId(window.Window)).second;
}
