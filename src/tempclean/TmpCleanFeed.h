// Carries the cleaning job's memo lines and status text from the worker to the window thread.
// Appending to an EDIT window costs a layout and a paint per call (about 20 ms for a visible memo
// under Wine), so lines that come within a short interval are handed over together and inserted
// as one piece of text. Every line is shown, in order; of the status texts only the latest one
// counts, as it would replace the others at once.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>

#include "toolkit/Label.h"
#include "toolkit/Memo.h"

class TTmpCleanFeed {
 public:
  TTmpCleanFeed(TMemo& memo, TLabel& label) : memo_(memo), label_(label) {}

  // Worker side. A status text closes the report of one file; it and Pulse (between folder
  // entries) hand over what has gathered once the interval since the last hand-over has passed,
  // so that a report never waits long while the job walks folders without deleting anything.
  void AddLine(const std::wstring& line);
  void SetStatus(const std::string& text);
  void Pulse();
  // Hands over everything gathered now and waits until it is shown.
  void Flush();

  // Window side: shows what has gathered. The stop action calls it first, so that the lines
  // reported before the stop come before its summary.
  void Drain();

  static constexpr DWORD kIntervalMs = 100;
  static constexpr int kMaxLines = 2000;
  // 0 hands every report over as it comes, so a stop can be made at a known file.
  DWORD IntervalMs = kIntervalMs;

 private:
  std::mutex lock_;
  std::wstring lines_;  // joined with CR LF
  int lineCount_ = 0;
  std::string status_;
  bool haveStatus_ = false;
  DWORD lastHandOver_ = 0;
  bool handedOver_ = false;
  TMemo& memo_;
  TLabel& label_;
};
