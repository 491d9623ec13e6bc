// A window timer on a hidden message window of the thread that creates it.
#pragma once

#include <windows.h>

#include <functional>

class TTimer {
 public:
  explicit TTimer(UINT interval = 1000);
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  UINT Interval() const { return interval_; }
  void SetInterval(UINT interval);
  std::function<void(TTimer*)> OnTimer;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Update();

  HWND hwnd_ = nullptr;
  UINT interval_;
  bool enabled_ = false;
};
