#include "tempclean/TmpCleanFeed.h"

#include "toolkit/Sync.h"

void TTmpCleanFeed::AddLine(const std::wstring& line) {
  std::lock_guard<std::mutex> hold(lock_);
  if (lineCount_ > 0) lines_ += L"\r\n";
  lines_ += line;
  ++lineCount_;
}

void TTmpCleanFeed::SetStatus(const std::string& text) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    status_ = text;
    haveStatus_ = true;
  }
  Pulse();
}

void TTmpCleanFeed::Pulse() {
  bool due;
  {
    std::lock_guard<std::mutex> hold(lock_);
    // A report after a quiet spell goes over at once; a fast run goes in batches.
    due = (lineCount_ > 0 || haveStatus_) &&
          (!handedOver_ || GetTickCount() - lastHandOver_ >= IntervalMs || lineCount_ >= kMaxLines);
  }
  if (due) Flush();
}

void TTmpCleanFeed::Flush() {
  bool any;
  {
    std::lock_guard<std::mutex> hold(lock_);
    any = lineCount_ > 0 || haveStatus_;
  }
  if (any) Synchronize([this] { Drain(); });
  // The interval runs from the end of the hand-over, so the showing never eats the worker's time.
  std::lock_guard<std::mutex> hold(lock_);
  lastHandOver_ = GetTickCount();
  handedOver_ = true;
}

void TTmpCleanFeed::Drain() {
  std::wstring lines;
  std::string status;
  int count;
  bool haveStatus;
  {
    std::lock_guard<std::mutex> hold(lock_);
    lines.swap(lines_);
    count = lineCount_;
    lineCount_ = 0;
    status.swap(status_);
    haveStatus = haveStatus_;
    haveStatus_ = false;
  }
  if (haveStatus) label_.SetCaption(status);
  if (count > 0) memo_.AddLineW(lines);
}
