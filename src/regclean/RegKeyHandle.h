// An open registry key that closes itself, so no path through the walk or the removal leaves one
// open (or reuses one it did not open itself).
#pragma once

#include <windows.h>

class TRegKeyHandle {
 public:
  TRegKeyHandle() = default;
  ~TRegKeyHandle() {
    if (key_) RegCloseKey(key_);
  }
  TRegKeyHandle(const TRegKeyHandle&) = delete;
  TRegKeyHandle& operator=(const TRegKeyHandle&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};
